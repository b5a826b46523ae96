#include "CommandConsole.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "CommandInterpreter.h"

CommandConsole::CommandConsole(CommandInterpreter& interpreter, QWidget* parent)
    : QWidget(parent), m_interpreter(interpreter) {
    setObjectName(QStringLiteral("commandConsole"));
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("commandOutput"));
    m_output->setReadOnly(true);
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("commandInput"));
    m_input->setPlaceholderText(QStringLiteral("Type a command (help lists them) and press Enter"));
    m_input->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_output);
    layout->addWidget(m_input);
    connect(m_input, &QLineEdit::returnPressed, this, [this] {
        const std::string line = m_input->text().toStdString();
        m_input->clear();
        Execute(line);
    });
}

void CommandConsole::Print(const std::string& text) {
    if (!text.empty()) {
        QString shown = QString::fromStdString(text);
        shown.remove(QLatin1Char('\r'));
        if (shown.endsWith(QLatin1Char('\n'))) {
            shown.chop(1);
        }
        m_output->appendPlainText(shown);
    }
}

void CommandConsole::Execute(const std::string& line) {
    if (line.empty()) {
        return;
    }
    m_history.push_back(line);
    m_historyPosition = m_history.size();
    Print("> " + line);
    const CommandInterpreter::Result result = m_interpreter.Run(line);
    Print(result.output);
    if (!result.ran) {
        Print("error: " + result.error);
    }
    if (result.quit) {
        emit quitRequested();
    }
}

bool CommandConsole::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_input && event->type() == QEvent::KeyPress && !m_history.empty()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            if (key == Qt::Key_Up && m_historyPosition > 0) {
                --m_historyPosition;
            } else if (key == Qt::Key_Down && m_historyPosition < m_history.size()) {
                ++m_historyPosition;
            }
            m_input->setText(m_historyPosition < m_history.size()
                                 ? QString::fromStdString(m_history[m_historyPosition])
                                 : QString());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
