#include "ViewHistory.h"

#include <algorithm>
#include <set>
#include <sstream>

#include <QUndoStack>

#include "CWexlanCPEXE.h"
#include "Prompts.h"
#include "wDataResource.h"
#include "wLayer.h"
#include "wLayerFactory.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wScript.h"
#include "wViewer.h"
#include "wVolumeResource.h"

namespace wexlan {

std::string ChangeLabel::Text() const {
    return from.empty() && to.empty() ? what : what + " " + from + " \u2192 " + to;
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The layer records of a viewer's script text (its first line is the viewer's own).
std::vector<wScriptRecord> LayerRecords(const std::string& viewerText) {
    std::vector<wScriptRecord> records;
    const std::vector<std::string> lines = Lines(viewerText);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        wScriptRecord record;
        if (wScriptRecord::Parse(lines[i], record)) {
            records.push_back(std::move(record));
        }
    }
    return records;
}

bool SameLayer(wLayer& layer, const wScriptRecord& record) {
    wScriptRecord now;
    return wScriptRecord::Parse(layer.GetScript(), now) && now.kind == record.kind &&
           now.name == record.name && now.data == record.data;
}

// The layer names of every viewer, window by window: what a click can add or remove.
std::map<int, std::vector<std::string>> LayerNames(const ViewState& state) {
    std::map<int, std::vector<std::string>> names;
    for (const auto& [id, viewers] : state.windows) {
        for (const std::string& viewer : viewers) {
            for (const wScriptRecord& record : LayerRecords(viewer)) {
                names[id].push_back(record.name);
            }
            names[id].push_back(std::string());  // the end of a viewer
        }
    }
    return names;
}

}  // namespace

// One step: the state before and after a change.
class ViewHistory::Step : public QUndoCommand {
public:
    Step(ViewHistory& history, ViewState before, ViewState after, ChangeLabel label, int mergeKey)
        : m_history(history),
          m_before(std::move(before)),
          m_after(std::move(after)),
          m_label(std::move(label)),
          m_mergeKey(mergeKey) {
        setText(QString::fromStdString(m_label.Text()));
    }

    void undo() override { Apply(m_before, m_after, true); }
    void redo() override {
        if (m_pushed) {
            Apply(m_after, m_before, false);
        }
        m_pushed = true;  // QUndoStack::push redoes: the change has been made already
    }
    int id() const override { return m_mergeKey > 0 ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const Step*>(other);
        if (next->m_mergeKey != m_mergeKey || next->m_label.what != m_label.what) {
            return false;
        }
        m_after = next->m_after;
        m_label.to = next->m_label.to;
        setText(QString::fromStdString(m_label.Text()));
        setObsolete(m_before == m_after);  // a drag back to where it started
        return true;
    }

private:
    void Apply(const ViewState& target, const ViewState& other, bool undoing) {
        const std::string why = m_history.Restore(target, other, undoing);
        if (!why.empty()) {
            m_history.m_failure = why;
            setObsolete(true);  // the stack drops it
        }
    }

    ViewHistory& m_history;
    ViewState m_before;
    ViewState m_after;
    ChangeLabel m_label;
    int m_mergeKey;
    bool m_pushed = false;
};

ViewHistory::ViewHistory(CWexlanCPEXE& controller, QObject* parent)
    : QObject(parent), m_controller(controller), m_stack(std::make_unique<QUndoStack>()) {
    m_stack->setUndoLimit(kLimit);
    connect(m_stack.get(), &QUndoStack::indexChanged, this, &ViewHistory::changed);
}

ViewHistory::~ViewHistory() {
    // The stack empties itself as it goes: that is no change to tell the owner, who may be
    // half gone already (this history is destroyed as a child of the window).
    m_stack->disconnect(this);
}

ViewState ViewHistory::Capture() const {
    ViewState state;
    wRendererManager* renderers = m_controller.GetRenderers();
    for (int id = 0; renderers != nullptr && id < kRenderWindowCount; ++id) {
        if (vtkRenderWindow* window = renderers->GetRenderWindow(id)) {
            for (wViewer* viewer : wViewer::ViewersIn(window)) {
                state.windows[id].push_back(viewer->GetScript());
            }
        }
    }
    for (wDataResourceFake* registry :
         {static_cast<wDataResourceFake*>(m_controller.GetModel()),
          static_cast<wDataResourceFake*>(m_controller.GetVolume())}) {
        for (int i = 0; i < registry->GetNumberOfItems(); ++i) {
            state.items[registry->GetDataName(i)] = registry->GetFilename(i);
        }
    }
    return state;
}

