// The command line: each option in both spellings, a clear message for what
// is not understood, and the usage.
#include "shell/ProgramOptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
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

TEST(ProgramOptions, ARequestTakesItsLinesOrAFileAndNothingOfTheRelaysOwn) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> lines;
        std::string file; // "-" none
        int terminal;     // 0 none
        std::uint32_t timeoutMs;
        std::string config; // "-" none
    };
    const std::uint32_t standard = kDefaultRequestTimeoutMs;
    const Case cases[] = {
        {{"request", "S", "P"}, {"S", "P"}, "-", 0, standard, "-"},
        {{"--config", "a.ini", "request", "--terminal", "2", "Y"},
         {"Y"},
         "-",
         2,
         standard,
         "a.ini"},
        {{"request", "--timeout=2.5", "--file", "jobs.cfg", "--config=b.ini"},
         {},
         "jobs.cfg",
         0,
         2500,
         "b.ini"},
        // After "--" everything is a line; "request" further on is a line too.
        {{"request", "--timeout", "600", "--", "--terminal", "request"},
         {"--terminal", "request"},
         "-",
         0,
         600000,
         "-"},
        {{"request", "request"}, {"request"}, "-", 0, standard, "-"},
    };
    for (const Case& c : cases) {
        const ParsedOptions parsed = ParseProgramOptions(c.arguments);
        EXPECT_EQ(parsed.error, "") << c.arguments.back();
        const RequestOptions& request = parsed.options.requestOptions;
        EXPECT_TRUE(parsed.options.request);
        EXPECT_EQ(request.lines, c.lines);
        EXPECT_EQ(request.file.value_or("-"), c.file);
        EXPECT_EQ(request.terminal.value_or(0), c.terminal);
        EXPECT_EQ(request.timeoutMs, c.timeoutMs);
        EXPECT_EQ(parsed.options.configFile.value_or("-"), c.config);
    }
    const std::string seconds = "--timeout needs a number of seconds above 0, at most 86400: ";
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"request", "--terminal", "5"}, "--terminal needs 1, 2, 3 or 4: 5"},
        {{"request", "--terminal"}, "--terminal needs 1, 2, 3 or 4"},
        {{"request", "--timeout", "0"}, seconds + "0"},
        {{"request", "--timeout", "86400.001"}, seconds + "86400.001"},
        {{"request", "--timeout", "1e3"}, seconds + "1e3"},
        {{"request", "--file", "f", "S"}, "request takes --file or command lines, not both"},
        {{"request", "--headless", "S"}, "--headless has no meaning with request"},
        {{"request", "--trace=t", "S"}, "--trace has no meaning with request"},
        {{"request", "--wait", "S"}, "unknown option: --wait"},
        {{"S"}, "unknown option: S"},
    };
    for (const auto& [arguments, error] : refused) {
        EXPECT_EQ(ParseProgramOptions(arguments).error, error);
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
