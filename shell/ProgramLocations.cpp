#include "shell/ProgramLocations.h"

#include "engine/Configuration.h"
#include "platform/Path.h"

namespace kelmora {

ProgramLocations ResolveProgramLocations(const std::optional<std::string>& configOption,
                                         std::string_view executablePath,
                                         const EnvironmentLookup& env,
                                         std::string_view currentDirectory) {
    ProgramLocations locations;
    const auto installed = installed_locations(executablePath, env);
    if (!installed) {
        locations.iniPath = configOption.value_or(ConfigurationFilePath(executablePath));
        locations.startDirectory = currentDirectory;
        return locations;
    }
    locations.startDirectory = installed->logDirectory;
    locations.directoriesToCreate.push_back(installed->logDirectory);
    if (configOption) {
        locations.iniPath = *configOption;
    } else {
        locations.iniPath = join_path(installed->configDirectory, "kelmora.ini");
        if (installed->configDirectory != installed->logDirectory) {
            locations.directoriesToCreate.push_back(installed->configDirectory);
        }
    }
    return locations;
}

} // namespace kelmora
