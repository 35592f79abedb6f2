#include "shell/ProgramLocations.h"

#include "engine/Configuration.h"
#include "platform/Files.h"
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
        // The program moves into its start directory; the file stays put.
        locations.iniPath = is_absolute_path(*configOption)
                                ? *configOption
                                : join_path(currentDirectory, *configOption);
    } else {
        locations.iniPath = join_path(installed->configDirectory, "kelmora.ini");
        if (installed->configDirectory != installed->logDirectory) {
            locations.directoriesToCreate.push_back(installed->configDirectory);
        }
    }
    return locations;
}

void EnterStartDirectory(ProgramLocations& locations) {
    for (const std::string& directory : locations.directoriesToCreate) {
        make_directories(directory);
    }
    if (locations.startDirectory != current_directory() &&
        !change_directory(locations.startDirectory)) {
        locations.startDirectory = current_directory();
    }
}

} // namespace kelmora
