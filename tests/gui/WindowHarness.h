// One window under test: a fresh directory (start directory, data path and
// configuration file), optionally a simulated terminal T1 at address 1 on
// COM1, and a TForm1 whose message boxes are answered here and recorded, so
// no test ever waits for a person.
#pragma once

#include "engine/CfgRecord.h"
#include "engine/ConfigurationSave.h"
#include "engine/IniFile.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "serial/PortDevices.h"
#include "shell/window/TForm1.h"
#include "shell/window/TrayIcon.h"
#include "sim/Simulator.h"
#include "support/ScriptedAnswers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelmora::testing {

struct ShownBalloon {
    QString title;
    QString text;
    int timeoutMs;
};

enum class Terminal { None, Slave };

class WindowHarness : public ScriptedAnswers {
public:
    explicit WindowHarness(Terminal terminal = Terminal::None,
                           const std::function<void(StoredSettings&)>& adjust = {}) {
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        std::string device = "/nonexistent/kelmora-test-tty";
        if (terminal == Terminal::Slave) {
            sim::SimOptions options;
            sim::StationSetup station;
            station.terminal.address = 1;
            options.terminals.push_back(station);
            options.timing.fast = true;
            simulator = std::make_unique<sim::Simulator>(options);
            const auto started = simulator->start();
            if (!started.ok()) {
                qFatal("simulator: %s", started.error.c_str());
            }
            device = started.path;
        }
        StoredSettings settings;
        settings.Record = CfgRecord::Defaults();
        settings.Record.HighPriority = 0;
        settings.DataPath = DataPath();
        if (adjust) {
            adjust(settings);
        }
        if (WriteConfigurationFile(IniPath(), settings) ||
            !WriteIniValue(IniPath(), "Porty", "COM1", device)) {
            qFatal("cannot write the test configuration");
        }
    }

    ~WindowHarness() {
        form.reset();
        if (simulator) {
            simulator->stop();
        }
        clear_port_devices();
    }

    WindowHarness(const WindowHarness&) = delete;
    WindowHarness& operator=(const WindowHarness&) = delete;

    std::string Root() const { return dir.path().toStdString(); }
    std::string IniPath() const { return join_path(Root(), "kelmora.ini"); }
    std::string DataPath() const { return join_path(Root(), "data"); }
    std::string DataFile(const char* name) const { return join_path(DataPath(), name); }

    // Constructs the window as the program does (hidden, the engine started)
    // and runs FormCreate, which starts the watcher (unless `create` is
    // false: a test that sets the watcher's flags itself).
    TForm1& Start(bool trayAvailable = true, bool create = true) {
        WindowOptions options;
        options.trayAvailable = trayAvailable;
        options.dialogs.message = [this](QWidget* owner, const MessageBox& box) {
            return Answer(box, owner != nullptr);
        };
        options.dialogs.openCommandFile = [this](QWidget*) {
            ++commandFileDialogs;
            return commandFile;
        };
        options.dialogs.chooseDirectory = [this](QWidget*, const QString&) {
            if (chooseDirectory) {
                return chooseDirectory();
            }
            return std::optional<QString>();
        };
        options.quit = [this] {
            ++quits;
            busyAtQuit = form->GetEngine().Busy();
        };
        EngineOptions engineOptions;
        engineOptions.iniPath = IniPath();
        engineOptions.startDirectory = Root();
        form = std::make_unique<TForm1>(std::move(engineOptions), std::move(options));
        form->StatusIcon1().SetBalloonObserver(
            [this](const QString& title, const QString& text, int ms) {
                balloons.push_back({title, text, ms});
            });
        if (create) {
            form->FormCreate();
        }
        return *form;
    }

    std::vector<std::string> LogMessages() const {
        std::vector<std::string> out;
        const std::string log = read_file(join_path(Root(), "errorlog.txt")).value_or("");
        std::size_t start = 0;
        while (start < log.size()) {
            const std::size_t end = log.find("\r\n", start);
            const std::string line = log.substr(start, end - start);
            out.push_back(line.size() > 22 ? line.substr(22) : line);
            if (end == std::string::npos) {
                break;
            }
            start = end + 2;
        }
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<TForm1> form;
    std::vector<ShownBalloon> balloons;
    std::optional<std::string> commandFile; // what OpenDialog1 gives
    int commandFileDialogs = 0;
    std::function<std::optional<QString>()> chooseDirectory;
    int quits = 0;
    bool busyAtQuit = false;
};

} // namespace kelmora::testing
