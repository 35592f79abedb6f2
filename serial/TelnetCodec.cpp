#include "serial/TelnetCodec.h"

namespace kelmora {

using namespace telnet;

namespace {

// Byte by byte: GCC 12 at -O3 (the Windows build) warns of an overflow that
// is not there when a vector takes an initializer list.
void Append(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        out.push_back(b);
    }
}

void Command(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option) {
    Append(out, {kIac, verb, option});
}

// IAC SB COM-PORT-OPTION code value... IAC SE, a 0xFF in the value doubled.
void ComPortCommand(std::vector<std::uint8_t>& out, std::uint8_t code,
                    std::initializer_list<std::uint8_t> value) {
    Append(out, {kIac, kSb, kComPort, code});
    for (const std::uint8_t b : value) {
        out.push_back(b);
        if (b == kIac) {
            out.push_back(kIac);
        }
    }
    Append(out, {kIac, kSe});
}

} // namespace

std::vector<std::uint8_t> TelnetCodec::Greeting() {
    std::vector<std::uint8_t> out;
    Command(out, kWill, kComPort);
    Command(out, kWill, kBinary);
    Command(out, kDo, kBinary);
    Command(out, kWill, kSuppressGoAhead);
    Command(out, kDo, kSuppressGoAhead);
    return out;
}

std::uint8_t TelnetCodec::ParityNumber(char parity) {
    switch (parity) {
    case 'N':
    case 'n':
        return 1;
    case 'O':
    case 'o':
        return 2;
    case 'E':
    case 'e':
        return 3;
    case 'M':
    case 'm':
        return 4;
    case 'S':
    case 's':
        return 5;
    default:
        return 0;
    }
}

std::vector<std::uint8_t> TelnetCodec::LineSettings(std::uint32_t baud, int dataBits, char parity,
                                                    int stopBits) {
    const std::uint8_t parityNumber = ParityNumber(parity);
    if (parityNumber == 0) {
        return {};
    }
    std::vector<std::uint8_t> out;
    ComPortCommand(out, kSetBaudRate,
                   {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
                    static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)});
    ComPortCommand(out, kSetDataSize, {static_cast<std::uint8_t>(dataBits)});
    ComPortCommand(out, kSetParity, {parityNumber});
    ComPortCommand(out, kSetStopSize, {static_cast<std::uint8_t>(stopBits)});
    ComPortCommand(out, kSetControl, {kNoFlowControl});
    ComPortCommand(out, kSetControl, {kDtrOn});
    ComPortCommand(out, kSetControl, {kRtsOn});
    return out;
}

void TelnetCodec::Escape(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac) {
            out.push_back(kIac);
        }
    }
}

void TelnetCodec::Receive(const std::uint8_t* in, std::size_t n, std::vector<std::uint8_t>& data,
                          std::vector<std::uint8_t>& replies) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = in[i];
        switch (state_) {
        case State::Data:
            if (b == kIac) {
                state_ = State::Iac;
            } else {
                data.push_back(b);
            }
            break;
        case State::Iac:
            if (b == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (b >= kWill && b <= kDont) {
                verb_ = b;
                state_ = State::Option;
            } else if (b == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data; // NOP, go-ahead and the rest mean nothing here
            }
            break;
        case State::Option:
            Negotiate(verb_, b, replies);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == kIac) {
                state_ = State::SubIac;
            } else {
                sub_.push_back(b);
            }
            break;
        case State::SubIac:
            if (b == kIac) {
                sub_.push_back(kIac);
                state_ = State::Sub;
            } else {
                // IAC SE ends it; any other command inside a subnegotiation
                // ends it as well rather than swallowing the data behind it.
                SubnegotiationEnded();
                state_ = State::Data;
            }
            break;
        }
    }
}

void TelnetCodec::Negotiate(std::uint8_t verb, std::uint8_t option,
                            std::vector<std::uint8_t>& replies) {
    // The far side's options (WILL, WONT): binary and no go-ahead are wanted.
    bool* his = option == kBinary ? &hisBinary_ : option == kSuppressGoAhead ? &hisSga_ : nullptr;
    // Ours (DO, DONT): the same two and the COM port option.
    bool* mine = option == kBinary            ? &myBinary_
                 : option == kSuppressGoAhead ? &mySga_
                 : option == kComPort         ? &myComPort_
                                              : nullptr;
    switch (verb) {
    case kWill:
        if (his == nullptr) {
            Command(replies, kDont, option);
        } else if (!*his) {
            *his = true;
            Command(replies, kDo, option);
        }
        break;
    case kWont:
        if (his != nullptr && *his) {
            *his = false;
            Command(replies, kDont, option);
        }
        break;
    case kDo:
        if (mine == nullptr) {
            Command(replies, kWont, option);
            break;
        }
        if (!*mine) {
            *mine = true;
            Command(replies, kWill, option);
        }
        if (option == kComPort) {
            comPortAgreed_ = true;
            comPortRefused_ = false;
        }
        break;
    case kDont:
        if (mine != nullptr && *mine) {
            *mine = false;
            Command(replies, kWont, option);
        }
        if (option == kComPort) {
            comPortRefused_ = true;
            comPortAgreed_ = false;
        }
        break;
    default:
        break;
    }
}

void TelnetCodec::SubnegotiationEnded() {
    if (sub_.size() < 3 || sub_[0] != kComPort) {
        return;
    }
    const std::uint8_t code = sub_[1];
    const std::uint8_t* value = sub_.data() + 2;
    const std::size_t size = sub_.size() - 2;
    switch (code) {
    case kServerOffset + kSetBaudRate:
        if (size == 4) {
            reported_.baud = (std::uint32_t{value[0]} << 24) | (std::uint32_t{value[1]} << 16) |
                             (std::uint32_t{value[2]} << 8) | value[3];
        }
        break;
    case kServerOffset + kSetDataSize:
        reported_.dataSize = value[0];
        break;
    case kServerOffset + kSetParity:
        reported_.parity = value[0];
        break;
    case kServerOffset + kSetStopSize:
        reported_.stopSize = value[0];
        break;
    default:
        break; // line and modem state notices, flow control: not used
    }
}

} // namespace kelmora
