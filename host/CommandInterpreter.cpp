#include "CommandInterpreter.h"

#include <memory>
#include <stdexcept>

#include <QTreeWidget>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModules.h"
#include "ConfigurationFiles.h"
#include "MainWindow.h"
#include "RemoteBrowser.h"
#include "RemoteCommands.h"
#include "SeriesCache.h"
#include "ViewCommands.h"
#include "ViewHistory.h"
#include "ViewingTabs.h"
#include "wLayer.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wSnapshot.h"
#include "wText.h"
#include "wViewer.h"

namespace {

CommandInterpreter::Result Fail(const std::string& why) {
    CommandInterpreter::Result result;
    result.ran = false;
    result.error = why;
    return result;
}

CommandInterpreter::Result Print(const std::string& text) {
    CommandInterpreter::Result result;
    result.output = text;
    return result;
}

// A view command's text, or its refusal as a failure.
template <typename Call>
CommandInterpreter::Result Attempt(Call call) {
    try {
        return Print(call());
    } catch (const std::invalid_argument& refusal) {
        return Fail(refusal.what());
    }
}

// A line per viewing tab: its number from 1, caption, active module ("none") and the
// names of its scene's layers, separated by tabs.
std::string TabsText(CWexlanCPEXE& controller, ViewingTabs& tabs) {
    wRendererManager* renderers = controller.GetRenderers();
    CWexlanModules* modules = controller.GetModules();
    const int current = renderers->GetCurrentRenderWindowId();
    std::string text;
    for (int i = 0; i < tabs.count(); ++i) {
        // The modules answer for the current window.
        renderers->SetCurrentRenderWindow(tabs.WindowId(i));
        const int module = modules->GetActivatedModuleId();
        text += std::to_string(i + 1) + "\t" + tabs.tabText(i).toStdString() + "\t" +
                (module >= 0 ? modules->GetModuleName(module) : "none");
        const std::vector<wViewer*> views = controller.GetViewsOfCurrentWindow();
        for (int layer = 0; !views.empty() && layer < views[0]->GetNumberOfItems(); ++layer) {
            text += "\t" + views[0]->GetInput(layer)->GetLayerName();
        }
        text += "\n";
    }
    renderers->SetCurrentRenderWindow(current);
    return text;
}

}  // namespace

