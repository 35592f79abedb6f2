// A job's receipt: how a program that drops a request (kelmora request)
// learns that job's own result. "rexcom.sta" and the output file cannot tell
// it for certain: every job rewrites them, and so do the operator's buttons,
// and the host's next request may be taken the moment this job ends.
//
// The program asks for a receipt before it drops its request: it makes an
// empty file named after the request file and the identity of the file it
// drops (ReceiptPath; file_identity in platform/Files.h). Once the job's
// final status is in "rexcom.sta", and before the work file goes, the relay
// writes the receipt there through a temporary file and a rename: the final
// status pair and the bytes of the output file as this job wrote them. A
// request that cannot be taken gets one too (-1,-1) before it is renamed
// aside or removed. No receipt is written where none was asked for: the
// host's jobs leave nothing behind.
//
// Why a receipt never belongs to another job: no two files have the same
// identity while both exist, and the dropped file exists from before its
// receipt file is made until after its receipt is written. Only a file its
// writer removed before its receipt went out (a request taken back at the
// instant it was refused, a .bad copy the host removes at once) frees its
// identity early: that job's receipt can land in a later file's receipt
// file, but only before the later request is taken, since jobs run one at a
// time. So the program reads its receipt once its request has left both the
// request file's name and the work name, and never takes for it what the
// file held while the request waited. What the identity cannot tell is a
// program that wrote over the dropped file in place before it was taken (a
// host that writes its request without looking): the receipt carries the
// digest of the request as it was read, so the program that dropped it can
// see that the job was not the one it asked for.
//
// Format (Windows-1250): the line "a,b n d" ended by CR LF, then exactly n
// bytes, the output file; d is the digest in 16 hexadecimal digits, or "-"
// where the request was never read. Anything else (a file caught while
// written in place, where Windows refuses the rename) is no receipt yet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

inline constexpr std::string_view kReceiptSuffix = ".receipt";

struct JobReceipt {
    int a = -1;
    int b = -1;
    std::string output;                  // the output file's bytes; empty where the job wrote none
    std::optional<std::uint64_t> digest; // RequestDigest of the request as it was read

    bool operator==(const JobReceipt&) const = default;
};

// `requestPath` + "." + the identity in 16 hexadecimal digits + kReceiptSuffix.
std::string ReceiptPath(std::string_view requestPath, std::uint64_t identity);

// A digest of a request's bytes (64-bit FNV-1a): what tells the request that
// was read from another one written over it.
std::uint64_t RequestDigest(std::string_view bytes);

std::string FormatReceipt(const JobReceipt& receipt);

// The receipt, or nothing when `bytes` is not one whole receipt.
std::optional<JobReceipt> ParseReceipt(std::string_view bytes);

enum class ReceiptWritten {
    NotAsked, // no receipt file: nobody waits for this job
    Written,
    Failed, // asked for, but it cannot be written (a full disk)
};

// Writes the receipt of the request file whose identity is `identity`, where
// one was asked for.
ReceiptWritten WriteReceipt(std::string_view requestPath, std::uint64_t identity,
                            const JobReceipt& receipt);

} // namespace kelmora
