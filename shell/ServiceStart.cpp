#include "shell/ServiceStart.h"

#include "engine/EventLog.h"
#include "engine/IniFile.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/ServiceNotify.h"

#include <iostream>

namespace kelmora {

using namespace kelmora::literals;

bool RunsAsService(const EnvironmentLookup& env) {
    return env("NOTIFY_SOCKET").has_value() || env("CONFIGURATION_DIRECTORY").has_value();
}

std::optional<std::string> MissingServiceConfiguration(std::string_view iniPath) {
    std::string_view why;
    switch (read_regular_file(iniPath, kMaxIniFileBytes).problem) {
    case FileProblem::None:
        return std::nullopt;
    case FileProblem::Missing:
        why = "neexistuje"_cp;
        break;
    case FileProblem::NotRegular:
        why = "není to obyčejný soubor"_cp;
        break;
    case FileProblem::TooLarge:
        why = "je příliš velký"_cp;
        break;
    default:
        why = "nelze jej přečíst"_cp;
        break;
    }
    return std::string("Konfiguraci nelze načíst ze souboru "_cp) + std::string(iniPath) + " (" +
           std::string(why) + std::string("): služba bez konfigurace nepracuje"_cp);
}

int RefuseToServeWithout(std::string_view startDirectory, const std::string& problem) {
    EventLog(std::string(startDirectory)).LogEvent(problem);
    const std::string text = utf8_from_cp1250(problem);
    std::cerr << "kelmora: " << text << '\n' << std::flush;
    notify_service("STATUS=" + text);
    return kExitNoConfiguration;
}

} // namespace kelmora
