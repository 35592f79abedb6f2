// The client's side of Telnet with the COM port option (RFC 2217), as a
// network port speaks it to a device server: no I/O, bytes in and bytes out.
//
// Data bytes go as they are, except 0xFF (IAC), which is doubled; both sides
// are asked for binary transmission, so CR and every other byte pass
// unchanged. What the server sends is split into data bytes and Telnet
// commands; the codec answers the option negotiation itself (it agrees to
// binary transmission, suppressed go-ahead and the COM port option, and
// refuses everything else) and keeps what the server reported of the line
// settings. A command may be split across two reads.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kelmora {

namespace telnet {
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPort = 44;

// The COM port option's commands, as the client sends them; the server's
// answers carry the same number plus 100.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerOffset = 100;

// SET-CONTROL values.
inline constexpr std::uint8_t kNoFlowControl = 1;
inline constexpr std::uint8_t kDtrOn = 8;
inline constexpr std::uint8_t kRtsOn = 11;
} // namespace telnet

// The line settings a server reported back, each once it answered.
struct ReportedLine {
    std::optional<std::uint32_t> baud;
    std::optional<std::uint8_t> dataSize;
    std::optional<std::uint8_t>
        parity; // the option's numbers: 1 none, 2 odd, 3 even, 4 mark, 5 space
    std::optional<std::uint8_t> stopSize; // 1, 2, or 3 for one and a half
};

class TelnetCodec {
public:
    // What a client sends first: it will speak the COM port option, and asks
    // for binary transmission both ways and no go-ahead.
    static std::vector<std::uint8_t> Greeting();

    // The COM port commands that set the line: speed, data bits, parity
    // (letter N, O, E, M or S), stop bits, then no flow control, DTR and RTS
    // on. Empty for a parity letter the option has no number for.
    static std::vector<std::uint8_t> LineSettings(std::uint32_t baud, int dataBits, char parity,
                                                  int stopBits);

    // The option's number of a parity letter (either case); 0 for none.
    static std::uint8_t ParityNumber(char parity);

    // Appends the data bytes, 0xFF doubled.
    static void Escape(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out);

    // Takes what the server sent: data bytes are appended to `data`, the
    // codec's answers to the negotiation to `replies` (to be sent back).
    void Receive(const std::uint8_t* in, std::size_t n, std::vector<std::uint8_t>& data,
                 std::vector<std::uint8_t>& replies);

    // Whether the server agreed to (DO) or refused (DONT) the COM port
    // option; neither while it has not answered.
    bool ComPortAgreed() const { return comPortAgreed_; }
    bool ComPortRefused() const { return comPortRefused_; }
    const ReportedLine& Reported() const { return reported_; }

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    void Negotiate(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& replies);
    void SubnegotiationEnded();

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::vector<std::uint8_t> sub_; // the current subnegotiation, option first
    bool comPortAgreed_ = false;
    bool comPortRefused_ = false;
    // The options the far side has been told DO (server may send) and we
    // said WILL for; an answer that confirms one is not answered again.
    bool hisBinary_ = true;
    bool hisSga_ = true;
    bool myBinary_ = true;
    bool mySga_ = true;
    bool myComPort_ = true;
    ReportedLine reported_;
};

} // namespace kelmora
