// The Telnet side of an rfc2217:// port: data bytes through unchanged (0xFF
// doubled), the option negotiation answered without loops, and the line
// settings as the server reports them, whatever way the reads split.
#include "serial/TelnetCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace kelmora;
using namespace kelmora::telnet;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Escaped(const Bytes& data) {
    Bytes out;
    TelnetCodec::Escape(data.data(), data.size(), out);
    return out;
}

// Everything `in` carries, fed in pieces of `piece` bytes.
struct Received {
    Bytes data;
    Bytes replies;
};
Received Feed(TelnetCodec& codec, const Bytes& in, std::size_t piece) {
    Received r;
    for (std::size_t at = 0; at < in.size(); at += piece) {
        const std::size_t n = std::min(piece, in.size() - at);
        codec.Receive(in.data() + at, n, r.data, r.replies);
    }
    return r;
}

} // namespace

TEST(TelnetCodec, OnlyIacIsDoubledOnTheWayOut) {
    EXPECT_EQ(Escaped({}), Bytes{});
    EXPECT_EQ(Escaped({0x01, 0x0D, 0x00, 0x11, 0x13, 0xFE}),
              (Bytes{0x01, 0x0D, 0x00, 0x11, 0x13, 0xFE}));
    EXPECT_EQ(Escaped({0xFF}), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(Escaped({0x01, 0xFF, 0xFF, 0x02}), (Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x02}));
}

TEST(TelnetCodec, TheLineIsSetAsTheOptionWritesIt) {
    EXPECT_EQ(TelnetCodec::Greeting(),
              (Bytes{kIac, kWill, kComPort, kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill,
                     kSuppressGoAhead, kIac, kDo, kSuppressGoAhead}));
    // 19200 baud, 8 data bits, mark parity, 1 stop bit, no flow control,
    // DTR and RTS on.
    const Bytes sb{kIac, kSb, kComPort};
    const Bytes se{kIac, kSe};
    Bytes expected;
    for (const Bytes& command : {Bytes{1, 0x00, 0x00, 0x4B, 0x00}, Bytes{2, 8}, Bytes{3, 4},
                                 Bytes{4, 1}, Bytes{5, 1}, Bytes{5, 8}, Bytes{5, 11}}) {
        expected.insert(expected.end(), sb.begin(), sb.end());
        expected.insert(expected.end(), command.begin(), command.end());
        expected.insert(expected.end(), se.begin(), se.end());
    }
    EXPECT_EQ(TelnetCodec::LineSettings(19200, 8, 'M', 1), expected);
    // A speed with 0xFF in it keeps the byte doubled inside the command.
    const Bytes odd = TelnetCodec::LineSettings(0x1FF, 8, 'N', 1);
    EXPECT_EQ(Bytes(odd.begin(), odd.begin() + 10),
              (Bytes{kIac, kSb, kComPort, 1, 0, 0, 1, 0xFF, 0xFF, kIac}));
    for (const char parity : {'N', 'o', 'E', 'm', 'S'}) {
        EXPECT_NE(TelnetCodec::ParityNumber(parity), 0) << parity;
    }
    EXPECT_EQ(TelnetCodec::ParityNumber('M'), 4);
    EXPECT_TRUE(TelnetCodec::LineSettings(19200, 8, 'X', 1).empty());
}

TEST(TelnetCodec, DataComesThroughAndCommandsAreTakenOutWhereverTheReadsSplit) {
    // Data with a doubled IAC, a NOP, a negotiation answer and a server's
    // report of the speed (with a doubled 0xFF inside) between data bytes.
    const Bytes in{0x10, kIac,     kIac, 0x04, kIac, 241,  0x55, kIac, kDo,  kComPort, 0x69, kIac,
                   kSb,  kComPort, 101,  0x00, 0x00, 0x01, 0xFF, 0xFF, kIac, kSe,      0x06};
    for (std::size_t piece = 1; piece <= in.size(); ++piece) {
        TelnetCodec codec;
        const Received r = Feed(codec, in, piece);
        EXPECT_EQ(r.data, (Bytes{0x10, 0xFF, 0x04, 0x55, 0x69, 0x06})) << piece;
        EXPECT_EQ(r.replies, Bytes{}) << "DO COM-PORT answers our WILL: nothing to say";
        EXPECT_TRUE(codec.ComPortAgreed());
        EXPECT_EQ(codec.Reported().baud, 0x1FFu) << piece;
        EXPECT_FALSE(codec.Reported().parity.has_value());
    }
}

TEST(TelnetCodec, NegotiationIsAnsweredOnceAndUnknownOptionsAreRefused) {
    constexpr std::uint8_t kEcho = 1;
    constexpr std::uint8_t kTerminalType = 24;
    struct Case {
        const char* what;
        Bytes in;
        Bytes replies;
        bool agreed;
        bool refused;
    };
    const Case cases[] = {
        {"confirmations of what was asked",
         {kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSuppressGoAhead, kIac, kDo,
          kSuppressGoAhead},
         {},
         false,
         false},
        {"an offer to echo", {kIac, kWill, kEcho}, {kIac, kDont, kEcho}, false, false},
        {"a request for the terminal type",
         {kIac, kDo, kTerminalType},
         {kIac, kWont, kTerminalType},
         false,
         false},
        {"COM port refused", {kIac, kDont, kComPort}, {kIac, kWont, kComPort}, false, true},
        {"binary refused, then offered again",
         {kIac, kWont, kBinary, kIac, kWont, kBinary, kIac, kWill, kBinary},
         {kIac, kDont, kBinary, kIac, kDo, kBinary},
         false,
         false},
        {"an option dropped that was never on",
         {kIac, kWont, kEcho, kIac, kDont, kEcho},
         {},
         false,
         false},
    };
    for (const Case& c : cases) {
        TelnetCodec codec;
        const Received r = Feed(codec, c.in, c.in.size());
        EXPECT_EQ(r.data, Bytes{}) << c.what;
        EXPECT_EQ(r.replies, c.replies) << c.what;
        EXPECT_EQ(codec.ComPortAgreed(), c.agreed) << c.what;
        EXPECT_EQ(codec.ComPortRefused(), c.refused) << c.what;
    }
}

TEST(TelnetCodec, TheServersReportsOfTheLineAreKept) {
    TelnetCodec codec;
    const Bytes in{kIac, kSb, kComPort, 101, 0x00, 0x00, 0x25, 0x80, kIac, kSe, // 9600
                   kIac, kSb, kComPort, 102, 8, kIac, kSe, kIac, kSb, kComPort, 103, 4, kIac, kSe,
                   kIac, kSb, kComPort, 104, 1, kIac, kSe,
                   // a modem state notice and another option's subnegotiation
                   kIac, kSb, kComPort, 107, 0x30, kIac, kSe, kIac, kSb, 24, 1, kIac, kSe};
    const Received r = Feed(codec, in, in.size());
    EXPECT_EQ(r.data, Bytes{});
    EXPECT_EQ(codec.Reported().baud, 9600u);
    EXPECT_EQ(codec.Reported().dataSize, 8);
    EXPECT_EQ(codec.Reported().parity, 4);
    EXPECT_EQ(codec.Reported().stopSize, 1);
}
