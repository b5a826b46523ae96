#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "ChangeRecorder.h"
#include "wexlancp_export.h"

class CWexlanCPEXE;
class QUndoStack;

namespace wexlan {

/// What the viewers show and which items are loaded: per render window the script text of
/// each viewer drawing in it (wViewer::GetScript), and the file of each model and image.
struct ViewState {
    std::map<int, std::vector<std::string>> windows;
    std::map<std::string, std::string> items;  ///< item name -> file

    bool operator==(const ViewState& other) const {
        return windows == other.windows && items == other.items;
    }
};

/// The undo history of what the viewers show: one global stack of steps (a QUndoStack), each
/// holding the state before and after the change. Undoing a step puts back the state before
/// it in the render windows that the step changed (layers keep their place and get their
/// script lines; removed ones are made again from their lines, added ones are removed) and
/// re-opens the items it removed; redoing does the opposite. At most kLimit steps are kept.
///
/// A step whose window has gone (its tab was closed) or whose data item is no longer loaded
/// cannot be undone: it is dropped and Undo says why. Opening files and closing tabs are no
/// steps.
///
/// The history also says whether the workspace has changed since it was saved or loaded:
/// a step since then, or a file opened.
class WEXLANCP_EXPORT ViewHistory : public QObject, public ChangeRecorder {
    Q_OBJECT
public:
    static constexpr int kLimit = 100;

    explicit ViewHistory(CWexlanCPEXE& controller, QObject* parent = nullptr);
    ~ViewHistory() override;

    void BeginChange() override;
    void EndChange(const ChangeLabel& label, int mergeKey) override;
    /// True at once while the workspace is unchanged; otherwise asks "Save changes to the
    /// workspace?" through wexlan::Prompts: Save runs the saver (true when it saved), Discard
    /// answers true, Cancel false. The host asks this before quitting and loading a workspace.
    bool MayDiscardWork() override;
    /// How Save saves the workspace: true when it was written (none: never).
    void SetSaver(std::function<bool()> save) { m_save = std::move(save); }

    /// After the mouse edited a view: a layer added or removed there (a measurement placed
    /// by clicks) becomes a step "Add NAME"; other changes (slice, window and level) are no
    /// steps and are taken as they are.
    void Settle();

    /// Undoes the last step. @return "undone: LABEL", or with `ok` false why not ("nothing
    /// to undo", or the step could not be undone and was dropped).
    std::string Undo(bool& ok);
    /// Redoes the step undone last; as Undo ("redone: LABEL", "nothing to redo").
    std::string Redo(bool& ok);
    /// The label of the step Undo / Redo would act on; "" when none.
    std::string UndoLabel() const;
    std::string RedoLabel() const;

    /// Whether the workspace changed since MarkSaved (or since the start).
    bool IsModified() const;
    /// The workspace was saved: no change since.
    void MarkSaved();
    /// A workspace was loaded: no change since, and the steps before are forgotten.
    void Reset();
    /// A file was opened or closed. Not while a step is undone or redone: the items it
    /// brings back were there when the workspace was saved.
    void MarkFilesChanged();

    /// What the viewers show now.
    ViewState Capture() const;

signals:
    /// The labels or the availability of undo and redo changed.
    void changed();
    /// IsModified changed.
    void modifiedChanged(bool modified);
    /// A step acted on render window `id` (the host shows its tab).
    void windowRestored(int id);

private:
    class Step;
    /// Undo (`undoing`) or Redo.
    std::string Act(bool undoing, bool& ok);
    /// Puts back `target` where it differs from `other` (undoing: `target` is the state
    /// before the step). @return "" or why it could not, having changed nothing.
    std::string Restore(const ViewState& target, const ViewState& other, bool undoing);
    void Push(const ViewState& before, const ViewState& after, const ChangeLabel& label,
              int mergeKey);
    void TellModified(bool was);

    CWexlanCPEXE& m_controller;
    std::unique_ptr<QUndoStack> m_stack;
    int m_depth = 0;
    ViewState m_before;  // while m_depth > 0
    ViewState m_known;   // as of the last step boundary, for Settle
    bool m_filesChanged = false;
    bool m_restoring = false;  // while Restore re-opens the items of a step
    std::string m_failure;     // why the step undone or redone last could not be
    std::function<bool()> m_save;
};

}  // namespace wexlan