void ViewHistory::BeginChange() {
    if (m_depth++ == 0) {
        m_before = Capture();
    }
}

void ViewHistory::EndChange(const ChangeLabel& label, int mergeKey) {
    if (m_depth == 0 || --m_depth > 0) {
        return;
    }
    ViewState after = Capture();
    if (!(after == m_before)) {
        Push(m_before, after, label, mergeKey);
    }
    m_known = std::move(after);
}

void ViewHistory::Settle() {
    if (m_depth > 0) {
        return;
    }
    ViewState now = Capture();
    const auto namesNow = LayerNames(now);
    auto namesKnown = LayerNames(m_known);
    if (namesNow != namesKnown) {
        // The layer that is new, for the label.
        std::string added;
        for (const auto& [id, names] : namesNow) {
            const std::vector<std::string>& before = namesKnown[id];
            for (const std::string& name : names) {
                if (!name.empty() &&
                    std::find(before.begin(), before.end(), name) == before.end()) {
                    added = name;
                }
            }
        }
        Push(m_known, now, ChangeLabel{added.empty() ? "View" : "Add " + added, "", ""}, 0);
    }
    m_known = std::move(now);
}

void ViewHistory::Push(const ViewState& before, const ViewState& after, const ChangeLabel& label,
                       int mergeKey) {
    const bool was = IsModified();
    m_stack->push(new Step(*this, before, after, label, mergeKey));  // the stack owns steps
    TellModified(was);
}

