#pragma once
// Merges coincident points while a mesh is read.
//
// Formats that store each triangle with its own copies of its corners (STL) need their
// corners merged before the mesh is a connected surface. Points merge when their single
// precision coordinates are exactly equal, -0 and +0 counting as equal, which is what
// VTK's point merging does, so both give the same point count and order (first
// occurrence). An open-addressing hash table keeps this linear in the number of corners.

#include <vtkType.h>

#include <cstdint>

#include "DataBuilders.h"

namespace wexlan::io {

class PointMerger {
public:
    /// `expectedPoints` sizes the table; it grows as needed.
    explicit PointMerger(std::size_t expectedPoints);

    /// The index of the point equal to (x, y, z), adding it if it is new.
    vtkIdType Insert(float x, float y, float z);
    /// Starts loading the table slot of (x, y, z) into the cache: call a few points
    /// ahead of Insert, whose lookups are otherwise one cache miss each.
    void Prefetch(float x, float y, float z) const;

    std::size_t Count() const { return m_xyz.Size() / 3; }
    /// The merged points as x, y, z triples, in order of first occurrence.
    GrowableArray<float>& Points() { return m_xyz; }

private:
    /// The coordinates' bit patterns are kept in the slot, so that a lookup reads one
    /// cache line and not also the point array.
    struct Slot {
        std::uint32_t x, y, z;
        std::uint32_t index;  ///< point index + 1; 0 marks an empty slot
    };

    void Rehash(std::size_t capacity);

    GrowableArray<Slot> m_slots;
    std::size_t m_capacity = 0;
    std::size_t m_mask = 0;
    GrowableArray<float> m_xyz;
};

}  // namespace wexlan::io
