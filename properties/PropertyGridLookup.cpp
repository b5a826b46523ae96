#include "PropertyGridLookup.h"

#include "CPropertyGridCtrl.h"
#include "CPropertyGridProperty.h"

namespace wexlan {

namespace {

// Calls `visit(group, row)` for every row, group by group, top to bottom.
template <typename Visit>
void ForEachRow(const CPropertyGridCtrl* grid, Visit visit) {
    for (int g = 0; grid != nullptr && g < grid->GetPropertyCount(); ++g) {
        const CPropertyGridProperty* group = grid->GetProperty(g);
        for (int r = 0; r < group->GetSubItemsCount(); ++r) {
            visit(*group, group->GetSubItem(r));
        }
    }
}

}  // namespace

RowWithValue FindRowAtStartOf(const CPropertyGridCtrl* grid, const std::string& text) {
    RowWithValue found;
    ForEachRow(grid, [&](const CPropertyGridProperty&, CPropertyGridProperty* row) {
        const std::string& name = row->GetName();
        if (text.size() > name.size() && text.compare(0, name.size(), name) == 0 &&
            text[name.size()] == ' ' &&
            (found.row == nullptr || name.size() >= found.row->GetName().size())) {
            found.row = row;
            found.value = text.substr(name.size() + 1);
        }
    });
    return found;
}

std::string PropertySheetText(const CPropertyGridCtrl* grid) {
    std::string text;
    ForEachRow(grid, [&](const CPropertyGridProperty& group, const CPropertyGridProperty* row) {
        text += group.GetName() + "\t" + row->GetName() + "\t" + row->GetValue().ToDisplayText() +
                "\t" + (row->IsEnabled() ? "enabled" : "disabled") + "\n";
    });
    return text;
}

}  // namespace wexlan
