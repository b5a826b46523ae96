#pragma once

#include <string>
#include <vector>

#include <QWidget>

class CommandInterpreter;
class QLineEdit;
class QPlainTextEdit;

/// The command line dock: a line to type commands into, with a history that
/// Up and Down walk through, over the output of everything run so far.
class CommandConsole : public QWidget {
    Q_OBJECT
public:
    CommandConsole(CommandInterpreter& interpreter, QWidget* parent = nullptr);

    /// Runs a command as if typed, printing it and its result.
    void Execute(const std::string& line);
    /// Appends text to the output.
    void Print(const std::string& text);

signals:
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CommandInterpreter& m_interpreter;
    QPlainTextEdit* m_output;
    QLineEdit* m_input;
    std::vector<std::string> m_history;
    std::size_t m_historyPosition = 0;
};