CommandInterpreter::CommandInterpreter(MainWindow& window) : m_window(window) {
    CWexlanCP& panel = window.Panel();
    Add("open", "open [FILE...]",
        "open data files, one after the other (without FILE: choose them)",
        [&panel](const std::string& files) {
            if (files.empty()) {
                return Print(panel.Open());
            }
            // A line per file: "File loaded" on the output, or on the errors "file loading
            // error" and the reader's reason (the console prints "error: " itself).
            Result result;
            for (const auto& [path, error] : panel.OpenFiles(files)) {
                std::string& lines = error.empty() ? result.output : result.error;
                lines +=
                    (lines.empty() ? "" : "\n") +
                    (error.empty() ? std::string("File loaded") : "file loading error\n" + error);
            }
            result.ran = result.error.empty();
            if (result.output.empty() && result.ran) {
                return Fail("open needs a file");
            }
            return result;
        });
    Add("remote", "remote servers|add|studies|series|open ...",
        "DICOMweb servers: list, add NAME URL, studies NAME [PATIENT], series NAME STUDY_UID, "
        "open NAME SERIES_UID",
        [this](const std::string& argument) {
            RemoteCommands remote(wexlan::ConfigurationFolder(),
                                  wexlan::remote::DefaultCacheRoot());
            const std::string words = argument.substr(std::min(argument.size(), argument.find_first_not_of(' ')));
            if (words.rfind("open ", 0) != 0) {
                const Result result = Attempt([&] { return remote.Run(words); });
                // A server added here shows in the workspace tree as one added in the dialog.
                if (result.ran && words.rfind("add ", 0) == 0) {
                    m_window.Panel().GetWorkspaceUIPointer()->GetRemoteBrowser()->Reload();
                }
                return result;
            }
            std::string file;
            try {
                const std::string line = words.substr(0, words.find_last_not_of(' ') + 1);
                const std::string series = line.substr(line.find_last_of(' ') + 1);
                file = m_window.RunRetrieve([&](const std::atomic<bool>& cancel) {
                    return remote.Retrieve(
                        words.substr(5),
                        [&](int percent) { m_window.ReportProgress(series, percent); }, &cancel);
                });
            } catch (const std::invalid_argument& refusal) {
                return Fail(refusal.what());
            }
            return m_commands.at("open").handler("\"" + file + "\"");
        });
    Add("save", "save", "save the selected model as a VTK file", [&panel](const std::string&) {
        const std::string why = panel.Save();
        return why.empty() ? Print("") : Fail(why);
    });
    Add("vars", "vars", "list the loaded models, images and hardware resources",
        [&panel](const std::string&) { return Print(panel.GetVar()); });
    Add("hardware", "hardware", "list the hardware resources with their state and last value",
        [&panel](const std::string&) { return Print(panel.GetEXE()->GetHardwareStatusText()); });
    Add("modules", "modules", "list the viewer modules",
        [&panel](const std::string&) { return Print(panel.GetEXE()->GetModules()->GetInfo()); });
    Add("help", "help", "this list", [this](const std::string&) { return Print(Help()); });
    Add("select", "select TEXT", "select the first workspace tree node called TEXT",
        [&window](const std::string& text) {
            return window.SelectTreeNode(text) ? Print("") : Fail("no tree node \"" + text + "\"");
        });
    Add("layer", "layer TEXT", "select the first layer tree node called TEXT",
        [&window](const std::string& text) {
            return window.SelectLayerNode(text) ? Print("") : Fail("no layer \"" + text + "\"");
        });
    Add("button", "button NAME", "press the component button captioned NAME",
        [&window](const std::string& name) {
            return window.PressComponentButton(name) ? Print("")
                                                     : Fail("no component button \"" + name + "\"");
        });
    Add("newtab", "newtab", "open a new viewing tab", [&window](const std::string&) {
        return window.NewViewingTab() >= 0
                   ? Print("")
                   : Fail("all " + std::to_string(wexlan::kRenderWindowCount) +
                          " viewing tabs are in use");
    });
    Add("tabs", "tabs", "list the viewing tabs (number, caption, module, layers)",
        [&panel, &window](const std::string&) {
            return Print(TabsText(*panel.GetEXE(), window.Tabs()));
        });
    Add("tab", "tab N", "make viewing tab N current", [&window](const std::string& number) {
        int index = 0;
        ViewingTabs& tabs = window.Tabs();
        if (!wexlan::ParseInt(number, index) || index < 1 || index > tabs.count()) {
            return Fail("tab needs a number from 1 to " + std::to_string(tabs.count()));
        }
        tabs.setCurrentIndex(index - 1);
        return Print("");
    });
    Add("props", "props", "print the property sheet (group, row, value, enabled)",
        [&window](const std::string&) { return Print(window.PropertySheetText()); });
    Add("layers", "layers", "print the layer tree",
        [&window](const std::string&) { return Print(window.LayerTreeText()); });
    Add("set", "set ROW VALUE", "commit VALUE to the property row called ROW (the layer's first)",
        [&window](const std::string& argument) {
            std::string why;
            return window.SetPropertyRow(argument, why) ? Print("") : Fail(why);
        });
    Add("loadworkspace", "loadworkspace FILE", "read a workspace file back",
        [&window](const std::string& file) {
            if (file.empty()) {
                return Fail("loadworkspace needs a file");
            }
            const std::string problems = window.LoadWorkspaceFile(window.FromStartFolder(file));
            return problems.empty() ? Print("workspace loaded") : Fail(problems);
        });
    Add("workspace", "workspace FILE", "save the workspace to FILE",
        [&window](const std::string& file) {
            if (file.empty()) {
                return Fail("workspace needs a file");
            }
            return window.SaveWorkspaceTo(window.FromStartFolder(file))
                       ? Print("")
                       : Fail("the workspace was not saved");
        });
    Add("answer", "answer yes|no|ok|cancel|PATH|COLOUR", "answer a prompt of the next command",
        [&window](const std::string& answer) {
            if (answer.empty()) {
                return Fail("answer needs yes, no, ok, cancel or a path");
            }
            return window.QueueAnswer(answer) ? Print("")
                                              : Fail("answers can only be queued in batch mode");
        });
    Add("screenshot", "screenshot FILE.png [WxH]",
        "save a picture of the current viewing tab (at W x H pixels)",
        [&window](const std::string& argument) {
            // A last word of the form WxH is the picture's size; the rest is the file.
            std::string file = argument;
            int width = 0, height = 0;
            const auto blank = argument.rfind(' ');
            if (blank != std::string::npos &&
                wSnapshot::ParseSize(argument.substr(blank + 1), width, height)) {
                file = std::string(wexlan::TrimEnd(argument.substr(0, blank)));
            }
            std::string why;
            return !file.empty() &&
                           window.SaveScreenshot(window.FromStartFolder(file), width, height, why)
                       ? Print("")
                       : Fail(file.empty() ? "screenshot needs a file" : why);
        });
    Add("preview", "preview FILE", "preview a VQ volume file", [&window](const std::string& file) {
        return file.empty() ? Fail("preview needs a file")
                            : Print(window.PreviewFile(window.FromStartFolder(file)));
    });
    auto view = std::make_shared<ViewCommands>(window);
    const auto bind = [view](std::string (ViewCommands::*command)(const std::string&)) {
        return [view, command](const std::string& argument) {
            return Attempt([&] { return ((*view).*command)(argument); });
        };
    };
    Add("camera", "camera VIEW|azimuth|elevation|zoom N",
        "reset, anterior ... inferior, or turn or zoom the current view's camera",
        bind(&ViewCommands::Camera));
    Add("slice", "slice N", "show slice N in the current 2D view", bind(&ViewCommands::Slice));
    Add("window", "window W L", "set the current 2D view's window and level",
        bind(&ViewCommands::Window));
    Add("mouse", "mouse move|drag|wheel ...", "move, left-drag or turn the wheel in the view",
        bind(&ViewCommands::Mouse));
    Add("key", "key Up|Down|Prior|Next", "press a key over the view", bind(&ViewCommands::Key));
    Add("overlay", "overlay", "print the texts in the current view's corners and edges",
        bind(&ViewCommands::Overlay));
    Add("module", "module NAME COMMAND...", "send a command line to a module",
        bind(&ViewCommands::Module));
    Add("measure", "measure distance|angle [POINTS]",
        "measure between points (x y z each), or place the points with the mouse",
        bind(&ViewCommands::Measure));
    Add("undo", "undo", "undo the last change to what is shown", [&window](const std::string&) {
        bool ok = false;
        const std::string said = window.History().Undo(ok);
        window.RefreshViews();
        return ok ? Print(said) : Fail(said);
    });
    Add("redo", "redo", "redo the change undone last", [&window](const std::string&) {
        bool ok = false;
        const std::string said = window.History().Redo(ok);
        window.RefreshViews();
        return ok ? Print(said) : Fail(said);
    });
    Add("quit", "quit", "end the session", [](const std::string&) {
        Result result;
        result.quit = true;
        return result;
    });
}

