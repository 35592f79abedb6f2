#include "shell/window/GuiProgram.h"

#include "engine/EventLog.h"
#include "platform/DisplayCheck.h"
#include "shell/Guarded.h"
#include "shell/window/Application.h"
#include "shell/window/MessageBoxes.h"
#include "shell/window/QtText.h"
#include "shell/window/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <exception>
#include <iostream>
#include <memory>

namespace kelmora {

namespace {

// An error that escapes an event handler is shown, and the program runs on.
class KelmoraApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        bool handled = false;
        RunGuarded([&] { handled = QApplication::notify(receiver, event); },
                   [](std::string_view text) {
                       ShowMessageBox(nullptr, {text, {}, MessageIcon::Error, MessageButtons::Ok});
                   });
        return handled;
    }
};

bool WaylandPluginInstalled() {
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                         QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("*wayland*")}, QDir::Files).isEmpty();
}

// The Qt application with what every window shares (Application.h), and
// TForm1.
class QtShell : public ProgramShell {
public:
    QtShell(EngineOptions engineOptions, int& argc, char** argv, LifeCycleEvents events)
        : engineOptions_(std::move(engineOptions)), argc_(argc), argv_(argv),
          events_(std::move(events)) {}

    // Before anything is shown: the second copy's message too has the
    // program's look and language.
    void Prepare() override {
        app_ = std::make_unique<KelmoraApplication>(argc_, argv_);
        if (!PrepareApplication(*app_)) {
            std::cerr << "kelmora: Qt's Czech texts (qtbase_cs.qm) are missing; its dialogs speak "
                         "English\n";
        }
    }

    void ShowStartMessage(const MessageBox& box) override { ShowMessageBox(nullptr, box); }

    bool Start() override {
        EngineOptions options = engineOptions_;
        options.startDirectory = CaptureStartDirectory();
        WindowOptions windowOptions;
        windowOptions.lifeCycle = events_;
        form_ = std::make_unique<TForm1>(std::move(options), std::move(windowOptions));
        if (form_->GetEngine().SecondCopy()) {
            return false;
        }
        form_->FormCreate();
        return true;
    }

    void RunLoop() override { QApplication::exec(); }

    void RequestStop() override {
        // From the signals' thread: a job ends after its current command; the
        // form is touched on the main thread only.
        form_->GetEngine().RequestStop();
        QMetaObject::invokeMethod(
            app_.get(),
            [this] {
                if (form_) {
                    form_->RequestQuit();
                }
            },
            Qt::QueuedConnection);
    }

    void Stop() override { form_.reset(); }

private:
    EngineOptions engineOptions_; // the files main chose
    int& argc_;
    char** argv_;
    LifeCycleEvents events_;
    std::unique_ptr<KelmoraApplication> app_;
    std::unique_ptr<TForm1> form_;
};

} // namespace

std::optional<std::string> MissingDisplayForWindow() {
    return missing_display(process_display_environment(WaylandPluginInstalled()));
}

int RunWindowed(EngineOptions engineOptions, int& argc, char** argv,
                const LifeCycleEvents& events) {
    QtShell shell(std::move(engineOptions), argc, argv, events);
    return RunProgram(shell);
}

} // namespace kelmora