bool ViewHistory::MayDiscardWork() {
    if (!IsModified()) {
        return true;
    }
    switch (Prompts::Instance().AskToSave("Save changes to the workspace?")) {
        case SaveAnswer::Save:
            return m_save && m_save();
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

std::string ViewHistory::Undo(bool& ok) {
    return Act(true, ok);
}

std::string ViewHistory::Redo(bool& ok) {
    return Act(false, ok);
}

std::string ViewHistory::Act(bool undoing, bool& ok) {
    ok = false;
    const std::string verb = undoing ? "undo" : "redo";
    if (undoing ? !m_stack->canUndo() : !m_stack->canRedo()) {
        return "nothing to " + verb;
    }
    const std::string label = undoing ? UndoLabel() : RedoLabel();
    const bool was = IsModified();
    m_failure.clear();
    if (undoing) {
        m_stack->undo();
    } else {
        m_stack->redo();
    }
    m_known = Capture();
    TellModified(was);
    if (!m_failure.empty()) {
        return "cannot " + verb + " " + label + ": " + m_failure + " (the step is dropped)";
    }
    ok = true;
    return (undoing ? "undone: " : "redone: ") + label;
}

std::string ViewHistory::UndoLabel() const {
    return m_stack->canUndo() ? m_stack->undoText().toStdString() : std::string();
}

std::string ViewHistory::RedoLabel() const {
    return m_stack->canRedo() ? m_stack->redoText().toStdString() : std::string();
}

bool ViewHistory::IsModified() const {
    return m_filesChanged || !m_stack->isClean();
}

void ViewHistory::MarkSaved() {
    const bool was = IsModified();
    m_filesChanged = false;
    m_stack->setClean();
    TellModified(was);
}

void ViewHistory::Reset() {
    const bool was = IsModified();
    m_stack->clear();
    m_filesChanged = false;
    m_known = Capture();
    TellModified(was);
}

void ViewHistory::MarkFilesChanged() {
    if (m_restoring) {
        return;
    }
    const bool was = IsModified();
    m_filesChanged = true;
    m_known = Capture();
    TellModified(was);
}

void ViewHistory::TellModified(bool was) {
    if (IsModified() != was) {
        emit modifiedChanged(IsModified());
    }
}

std::string ViewHistory::Restore(const ViewState& target, const ViewState& other, bool undoing) {
    wDataResource* models = m_controller.GetModel();
    wVolumeResource* volumes = m_controller.GetVolume();
    const auto loaded = [&](const std::string& name) {
        return models->Find(name) >= 0 || volumes->Find(name) >= 0;
    };
    // Undoing, the items the step removed come back from their files; redoing, they go
    // again. Items a step opened stay: opening is no step.
    std::vector<std::string> reopen;
    std::vector<std::string> remove;
    for (const auto& [name, file] : undoing ? target.items : other.items) {
        const auto& afterItems = undoing ? other.items : target.items;
        if (afterItems.count(name) == 0 && loaded(name) != undoing) {
            (undoing ? reopen : remove).push_back(name);
        }
    }
    // Check everything first, so that a step that cannot be undone changes nothing.
    std::vector<int> windows;
    for (const auto& [id, viewers] : target.windows) {
        const auto was = other.windows.find(id);
        if (was != other.windows.end() && was->second == viewers) {
            continue;
        }
        windows.push_back(id);
        vtkRenderWindow* window = m_controller.GetRenderers()->GetRenderWindow(id);
        if (window == nullptr) {
            return "its viewing tab is closed";
        }
        if (!viewers.empty() && wViewer::ViewersIn(window).size() != viewers.size()) {
            return "its viewer is gone";
        }
        for (const std::string& viewer : viewers) {
            for (const wScriptRecord& record : LayerRecords(viewer)) {
                if (!record.data.empty() && !loaded(record.data) &&
                    std::find(reopen.begin(), reopen.end(), record.data) == reopen.end()) {
                    return "the data item " + record.data + " is closed";
                }
            }
        }
    }
    for (const auto& [id, viewers] : other.windows) {
        if (target.windows.count(id) == 0) {
            windows.push_back(id);  // the step made the window's viewer: it is emptied
        }
    }
    for (const std::string& name : reopen) {
        m_restoring = true;
        const bool opened = m_controller.OpenFile(target.items.at(name)) >= 0;
        m_restoring = false;
        if (!opened) {
            return m_controller.GetOpenError();
        }
    }
    for (const std::string& name : remove) {
        m_controller.Remove(name);
    }
    const auto data = [&](const std::string& name) -> vtkDataSet* {
        if (const int model = models->Find(name); model >= 0) {
            return models->GetData(model);
        }
        const int volume = volumes->Find(name);
        return volume >= 0 ? volumes->GetData(volume) : nullptr;
    };
    for (const int id : windows) {
        vtkRenderWindow* window = m_controller.GetRenderers()->GetRenderWindow(id);
        const std::vector<wViewer*> now = wViewer::ViewersIn(window);
        const auto found = target.windows.find(id);
        const std::vector<std::string> none;
        const std::vector<std::string>& viewers =
            found != target.windows.end() ? found->second : none;
        for (std::size_t v = 0; v < now.size(); ++v) {
            wViewer* viewer = now[v];
            if (v >= viewers.size()) {
                viewer->RemoveAllInputs();
                continue;
            }
            wScriptRecord own;
            const std::vector<std::string> lines = Lines(viewers[v]);
            if (!lines.empty() && wScriptRecord::Parse(lines.front(), own)) {
                viewer->ApplyScript(own);
            }
            // Layers in place take their lines; from the first that differs on, the
            // layers are made again from theirs.
            const std::vector<wScriptRecord> records = LayerRecords(viewers[v]);
            int same = 0;
            while (same < viewer->GetNumberOfItems() && same < static_cast<int>(records.size()) &&
                   SameLayer(*viewer->GetInput(same), records[same])) {
                viewer->GetInput(same)->ApplyScript(records[same]);
                ++same;
            }
            while (viewer->GetNumberOfItems() > same) {
                viewer->RemoveInput(same);
            }
            for (std::size_t i = same; i < records.size(); ++i) {
                if (auto layer =
                        wLayerFactory::CreateFromScript(records[i], data(records[i].data))) {
                    viewer->AddInput(std::move(layer));
                }
            }
        }
        for (wViewer* viewer : now) {
            viewer->Render();
        }
        emit windowRestored(id);
    }
    return std::string();
}

}  // namespace wexlan
