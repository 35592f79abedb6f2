// What the window takes from outside: the dialogs it shows (tests replace
// them, so that no test ever waits for a person) and what the desktop offers.
// An empty member means the real thing.
#pragma once

#include "engine/Console.h"
#include "shell/LifeCycle.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace kelmora {

// Shows a message box owned by `owner` (none: a box without owner window)
// and returns the operator's answer. Texts are Windows-1250.
using MessageAnswerer = std::function<MessageAnswer(QWidget* owner, const MessageBox& box)>;

struct WindowDialogs {
    MessageAnswerer message;
    // OpenDialog1: the chosen command file as a Windows-1250 path, or none.
    std::function<std::optional<std::string>(QWidget* owner)> openCommandFile;
    // The directory selection of Path_data, opened at `start`: the chosen
    // directory (created if the operator typed a new one), or none.
    std::function<std::optional<QString>(QWidget* owner, const QString& start)> chooseDirectory;
};

struct WindowOptions {
    WindowDialogs dialogs;
    // Whether the desktop has a notification area; by default asked of Qt
    // whenever it matters. Without one the window starts shown and "Schovat
    // program" leaves it shown (and says so), so the program can always be
    // reached.
    std::optional<bool> trayAvailable;
    // Ends the main loop once a close has been confirmed and no job runs;
    // by default QCoreApplication::exit(0).
    std::function<void()> quit;
    // Who observes the life cycle from outside the window.
    LifeCycleEvents lifeCycle;
};

} // namespace kelmora
