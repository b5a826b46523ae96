#pragma once

#include <QRect>
#include <vector>

#include "wexlancp_export.h"

/// The pixel arithmetic of the workspace panel's layout, apart from any widget.
namespace wexlan {

/// The sizes the layout starts from, as the controls have them now.
struct PanelMetrics {
    int labelWidth = 0;    ///< L: the "Current directory" label's width
    int browseWidth = 0;   ///< Bw: the "..." button's width
    int browseHeight = 0;  ///< Bh: the "..." button's height
    int boxHeight = 0;     ///< h: the current-directory box's height
    int treeFrame = 0;     ///< the tree's border width on each side
    int buttonCount = 0;   ///< component buttons to place: modules, at most 5
};

/// Where RecalLayout puts the controls.
struct PanelLayout {
    QRect box;     ///< the current-directory box (its height includes the list's 5 extra pixels)
    QRect browse;  ///< the "..." button
    QRect tree;
    std::vector<QRect> componentButtons;
};

/// The most component buttons the panel shows.
inline constexpr int kMaxComponentButtons = 5;

/// The layout for a client area of cx by cy pixels, with the margin m = 5 and
/// a bottom reserve of 50:
///  - box: left L + 5, top 5, width W = cx - 15 - L - Bw, height h + 5;
///  - "..." button: left L + W + 10, top 5, width Bw, height Bh;
///  - tree: left 5, top h + 10, width cx - 10, height cy - 15 - h - 50;
///  - component buttons, with T the tree's inner (client) size: top
///    T.height + h + 10 + 2m, height 40, each w = (T.width - (n-1)m) / n wide
///    rounded half up; the first at x = 5, each next at the previous x + w + m.
/// Widths and heights that come out negative (a tiny panel) are 0.
WEXLANCP_EXPORT PanelLayout ComputePanelLayout(int cx, int cy, const PanelMetrics& metrics);

/// The provisional row of `count` component buttons made before the first
/// layout, under the tree's outer rectangle `tree`: from 5 to 40 pixels below
/// its bottom edge; with g = 5 and w = (tree width - (count-1)g) / count
/// rounded half up, button i spans from tree left + i*w (+ g when i > 0) to
/// tree left + (i+1)*w.
WEXLANCP_EXPORT std::vector<QRect> ProvisionalComponentButtons(const QRect& tree, int count);

}  // namespace wexlan