void CommandInterpreter::Add(const std::string& word, std::string usage, std::string what,
                             Handler handler) {
    m_commands[word] = Command{std::move(usage), std::move(what), std::move(handler)};
    m_order.push_back(word);
}

std::string CommandInterpreter::Help() const {
    std::string text;
    for (const std::string& word : m_order) {
        const Command& command = m_commands.at(word);
        text += command.usage +
                std::string(command.usage.size() < 32 ? 32 - command.usage.size() : 1, ' ') +
                command.what + "\n";
    }
    return text;
}

CommandInterpreter::Result CommandInterpreter::Run(const std::string& line) {
    // Blanks and tabs go from the front, and a line end too from the back.
    const std::string text(wexlan::TrimEnd(wexlan::TrimStart(line, " \t")));
    if (text.empty() || text.front() == '#') {
        return Print("");  // blank lines and comments in command files
    }
    const auto blank = text.find(' ');
    const std::string word = text.substr(0, blank);
    const std::string argument =
        blank == std::string::npos ? ""
                                   : std::string(wexlan::TrimStart(text.substr(blank + 1), " \t"));
    const auto command = m_commands.find(word);
    if (command == m_commands.end()) {
        return Fail("unknown command \"" + word + "\" (type help for the list)");
    }
    Result result = command->second.handler(argument);
    // A layer the command added or removed unrecorded (a measurement) becomes a step.
    m_window.History().Settle();
    // An answer belongs to the command after it: one that no prompt took must not
    // answer a later, unrelated question.
    if (word != "answer") {
        const std::string unused = TakeUnusedAnswers();
        if (!unused.empty()) {
            result.ran = false;
            result.error += (result.error.empty() ? "" : "; ") + std::string("no prompt of \"") +
                            word + "\"" + " took the answer " + unused;
        }
    }
    return result;
}

std::string CommandInterpreter::TakeUnusedAnswers() {
    std::string text;
    for (const std::string& answer : m_window.TakeUnusedAnswers()) {
        text += (text.empty() ? "" : ", ") + ("\"" + answer + "\"");
    }
    return text;
}
