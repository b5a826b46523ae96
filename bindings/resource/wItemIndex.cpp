#include "wItemIndex.h"

#include <algorithm>

void wItemIndex::Clear() {
    m_names.clear();
    m_paths.clear();
}

int wItemIndex::FindName(const std::string& name) const {
    const auto it = m_names.find(name);
    return it == m_names.end() ? -1 : it->second;
}

void wItemIndex::AddName(const std::string& name, int index) {
    if (!name.empty()) {
        m_names[name] = index;
    }
}

void wItemIndex::RemoveName(const std::string& name) {
    m_names.erase(name);
}

std::string wItemIndex::UniqueName(const std::string& wanted) const {
    if (m_names.count(wanted) == 0) {
        return wanted;
    }
    for (int k = 2;; ++k) {
        std::string candidate = wanted + " (" + std::to_string(k) + ")";
        if (m_names.count(candidate) == 0) {
            return candidate;
        }
    }
}

int wItemIndex::FindPath(const std::string& normalised) const {
    const auto it = m_paths.find(normalised);
    return it == m_paths.end() ? -1 : it->second.front();
}

void wItemIndex::AddPath(const std::string& normalised, int index) {
    if (normalised.empty()) {
        return;
    }
    std::vector<int>& indices = m_paths[normalised];
    indices.insert(std::lower_bound(indices.begin(), indices.end(), index), index);
}

void wItemIndex::RemovePath(const std::string& normalised, int index) {
    const auto it = m_paths.find(normalised);
    if (it == m_paths.end()) {
        return;
    }
    std::vector<int>& indices = it->second;
    const auto position = std::lower_bound(indices.begin(), indices.end(), index);
    if (position != indices.end() && *position == index) {
        indices.erase(position);
    }
    if (indices.empty()) {
        m_paths.erase(it);
    }
}
