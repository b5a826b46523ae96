#pragma once

#include <string>

class QTreeWidget;
class QTreeWidgetItem;

/// Tree widgets read as a person reads them, for the command line.
namespace wexlan {

/// The first item, depth first from top to bottom, whose text is `text`; null
/// when none is (or `tree` is null).
QTreeWidgetItem* FindFirstItem(const QTreeWidget* tree, const std::string& text);

/// One line per item, depth first, each child indented by two blanks more than
/// its parent. "" for a null or empty tree.
std::string TreeText(const QTreeWidget* tree);

}  // namespace wexlan
