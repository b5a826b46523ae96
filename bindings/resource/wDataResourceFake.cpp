#include "wDataResourceFake.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include <vtkDataSet.h>
#include <vtkSmartPointer.h>

#include "wItemIndex.h"
#include "wProtocol.h"
#include "wScriptText.h"

struct wDataResourceFake::Impl {
    struct Item {
        vtkSmartPointer<vtkDataSet> data;
        std::string name;
        std::string filename;
        std::string normalisedPath;  // NormalizePath(filename), kept for the index
        int outputType = wexlan::kNoData;
    };

    std::vector<Item> items;
    wItemIndex index;

    void Reindex() {
        index.Clear();
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            index.AddName(items[i].name, i);
            index.AddPath(items[i].normalisedPath, i);
        }
    }
};

wDataResourceFake::wDataResourceFake() : d(std::make_unique<Impl>()) {
    SetType("data");
}

wDataResourceFake::~wDataResourceFake() = default;

int wDataResourceFake::GetNumberOfItems() const {
    return static_cast<int>(d->items.size());
}

bool wDataResourceFake::AcceptsData(vtkDataSet* /*data*/) const {
    return true;
}

int wDataResourceFake::AddData(vtkDataSet* data) {
    if (!data || !AcceptsData(data)) {
        return -1;
    }
    d->items.push_back(Impl::Item{data, {}, {}, {}, wexlan::kNoData});
    return static_cast<int>(d->items.size()) - 1;
}

void wDataResourceFake::RemoveData(int index) {
    if (index < 0 || index >= GetNumberOfItems()) {
        return;
    }
    d->items.erase(d->items.begin() + index);
    // Every later index moved: rebuilding is simpler and as cheap as patching.
    d->Reindex();
}

void wDataResourceFake::CheckIndex(int index) const {
    if (index < 0 || index >= GetNumberOfItems()) {
        throw std::invalid_argument(GetType() + " registry: index " + std::to_string(index) +
                                    " out of range (" + std::to_string(GetNumberOfItems()) +
                                    " items)");
    }
}

void wDataResourceFake::SetDataName(int index, const std::string& name) {
    CheckIndex(index);
    Impl::Item& item = d->items[index];
    if (item.name == name) {
        return;
    }
    // Free the old name first, so an item can take back a name it gave up.
    d->index.RemoveName(item.name);
    item.name = name.empty() ? std::string() : d->index.UniqueName(name);
    d->index.AddName(item.name, index);
}

void wDataResourceFake::SetFilename(int index, const std::string& path) {
    CheckIndex(index);
    Impl::Item& item = d->items[index];
    d->index.RemovePath(item.normalisedPath, index);
    item.filename = path;
    item.normalisedPath = NormalizePath(path);
    d->index.AddPath(item.normalisedPath, index);
}

std::string wDataResourceFake::GetDataName(int index) const {
    CheckIndex(index);
    return d->items[index].name;
}

void wDataResourceFake::SetOutputType(int index, int outputType) {
    CheckIndex(index);
    d->items[index].outputType = outputType;
}

int wDataResourceFake::GetOutputType(int index) const {
    CheckIndex(index);
    return d->items[index].outputType;
}

std::string wDataResourceFake::GetFilename(int index) const {
    CheckIndex(index);
    return d->items[index].filename;
}

vtkDataSet* wDataResourceFake::GetData(int index) const {
    CheckIndex(index);
    return d->items[index].data;
}

std::string wDataResourceFake::GetLastDataName() const {
    // Items are appended and removal keeps their order, so the last index is the
    // most recently added item still present.
    return d->items.empty() ? std::string() : d->items.back().name;
}

int wDataResourceFake::Find(const std::string& name) const {
    return d->index.FindName(name);
}

int wDataResourceFake::FindFilename(const std::string& path) const {
    const std::string normalised = NormalizePath(path);
    return normalised.empty() ? -1 : d->index.FindPath(normalised);
}

namespace {

// Whether `path` is already in normal form: "/"-separated, without empty, "." or
// ".." parts and without a trailing slash. Most stored paths are, and skipping
// std::filesystem for them makes FindFilename several times faster.
bool IsNormal(const std::string& path) {
    if (path.empty() || path.find('\\') != std::string::npos) {
        return false;
    }
    std::size_t start = path.front() == '/' ? 1 : 0;
    if (start == path.size()) {
        return true;  // "/"
    }
    while (true) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::size_t length = end - start;
        if (length == 0 || (length == 1 && path[start] == '.') ||
            (length == 2 && path[start] == '.' && path[start + 1] == '.')) {
            return false;
        }
        if (end == path.size()) {
            return true;
        }
        start = end + 1;
    }
}

}  // namespace

std::string wDataResourceFake::NormalizePath(const std::string& path) {
    if (IsNormal(path)) {
        return path;
    }
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::string normal = std::filesystem::path(slashed).lexically_normal().generic_string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

std::string wDataResourceFake::GetScript() {
    std::string script;
    const std::string type = wexlan::ScriptText::Escape(GetType(), true);
    for (const Impl::Item& item : d->items) {
        script += type;
        script += '\t';
        script += wexlan::ScriptText::Escape(item.name, false);
        script += '\t';
        script += wexlan::ScriptText::Escape(item.filename, false);
        script += '\n';
    }
    return script;
}

bool wDataResourceFake::ParseScript(const std::string& text, std::vector<ScriptItem>& items) {
    std::vector<ScriptItem> parsed;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fields = wexlan::ScriptText::SplitLine(line);
        if (!fields || fields->size() != 3) {
            return false;
        }
        parsed.push_back(ScriptItem{(*fields)[0], (*fields)[1], (*fields)[2]});
    }
    items = std::move(parsed);
    return true;
}
