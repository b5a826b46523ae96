#pragma once

#include <memory>
#include <string>
#include <vector>

#include "wResource.h"
#include "wexlanresource_export.h"

class vtkDataSet;

/// A registry of loaded data sets: each item is a vtkDataSet with a name and the
/// path of the file it came from, addressed by a 0-based index.
///
/// Indices. New items are appended. Removing an item moves every later item down
/// by one, so indices always run 0 .. GetNumberOfItems() - 1 and index order is the
/// order in which the items were added.
///
/// Names. A new item has no name (the empty text). Names are unique within a
/// registry, so that the name a tree shows finds exactly one item: SetDataName with
/// a name that another item already has stores it decorated as "name (2)", or
/// "name (3)" if that is taken too, and so on. An unnamed item is never found by
/// Find.
///
/// File paths. Stored as given; several items may share one. FindFilename compares
/// paths after lexical normalisation (NormalizePath) and gives the lowest index. An
/// item without a path is never found by FindFilename.
///
/// Lookups. Find and FindFilename use hash indices and stay fast for large
/// registries; AddData, SetDataName and SetFilename keep them up to date, RemoveData
/// rebuilds them (linear in the item count).
///
/// Index errors. Every operation taking an index, except RemoveData, throws
/// std::invalid_argument when the index is not 0 .. GetNumberOfItems() - 1.
/// RemoveData ignores such an index.
///
/// Ownership. The registry holds a reference to each data set (vtkSmartPointer)
/// until the item is removed or the registry is destroyed.
///
/// This class accepts every non-null data set; wDataResource and wVolumeResource
/// restrict it to models and images.
class WEXLANRESOURCE_EXPORT wDataResourceFake : public wResource {
public:
    /// One item as written by GetScript and read back by ParseScript.
    struct ScriptItem {
        std::string type;      ///< the registry's type text, e.g. "model"
        std::string name;      ///< the item's name (may be empty)
        std::string filename;  ///< the item's file path as stored (may be empty)
    };

    /// An empty registry with the type text "data".
    wDataResourceFake();
    ~wDataResourceFake() override;

    int GetNumberOfItems() const override;

    /// Appends `data` as a new item without a name or path and takes a reference to it.
    /// @return the index of the new item, or -1 when refused: null data, or data
    ///         that this registry does not hold (see AcceptsData).
    virtual int AddData(vtkDataSet* data);

    /// Removes item `index` and releases its data; later items move down by one.
    /// An index out of range does nothing.
    virtual void RemoveData(int index);

    /// Text describing the items, for a workspace file; ParseScript reads it back.
    ///
    /// Grammar: one line per item, in index order, each ending with "\n":
    ///
    ///     line   = field TAB field TAB field LF      ; type text, name, file path
    ///     field  = *( char | escape )
    ///     escape = "\\" | "\t" | "\n" | "\r" | "\#"  ; backslash, tab, line feed,
    ///                                                ; carriage return, '#'
    ///
    /// A backslash, tab, line feed or carriage return inside a field is always
    /// written as its escape, and a '#' that would start a line as "\#", so that no
    /// item line is taken for a "#" comment of the workspace file.
    /// No items give the empty text.
    virtual std::string GetScript();

    /// Reads item lines written by GetScript. Empty lines and lines starting with
    /// '#' are skipped; a carriage return before a line feed is dropped.
    ///
    /// @return true and the items (replacing the contents of `items`) when every
    ///         other line has exactly three fields and only the escapes above;
    ///         false, leaving `items` untouched, otherwise.
    static bool ParseScript(const std::string& text, std::vector<ScriptItem>& items);

    /// Names item `index`; decorated as described above when another item already
    /// has the name. The empty name makes the item unnamed.
    /// @throws std::invalid_argument for an index out of range.
    void SetDataName(int index, const std::string& name);

    /// The file path of item `index`, stored as given.
    /// @throws std::invalid_argument for an index out of range.
    void SetFilename(int index, const std::string& path);

    /// Records what the reader classified item `index` as when it read the item's file
    /// (wFileReader::GetOutputType, a data type code of wProtocol.h), so that a viewer
    /// shows it as the kind the workspace tree files it under.
    /// @throws std::invalid_argument for an index out of range.
    void SetOutputType(int index, int outputType);

    /// The output type recorded for item `index`; wexlan::kNoData for an item that no
    /// reader classified (added by a program, not read from a file).
    /// @throws std::invalid_argument for an index out of range.
    int GetOutputType(int index) const;

    /// The name actually stored for item `index` (decorated if need be).
    /// @throws std::invalid_argument for an index out of range.
    std::string GetDataName(int index) const;

    /// The file path of item `index` as it was given.
    /// @throws std::invalid_argument for an index out of range.
    std::string GetFilename(int index) const;

    /// The data set of item `index`; the registry keeps owning its reference.
    /// @throws std::invalid_argument for an index out of range.
    vtkDataSet* GetData(int index) const;

    /// The name of the most recently added item still present, i.e. the last
    /// index; the empty text when the registry is empty.
    std::string GetLastDataName() const;

    /// The index of the item named exactly `name` (case-sensitive), or -1.
    int Find(const std::string& name) const;

    /// The lowest index of the items whose path equals `path` after NormalizePath,
    /// or -1 (also for the empty path).
    int FindFilename(const std::string& path) const;

    /// The form in which FindFilename compares paths: backslashes become slashes,
    /// repeated slashes and "." parts are dropped, "dir/.." parts are resolved, and
    /// a trailing slash is removed ("a//b/./c/" and "a\b\x\..\c" both give "a/b/c").
    /// Purely lexical: the file system and the working directory are not consulted,
    /// and case matters.
    static std::string NormalizePath(const std::string& path);

protected:
    /// Whether this registry holds `data` (never null here). Subclasses narrow it;
    /// the base accepts every data set.
    virtual bool AcceptsData(vtkDataSet* data) const;

private:
    struct Impl;
    // Throws std::invalid_argument unless 0 <= index < GetNumberOfItems().
    void CheckIndex(int index) const;

    std::unique_ptr<Impl> d;
};
