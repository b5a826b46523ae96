#pragma once

#include <string>
#include <utility>

#include "wexlancp_export.h"

namespace wexlan {

/// What a step of the undo history is called: "Opacity 100 → 40" (a row, its value before
/// and after) or "Contrast" (a dialog, a removal, an add: no values).
struct WEXLANCP_EXPORT ChangeLabel {
    std::string what;
    std::string from;  ///< the value before; "" with `to` "" for a label without values
    std::string to;

    /// "what from → to", or "what" alone.
    std::string Text() const;
};

/// Told around every change a person makes to what the viewers show, so that it becomes one
/// step of the undo history. Calls nest: only the outermost Begin/End pair makes a step, so
/// a dialog's OK that commits its row is one step. Panels hold a recorder they do not own
/// and may hold none.
class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;

    /// A change starts: the state before it is taken here.
    virtual void BeginChange() = 0;
    /// The change begun last has ended. Nothing is recorded when nothing changed. Changes
    /// with the same non-zero `mergeKey` in a row become one step (the ticks of a slider
    /// drag), labelled with the first value before and the last after.
    virtual void EndChange(const ChangeLabel& label, int mergeKey) = 0;
    /// Before the viewer is cleared: may unsaved work go? (The user may save it first.)
    /// @return false to keep the viewer as it is.
    virtual bool MayDiscardWork() = 0;
};

/// Begins a change on construction and ends it, with the label set by then, on
/// destruction. A null recorder records nothing.
class ChangeScope {
public:
    explicit ChangeScope(ChangeRecorder* recorder, ChangeLabel label = {}, int mergeKey = 0)
        : m_recorder(recorder), m_label(std::move(label)), m_mergeKey(mergeKey) {
        if (m_recorder != nullptr) {
            m_recorder->BeginChange();
        }
    }
    ~ChangeScope() {
        if (m_recorder != nullptr) {
            m_recorder->EndChange(m_label, m_mergeKey);
        }
    }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

    void SetLabel(ChangeLabel label) { m_label = std::move(label); }

private:
    ChangeRecorder* m_recorder;
    ChangeLabel m_label;
    int m_mergeKey;
};

}  // namespace wexlan
