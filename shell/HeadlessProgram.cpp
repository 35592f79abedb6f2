#include "shell/HeadlessProgram.h"

#include "engine/Engine.h"
#include "platform/Cp1250.h"
#include "platform/SingleInstance.h"
#include "platform/StopSignal.h"
#include "shell/HeadlessConsole.h"
#include "shell/HeadlessLoop.h"
#include "shell/ServiceWatchdog.h"

#include <iostream>

namespace kelmora {

using namespace kelmora::literals;

int RunHeadless(const std::string& iniPath) {
    HeadlessConsole console(std::cerr);
    SingleInstance mark("Kelmoraprogram");
    if (!mark.Held()) {
        console.ShowMessage({"Tento program je již spuštěn!!!"_cp, "*** Pozor ***",
                             MessageIcon::Error, MessageButtons::Ok});
        return -1;
    }

    EngineOptions options;
    options.iniPath = iniPath;
    options.startDirectory = CaptureStartDirectory();
    Engine engine(console, std::move(options));
    HeadlessLoop loop(engine);
    // Before the watcher exists: the stop signals go to a thread of their own.
    on_stop_signal([&loop] { loop.RequestStop(); });
    console.SetLoop(&loop);

    engine.LoadConfiguration();
    if (engine.SecondCopy()) {
        console.ShowMessage({"Tento program je již spuštěn!!!"_cp, "*** Pozor ***",
                             MessageIcon::Error, MessageButtons::Ok});
        return -1;
    }
    console.UseSettings(engine.Config());
    engine.LogStart();
    engine.OpenTerminals();
    engine.HandOvers().SetWake([&loop] { loop.Wake(); });
    engine.StartWatcher(engine.Config().RequestFile);
    loop.EnableWatchdog(true);
    console.ShowBalloon("Kelmora 2013", "Start programu", 500);
    ServiceStartupDone();

    loop.Run();

    ServiceShutdownBegins();
    mark.Release();
    loop.EnableWatchdog(false);
    engine.Shutdown();
    stop_signal_done();
    return 0;
}

} // namespace kelmora
