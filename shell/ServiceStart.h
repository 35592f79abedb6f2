// A service runs on its configuration or not at all. On the defaults its
// data path would be its start directory, the log directory, where no host
// application drops a request file and nobody looks: it would seem to work
// and serve nobody. So a program without a window under a service manager
// whose configuration file is missing or cannot be read says so (the event
// log, the journal, STATUS=) and ends with kExitNoConfiguration, which its
// unit does not restart. A program run by a person, and a window anywhere,
// starts on the defaults as before: the window shows them.
#pragma once

#include "platform/InstalledLocations.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// sysexits' EX_CONFIG; kelmora.service names it in RestartPreventExitStatus=.
inline constexpr int kExitNoConfiguration = 78;

// Whether a service manager runs the program: it listens for the notify
// protocol, or it names the service's configuration directory.
bool RunsAsService(const EnvironmentLookup& env);

// Why a service cannot run on `iniPath`, in the event log's words
// (Windows-1250); nothing when the file can be read.
std::optional<std::string> MissingServiceConfiguration(std::string_view iniPath);

// Says it in the event log of `startDirectory`, on standard error and to the
// service manager; the exit code to end with.
int RefuseToServeWithout(std::string_view startDirectory, const std::string& problem);

} // namespace kelmora
