// Where the program keeps its INI and its event log: beside itself in a
// directory of its own, in the platform's places when installed.
#include "shell/ProgramLocations.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace kelmora;

namespace {

EnvironmentLookup Environment(std::map<std::string, std::string, std::less<>> variables) {
    return [variables](std::string_view name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) {
            return std::nullopt;
        }
        return found->second;
    };
}

struct Case {
    const char* what;
    const char* executable;
    std::map<std::string, std::string, std::less<>> environment;
    std::optional<std::string> config;
    std::string iniPath;
    std::string startDirectory;
    std::vector<std::string> created;
};

} // namespace

TEST(ProgramLocations, OwnDirectoryOrThePlatformsPlaces) {
#ifdef _WIN32
    const std::map<std::string, std::string, std::less<>> user = {
        {"ProgramFiles", "C:\\Program Files"},
        {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
        {"APPDATA", "C:\\Users\\Jan\\AppData\\Roaming"},
        {"USERPROFILE", "C:\\Users\\Jan"}};
    const std::string roaming = "C:\\Users\\Jan\\AppData\\Roaming\\Kelmora";
    const Case cases[] = {
        {"the portable folder",
         "D:\\Kelmora\\kelmora.exe",
         user,
         {},
         "D:\\Kelmora\\kelmora.ini",
         "D:\\Start",
         {}},
        {"--config beside", "D:\\Kelmora\\kelmora.exe", user, "x.ini", "x.ini", "D:\\Start", {}},
        {"a name that only begins like Program Files",
         "C:\\Program Files Extra\\kelmora.exe",
         user,
         {},
         "C:\\Program Files Extra\\kelmora.ini",
         "D:\\Start",
         {}},
        {"installed",
         "C:\\Program Files\\Kelmora\\kelmora.exe",
         user,
         {},
         roaming + "\\kelmora.ini",
         roaming,
         {roaming}},
        {"installed, 32-bit folder, other case and slashes",
         "c:/program files (x86)/Kelmora/kelmora.exe",
         user,
         {},
         roaming + "\\kelmora.ini",
         roaming,
         {roaming}},
        {"installed without APPDATA",
         "C:\\Program Files\\Kelmora\\kelmora.exe",
         {{"ProgramFiles", "C:\\Program Files\\"}, {"USERPROFILE", "C:\\Users\\Jan"}},
         {},
         roaming + "\\kelmora.ini",
         roaming,
         {roaming}},
        {"installed with --config",
         "C:\\Program Files\\Kelmora\\kelmora.exe",
         user,
         "E:\\k.ini",
         "E:\\k.ini",
         roaming,
         {roaming}},
        {"installed with a relative --config",
         "C:\\Program Files\\Kelmora\\kelmora.exe",
         user,
         "k.ini",
         "D:\\Start\\k.ini",
         roaming,
         {roaming}},
    };
    const std::string start = "D:\\Start";
#else
    const std::map<std::string, std::string, std::less<>> user = {{"HOME", "/home/jan"}};
    const std::string config = "/home/jan/.config/kelmora";
    const std::string state = "/home/jan/.local/state/kelmora";
    const Case cases[] = {
        {"a build tree",
         "/home/jan/src/build/bin/kelmora",
         user,
         {},
         "/home/jan/src/build/bin/kelmora.ini",
         "/start",
         {}},
        {"--config beside",
         "/home/jan/src/build/bin/kelmora",
         user,
         "x.ini",
         "x.ini",
         "/start",
         {}},
        {"a folder of its own under /opt",
         "/opt/kelmora/kelmora",
         user,
         {},
         "/opt/kelmora/kelmora.ini",
         "/start",
         {}},
        {"a name that only begins like /usr/bin",
         "/usr/binx/kelmora",
         user,
         {},
         "/usr/binx/kelmora.ini",
         "/start",
         {}},
        {"installed, started from the menu",
         "/usr/bin/kelmora",
         user,
         {},
         config + "/kelmora.ini",
         state,
         {state, config}},
        {"installed, XDG directories",
         "/usr/local/bin/kelmora",
         {{"HOME", "/home/jan"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_STATE_HOME", "/st"}},
         {},
         "/cfg/kelmora/kelmora.ini",
         "/st/kelmora",
         {"/st/kelmora", "/cfg/kelmora"}},
        {"installed, relative XDG directories are ignored",
         "/usr/bin/kelmora",
         {{"HOME", "/home/jan"}, {"XDG_CONFIG_HOME", "cfg"}, {"XDG_STATE_HOME", ""}},
         {},
         config + "/kelmora.ini",
         state,
         {state, config}},
        {"the service",
         "/usr/bin/kelmora",
         {{"HOME", "/var/lib/kelmora"},
          {"CONFIGURATION_DIRECTORY", "/etc/kelmora"},
          {"LOGS_DIRECTORY", "/var/log/kelmora:/var/log/other"}},
         {},
         "/etc/kelmora/kelmora.ini",
         "/var/log/kelmora",
         {"/var/log/kelmora", "/etc/kelmora"}},
        {"installed with --config",
         "/usr/bin/kelmora",
         user,
         "/srv/k.ini",
         "/srv/k.ini",
         state,
         {state}},
        {"installed with a relative --config: the program changes directory",
         "/usr/bin/kelmora",
         user,
         "k.ini",
         "/start/k.ini",
         state,
         {state}},
    };
    const std::string start = "/start";
#endif
    for (const Case& c : cases) {
        const ProgramLocations l =
            ResolveProgramLocations(c.config, c.executable, Environment(c.environment), start);
        EXPECT_EQ(l.iniPath, c.iniPath) << c.what;
        EXPECT_EQ(l.startDirectory, c.startDirectory) << c.what;
        EXPECT_EQ(l.directoriesToCreate, c.created) << c.what;
    }
}

TEST(ProgramLocations, TheProcessEnvironmentIsReadAsWindows1250) {
#ifdef _WIN32
    _putenv("KELMORA_TEST_PLACE=C:\\Dat\xE8");
#else
    setenv("KELMORA_TEST_PLACE", "/dat\xC4\x8D", 1); // UTF-8 č
#endif
    const EnvironmentLookup env = process_environment();
    ASSERT_TRUE(env("KELMORA_TEST_PLACE"));
    EXPECT_EQ(env("KELMORA_TEST_PLACE")->back(), '\xE8');
    EXPECT_FALSE(env("KELMORA_TEST_UNSET_PLACE"));
    EXPECT_TRUE(env("HOME") || env("APPDATA"));
}
