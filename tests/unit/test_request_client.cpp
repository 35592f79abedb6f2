// kelmora request's two judgements of its own: which lines make a request
// file (and how many commands the job must acknowledge), and what a job's
// receipt means to a script. The client at work against the program is in
// tests/integration/test_headless_program.cpp.
#include "platform/Cp1250.h"
#include "shell/RequestClient.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace kelmora;
using namespace kelmora::literals;

namespace {

// A record line of `length` characters with the letter `letter`.
std::string Record(char letter, std::size_t length) {
    return letter + std::string(length - 1, '0');
}

} // namespace

TEST(RequestClient, TheLinesMakeOneRequestFileOrAreRefusedWithTheReason) {
    struct Case {
        std::vector<std::string> lines;
        int terminal; // 0: no --terminal
        std::string bytes;
        int commands;
        std::string_view error; // the start of the message; empty: none
    };
    const std::string two = Record('Q', 121);
    const Case cases[] = {
        {{"S", "P"}, 1, "TERM 1\r\nS\r\nP\r\n", 2, ""},
        {{"TERM 2", "", "\x8A"}, 0, "TERM 2\r\n\r\n\x8A\r\n", 1, ""}, // an empty line sends nothing
        {{two, Record('R', 70)}, 0, two + "\r\n" + Record('R', 70) + "\r\n", 3, ""},
        {{}, 4, "TERM 4\r\n", 0, ""},
        {{}, 0, "", 0, "Požadavek je prázdný"_cp},
        {{"TERM 1", "S"}, 2, "", 0, "--terminal a řádek TERM"_cp},
        {{"S", "TERM 2", "S"}, 0, "", 0, "Řádek 2: TERM platí jen na prvním řádku"_cp},
        {{"S", "N\nO00"}, 0, "", 0, "Řádek 2: obsahuje konec řádku"_cp},
        {{"S", std::string("N\0X", 3)}, 0, "", 0, "Řádek 2: obsahuje znak NUL"_cp},
        {{Record('S', 98)}, 0, "", 0, "Řádek 1: 98 znaků se do rámce nevejde"_cp},
        {{Record('Q', 122)}, 0, "", 0, "Řádek 1: 122 znaků"_cp},
        {std::vector<std::string>(65538, ""), 0, "", 0, "Požadavek je větší než"_cp},
    };
    for (const Case& c : cases) {
        const BuiltRequest request =
            BuildRequest(c.lines, c.terminal != 0 ? std::optional<int>(c.terminal) : std::nullopt);
        EXPECT_EQ(request.error.substr(0, c.error.size()), c.error) << request.error;
        EXPECT_EQ(request.error.empty(), c.error.empty()) << request.error;
        if (c.error.empty()) {
            EXPECT_EQ(request.bytes, c.bytes);
            EXPECT_EQ(request.commands, c.commands);
        }
    }
}

TEST(RequestClient, AReceiptGivesTheScriptItsExitStatus) {
    const BuiltRequest three = BuildRequest({"Q0001", Record('Q', 100)}, 1); // three frames
    const BuiltRequest select = BuildRequest({}, 2);
    const auto of = [](const BuiltRequest& request) { return RequestDigest(request.bytes); };
    struct Case {
        const BuiltRequest& request;
        JobReceipt receipt;
        int exit;
        std::string_view message; // the start of it
    };
    const Case cases[] = {
        {three, {3, 0, "", of(three)}, kRequestDone, ""},
        {three, {2, 0, "", of(three)}, kRequestCommandFailed, "Terminál potvrdil 2 z 3 příkazů"_cp},
        {three, {0, 7, "", of(three)}, kRequestCommandFailed, "Terminál potvrdil 0 z 3"_cp},
        {three,
         {-1, 0, "", of(three)},
         kRequestJobFailed,
         "Úloha skončila stavem -1,0: řádek TERM volí"_cp},
        // Never read (set aside unread, left by the last run): its own failure.
        {three,
         {-1, -1, "", std::nullopt},
         kRequestJobFailed,
         "Úloha skončila stavem -1,-1: příčinu uvádí"_cp},
        {select, {1, 0, "", of(select)}, kRequestDone, ""},
        {select, {-1, 0, "", of(select)}, kRequestJobFailed, "Úloha skončila stavem -1,0"_cp},
        // Another program wrote over it in place before it was taken.
        {three, {3, 0, "", of(select)}, kRequestJobFailed, "Požadavek přepsal jiný program"_cp},
    };
    for (const Case& c : cases) {
        const Verdict verdict = JudgeReceipt(c.receipt, c.request);
        EXPECT_EQ(verdict.ours, c.message.rfind("Požadavek přepsal"_cp, 0) != 0);
        EXPECT_EQ(verdict.exit, c.exit) << verdict.message;
        EXPECT_EQ(verdict.message.substr(0, c.message.size()), c.message);
        EXPECT_EQ(verdict.message.empty(), c.message.empty()) << verdict.message;
    }
}
