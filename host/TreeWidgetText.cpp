#include "TreeWidgetText.h"

#include <QTreeWidget>

namespace wexlan {

namespace {

QTreeWidgetItem* FindFirstUnder(QTreeWidgetItem* item, const QString& text) {
    if (item->text(0) == text) {
        return item;
    }
    for (int i = 0; i < item->childCount(); ++i) {
        if (QTreeWidgetItem* found = FindFirstUnder(item->child(i), text)) {
            return found;
        }
    }
    return nullptr;
}

void AppendText(const QTreeWidgetItem* item, int depth, std::string& text) {
    text += std::string(2 * depth, ' ') + item->text(0).toStdString() + "\n";
    for (int i = 0; i < item->childCount(); ++i) {
        AppendText(item->child(i), depth + 1, text);
    }
}

}  // namespace

QTreeWidgetItem* FindFirstItem(const QTreeWidget* tree, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    for (int i = 0; tree != nullptr && i < tree->topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* found = FindFirstUnder(tree->topLevelItem(i), wanted)) {
            return found;
        }
    }
    return nullptr;
}

std::string TreeText(const QTreeWidget* tree) {
    std::string text;
    for (int i = 0; tree != nullptr && i < tree->topLevelItemCount(); ++i) {
        AppendText(tree->topLevelItem(i), 0, text);
    }
    return text;
}

}  // namespace wexlan
