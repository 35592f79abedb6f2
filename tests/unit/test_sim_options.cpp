// The command line of tobrin-sim.
#include "sim/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelmora::sim;

TEST(SimOptions, DefaultsAreOneSlaveAtAddressOneAtFullSpeed) {
    const CommandLine cl = parse_command_line({});
    ASSERT_EQ(cl.error, "");
    ASSERT_EQ(cl.options.terminals.size(), 1u);
    EXPECT_EQ(cl.options.terminals[0].terminal.address, 1);
    EXPECT_EQ(cl.options.terminals[0].terminal.role, Role::Slave);
    EXPECT_EQ(cl.options.terminals[0].terminal.capacity, 2500u);
    EXPECT_EQ(cl.options.timing.baud, 19200);
    EXPECT_EQ(cl.options.timing.turnaround_ms, 10);
    EXPECT_EQ(cl.options.timing.poll_period_ms, 50);
    EXPECT_FALSE(cl.options.timing.fast);
}

TEST(SimOptions, TerminalsTimingAndFaultsAimedAtOneTerminal) {
    const CommandLine cl = parse_command_line({"--terminal",
                                               "1:slave",
                                               "--terminal=2:master",
                                               "--baud",
                                               "9600",
                                               "--mark",
                                               "--turnaround",
                                               "15",
                                               "--poll-period=40",
                                               "--capacity",
                                               "100",
                                               "--dt",
                                               "--nak",
                                               "2:0.25",
                                               "--no-ack",
                                               "3",
                                               "--cut-block",
                                               "20%",
                                               "--cut-bytes",
                                               "2:7",
                                               "--stop-polling",
                                               "2:5",
                                               "--trace",
                                               "/tmp/x.trace",
                                               "--random",
                                               "10",
                                               "--seed",
                                               "9"});
    ASSERT_EQ(cl.error, "");
    const auto& t = cl.options.terminals;
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].terminal.role, Role::Master);
    EXPECT_TRUE(t[1].terminal.dt);
    EXPECT_EQ(t[1].terminal.records.size(), 10u);
    EXPECT_EQ(t[0].terminal.records, t[1].terminal.records);
    EXPECT_EQ(cl.options.timing.baud, 9600);
    EXPECT_TRUE(cl.options.timing.mark);
    EXPECT_EQ(cl.options.timing.poll_period_ms, 40);
    EXPECT_EQ(cl.options.trace_path, "/tmp/x.trace");
    EXPECT_EQ(cl.options.seed, 9u);

    EXPECT_EQ(t[0].faults.nak, FaultSpec{});
    EXPECT_EQ(t[1].faults.nak, FaultSpec::at_rate(0.25));
    EXPECT_EQ(t[0].faults.no_ack, FaultSpec::next(3));
    EXPECT_EQ(t[1].faults.no_ack, FaultSpec::next(3));
    EXPECT_DOUBLE_EQ(t[0].faults.cut_block.rate, 0.2);
    EXPECT_EQ(t[0].faults.cut_bytes, 1);
    EXPECT_EQ(t[1].faults.cut_bytes, 7);
    EXPECT_EQ(t[0].faults.stop_polling_after, -1);
    EXPECT_EQ(t[1].faults.stop_polling_after, 5);
}

TEST(SimOptions, FaultSpecs) {
    const struct {
        const char* text;
        bool ok;
        FaultSpec spec;
    } cases[] = {
        {"0", true, FaultSpec::next(0)},
        {"3", true, FaultSpec::next(3)},
        {"0.5", true, FaultSpec::at_rate(0.5)},
        {"1.0", true, FaultSpec::at_rate(1.0)},
        {"25%", true, FaultSpec::at_rate(0.25)},
        {"1.5", false, {}},
        {"150%", false, {}},
        {"-1", false, {}},
        {"abc", false, {}},
        {"", false, {}},
        {"0.2.1", false, {}},
        {"%", false, {}},
    };
    for (const auto& c : cases) {
        FaultSpec spec;
        EXPECT_EQ(parse_fault_spec(c.text, spec), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(spec, c.spec) << c.text;
        }
    }
}

TEST(SimOptions, BadCommandLinesGetAClearMessage) {
    const struct {
        std::vector<std::string> args;
        const char* what;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--baud"}, "--baud needs a value"},
        {{"--baud", "1234"}, "--baud wants one of"},
        {{"--terminal", "1"}, "ADDR:MODE"},
        {{"--terminal", "300:slave"}, "from 0 to 255"},
        {{"--terminal", "1:boss"}, "master or slave"},
        {{"--turnaround", "-5"}, "--turnaround wants a whole number"},
        {{"--poll-period", "0"}, "--poll-period wants"},
        {{"--fast=yes"}, "takes no value"},
        {{"--nak", "lots"}, "--nak wants a count"},
        {{"--terminal", "1:slave", "--nak", "2:1"}, "address 2, which has no terminal"},
        {{"--coding", "maybe"}, "on or off"},
        {{"--ident", "12345678901234567"}, "at most 16"},
        {{"--random", "5", "--capacity", "4"}, "more than the capacity"},
        {{"--records", "/nonexistent/r.txt"}, "cannot read"},
        {{"--records", "/nonexistent/r.txt", "--random", "1"}, "together"},
    };
    for (const auto& c : cases) {
        const CommandLine cl = parse_command_line(c.args);
        EXPECT_NE(cl.error.find(c.what), std::string::npos) << c.what << " / " << cl.error;
    }
}

TEST(SimOptions, HelpDocumentsEveryOption) {
    const std::string help = usage_text();
    for (const std::string& name : option_names()) {
        EXPECT_NE(help.find("  " + name + " "), std::string::npos) << name;
        // Every option is also accepted (an unknown one would say so).
        const CommandLine cl = parse_command_line({name});
        EXPECT_EQ(cl.error.find("unknown option"), std::string::npos) << name;
    }
    EXPECT_GE(option_names().size(), 30u);
    EXPECT_TRUE(parse_command_line({"--help"}).help);
}
