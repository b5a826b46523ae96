#include "PointMerger.h"

#include <cstring>
#include <new>

namespace wexlan::io {

namespace {

inline std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b == 0x80000000u ? 0u : b;  // -0 equals +0
}

inline std::size_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    std::uint64_t h = x * 0x9E3779B97F4A7C15ull;
    h ^= (h >> 29) ^ (y * 0xC2B2AE3D27D4EB4Full);
    h ^= (h >> 32) ^ (z * 0x165667B19E3779F9ull);
    h ^= h >> 31;
    return static_cast<std::size_t>(h);
}

std::size_t PowerOfTwoAtLeast(std::size_t n) {
    std::size_t p = 64;
    while (p < n) {
        p *= 2;
    }
    return p;
}

}  // namespace

PointMerger::PointMerger(std::size_t expectedPoints) {
    Rehash(PowerOfTwoAtLeast(expectedPoints * 2));
    m_xyz.Reserve(expectedPoints * 3);
}

void PointMerger::Rehash(std::size_t capacity) {
    if (capacity > (std::size_t{1} << 33)) {
        throw std::bad_alloc();
    }
    GrowableArray<Slot> slots;
    slots.Resize(capacity);
    std::memset(slots.Data(), 0, capacity * sizeof(Slot));
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < m_capacity; ++i) {
        const Slot& old = m_slots[i];
        if (old.index == 0) {
            continue;
        }
        std::size_t slot = Hash(old.x, old.y, old.z) & mask;
        while (slots[slot].index != 0) {
            slot = (slot + 1) & mask;
        }
        slots[slot] = old;
    }
    m_slots.Swap(slots);
    m_capacity = capacity;
    m_mask = mask;
}

void PointMerger::Prefetch(float x, float y, float z) const {
    __builtin_prefetch(m_slots.Data() + (Hash(Bits(x), Bits(y), Bits(z)) & m_mask));
}

vtkIdType PointMerger::Insert(float x, float y, float z) {
    const std::uint32_t bx = Bits(x), by = Bits(y), bz = Bits(z);
    std::size_t slot = Hash(bx, by, bz) & m_mask;
    while (true) {
        const Slot& entry = m_slots[slot];
        if (entry.index == 0) {
            break;
        }
        if (entry.x == bx && entry.y == by && entry.z == bz) {
            return entry.index - 1;
        }
        slot = (slot + 1) & m_mask;
    }
    const std::size_t index = Count();
    if (index >= 0xFFFFFFFEu) {
        throw std::bad_alloc();
    }
    m_xyz.PushBack(x);
    m_xyz.PushBack(y);
    m_xyz.PushBack(z);
    m_slots[slot] = Slot{bx, by, bz, static_cast<std::uint32_t>(index + 1)};
    // Keep the table at most 60 % full so that probe sequences stay short.
    if ((index + 1) * 5 > m_capacity * 3) {
        Rehash(m_capacity * 2);
    }
    return static_cast<vtkIdType>(index);
}

}  // namespace wexlan::io
