// The command line: each option in both spellings, a clear message for what
// is not understood, and the usage.
#include "shell/ProgramOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelmora;

TEST(ProgramOptions, FilesInBothSpellingsAndWhatIsNotUnderstood) {
    struct Case {
        std::vector<std::string> arguments;
        std::string config; // "-" none
        std::string trace;  // "-" none
        std::string error;  // empty: none
    };
    const Case cases[] = {
        {{}, "-", "-", ""},
        {{"--config", "a.ini", "--trace", "t.txt"}, "a.ini", "t.txt", ""},
        {{"--trace=t.txt", "--headless", "--config=a.ini"}, "a.ini", "t.txt", ""},
        {{"--trace"}, "-", "-", "--trace needs the path of the trace file"},
        {{"--trace", ""}, "-", "-", "--trace needs the path of the trace file"},
        {{"--config"}, "-", "-", "--config needs the path of the configuration file"},
        {{"--trace="}, "-", "-", "unknown option: --trace="},
        {{"--tracefile"}, "-", "-", "unknown option: --tracefile"},
    };
    for (const Case& c : cases) {
        const ParsedOptions parsed = ParseProgramOptions(c.arguments);
        EXPECT_EQ(parsed.error, c.error);
        if (c.error.empty()) {
            EXPECT_EQ(parsed.options.configFile.value_or("-"), c.config);
            EXPECT_EQ(parsed.options.traceFile.value_or("-"), c.trace);
        }
    }
}

TEST(ProgramOptions, TheUsageNamesTheConfigurationFileOfThisRun) {
    // Installed in /usr/bin the INI is not the executable's path with .ini.
    const std::string usage = ProgramUsage("/home/anna/.config/kelmora/kelmora.ini");
    EXPECT_NE(usage.find("--config FILE  the configuration file, instead of\n"
                         "                 /home/anna/.config/kelmora/kelmora.ini\n"),
              std::string::npos)
        << usage;
    EXPECT_EQ(usage.find("executable"), std::string::npos);
}
