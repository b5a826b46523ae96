#include "PanelLayout.h"

#include <algorithm>

namespace wexlan {

namespace {

constexpr int kMargin = 5;
constexpr int kBottomReserve = 50;
constexpr int kButtonHeight = 40;

// (total - (count-1) * gap) / count, rounded half up.
int ShareOf(int total, int count, int gap) {
    const int spare = total - (count - 1) * gap;
    // floor((2 * spare + count) / (2 * count)) is spare / count rounded half up.
    const int numerator = 2 * spare + count;
    const int denominator = 2 * count;
    return numerator >= 0 ? numerator / denominator
                          : -((-numerator + denominator - 1) / denominator);
}

QRect Rect(int left, int top, int width, int height) {
    return QRect(left, top, std::max(width, 0), std::max(height, 0));
}

}  // namespace

PanelLayout ComputePanelLayout(int cx, int cy, const PanelMetrics& metrics) {
    const int L = metrics.labelWidth;
    const int h = metrics.boxHeight;
    PanelLayout layout;
    const int boxWidth = cx - 15 - L - metrics.browseWidth;
    layout.box = Rect(L + kMargin, 5, boxWidth, h + 5);
    layout.browse = Rect(L + boxWidth + 10, 5, metrics.browseWidth, metrics.browseHeight);
    layout.tree = Rect(5, h + 10, cx - 10, cy - 15 - h - kBottomReserve);

    const int n = std::min(metrics.buttonCount, kMaxComponentButtons);
    if (n <= 0) {
        return layout;
    }
    const int innerWidth = layout.tree.width() - 2 * metrics.treeFrame;
    const int innerHeight = layout.tree.height() - 2 * metrics.treeFrame;
    const int top = innerHeight + h + 10 + 2 * kMargin;
    const int width = ShareOf(innerWidth, n, kMargin);
    int x = 5;
    for (int i = 0; i < n; ++i) {
        layout.componentButtons.push_back(Rect(x, top, width, kButtonHeight));
        x += width + kMargin;
    }
    return layout;
}

std::vector<QRect> ProvisionalComponentButtons(const QRect& tree, int count) {
    std::vector<QRect> buttons;
    if (count <= 0) {
        return buttons;
    }
    constexpr int kGap = 5;
    const int width = ShareOf(tree.width(), count, kGap);
    const int top = tree.y() + tree.height() + 5;
    for (int i = 0; i < count; ++i) {
        const int left = tree.x() + i * width + (i > 0 ? kGap : 0);
        const int right = tree.x() + (i + 1) * width;
        buttons.push_back(Rect(left, top, right - left, 35));
    }
    return buttons;
}

}  // namespace wexlan
