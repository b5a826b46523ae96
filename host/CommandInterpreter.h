#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>


class MainWindow;

/// The workstation's command language, shared by the command-line dock and
/// batch mode. One command per line: a word, then its argument (the rest of
/// the line).
class CommandInterpreter {
public:
    /// What a command gave back.
    struct Result {
        bool ran = true;     ///< false: unknown command, bad argument, nothing to act on
        std::string output;  ///< what to print (may be empty, may be an error text)
        std::string error;   ///< why it could not run
        bool quit = false;   ///< the command asked to end the session
    };

    explicit CommandInterpreter(MainWindow& window);

    /// Runs one line. Answers queued with "answer" belong to the next command:
    /// any that none of its prompts took are dropped and fail that command.
    Result Run(const std::string& line);

    /// The answers still queued, quoted and separated by commas ("" when none),
    /// dropping them: for the end of a batch session.
    std::string TakeUnusedAnswers();

    /// "word  what it does" lines for every command.
    std::string Help() const;

private:
    using Handler = std::function<Result(const std::string& argument)>;
    struct Command {
        std::string usage;
        std::string what;
        Handler handler;
    };
    void Add(const std::string& word, std::string usage, std::string what, Handler handler);

    MainWindow& m_window;
    std::map<std::string, Command> m_commands;
    std::vector<std::string> m_order;
};
