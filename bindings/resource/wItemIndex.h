#pragma once
// Hash indices of a data registry, internal to WexlanResource.

#include <string>
#include <unordered_map>
#include <vector>

// Maps item names and normalised file paths to item indices, so that lookups in a
// registry of any size cost one hash probe. The empty name and the empty path are
// never indexed: unnamed items and items without a file are not found.
class wItemIndex {
public:
    void Clear();

    // Names are unique: AddName of a name already present replaces its index.
    int FindName(const std::string& name) const;
    void AddName(const std::string& name, int index);
    void RemoveName(const std::string& name);
    // `wanted` if no item has it, else the first free "wanted (k)", k = 2, 3, ...
    std::string UniqueName(const std::string& wanted) const;

    // Several items may share a path; FindPath gives the lowest index.
    int FindPath(const std::string& normalised) const;
    void AddPath(const std::string& normalised, int index);
    void RemovePath(const std::string& normalised, int index);

private:
    std::unordered_map<std::string, int> m_names;
    // Indices of each path, kept in ascending order.
    std::unordered_map<std::string, std::vector<int>> m_paths;
};
