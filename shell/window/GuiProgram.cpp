#include "shell/window/GuiProgram.h"

#include "engine/EventLog.h"
#include "platform/SingleInstance.h"
#include "platform/StopSignal.h"
#include "shell/DisplayCheck.h"
#include "shell/window/Application.h"
#include "shell/window/MessageBoxes.h"
#include "shell/window/QtText.h"
#include "shell/window/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <atomic>
#include <exception>
#include <iostream>
#include <memory>

namespace kelmora {

using namespace kelmora::literals;

namespace {

// An error that escapes an event handler is shown, and the program runs on.
class KelmoraApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowMessageBox(nullptr, {error.what(), {}, MessageIcon::Error, MessageButtons::Ok});
        } catch (...) {
            ShowMessageBox(nullptr,
                           {"Neočekávaná chyba"_cp, {}, MessageIcon::Error, MessageButtons::Ok});
        }
        return false;
    }
};

// A stop asked for by the system: its own thread posts it to the main loop.
std::atomic<bool> g_stopRequested{false};
TForm1* g_form = nullptr; // main thread only

void StopOnMainThread() {
    if (g_form != nullptr) {
        g_form->RequestQuit();
    }
}

bool WaylandPluginInstalled() {
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                         QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("*wayland*")}, QDir::Files).isEmpty();
}

} // namespace

std::optional<std::string> MissingDisplayForWindow() {
    return MissingDisplay(ProcessDisplayEnvironment(WaylandPluginInstalled()));
}

int RunWindowed(const std::string& iniPath, int& argc, char** argv) {
    SingleInstance mark("Kelmoraprogram");
    // Before any other thread exists (Qt starts some): the signals are
    // blocked here and taken by a thread of their own.
    on_stop_signal([] {
        g_stopRequested = true;
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(app, StopOnMainThread, Qt::QueuedConnection);
        }
    });
    KelmoraApplication app(argc, argv);
    // Before anything is shown: the second copy's message too has the
    // program's look and language.
    if (!PrepareApplication(app)) {
        std::cerr << "kelmora: Qt's Czech texts (qtbase_cs.qm) are missing; its dialogs speak "
                     "English\n";
    }
    if (!mark.Held()) {
        ShowMessageBox(nullptr, {"Tento program je již spuštěn!!!"_cp, "*** Pozor ***",
                                 MessageIcon::Error, MessageButtons::Ok});
        return -1;
    }
    std::unique_ptr<TForm1> form;
    try {
        EngineOptions options;
        options.iniPath = iniPath;
        options.startDirectory = CaptureStartDirectory();
        form = std::make_unique<TForm1>(std::move(options));
        if (form->GetEngine().SecondCopy()) {
            // Another copy works in this data path (another user's, a service).
            form.reset();
            ShowMessageBox(nullptr, {"Tento program je již spuštěn!!!"_cp, "*** Pozor ***",
                                     MessageIcon::Error, MessageButtons::Ok});
            return -1;
        }
        form->FormCreate();
        g_form = form.get();
        if (g_stopRequested) {
            form->RequestQuit();
        }
    } catch (const std::exception& error) {
        ShowMessageBox(nullptr, {error.what(), {}, MessageIcon::Error, MessageButtons::Ok});
        form.reset();
    }
    if (form) {
        QApplication::exec();
    }
    mark.Release();
    g_form = nullptr;
    form.reset(); // the shutdown sequence
    return 0;
}

} // namespace kelmora
