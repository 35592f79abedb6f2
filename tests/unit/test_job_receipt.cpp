// A job's receipt: its name follows the request file and the identity of the
// file it belongs to; it reads back only whole; its digest tells one request
// from another.
#include "engine/JobReceipt.h"

#include <gtest/gtest.h>

#include <string>

using namespace kelmora;

TEST(JobReceipt, ItsNameCarriesTheRequestFileAndTheIdentity) {
    EXPECT_EQ(ReceiptPath("/data/request.cfg", 0x1A2B3C),
              "/data/request.cfg.00000000001a2b3c.receipt");
    EXPECT_EQ(ReceiptPath("r", ~std::uint64_t{0}), "r.ffffffffffffffff.receipt");
}

TEST(JobReceipt, OnlyAWholeReceiptReadsBack) {
    // An output line may hold any byte, a CR or an LF among them: the length
    // bounds it, not the line ends.
    const JobReceipt download{1, 2, "R0007\r\nQ0\n\r8\x9A\r\n", 0xFEDCBA9876543210};
    const JobReceipt failed{-1, -1, "", std::nullopt};
    for (const JobReceipt& receipt : {download, failed, JobReceipt{1, 0, "", 0}}) {
        EXPECT_EQ(ParseReceipt(FormatReceipt(receipt)), receipt);
    }
    EXPECT_EQ(FormatReceipt(download).substr(0, 25), "1,2 15 fedcba9876543210\r\n");
    EXPECT_EQ(FormatReceipt(failed), "-1,-1 0 -\r\n");
    const std::string whole = FormatReceipt(download);
    for (const std::string& cut : {std::string(), whole.substr(0, 24), whole.substr(0, 25),
                                   whole.substr(0, whole.size() - 1), whole + "x"}) {
        EXPECT_FALSE(ParseReceipt(cut)) << cut;
    }
    for (const char* bad :
         {"1,2 0\r\n", "1;2 0 -\r\n", "a,2 0 -\r\n", "1, 2 0 -\r\n", "1,2 -0 -\r\n", "1,2 0 -\n",
          "1 2,0 -\r\n", "1,2 0 fedcba987654321\r\n", "1,2 0 +\r\n"}) {
        EXPECT_FALSE(ParseReceipt(bad)) << bad;
    }
}

TEST(JobReceipt, TheDigestTellsOneRequestFromAnother) {
    const std::string request = "TERM 1\r\nS\r\n";
    EXPECT_EQ(RequestDigest(request), RequestDigest(std::string(request)));
    for (const std::string& other : {std::string("TERM 1\r\nP\r\n"), std::string("TERM 1\r\nS\r"),
                                     std::string("TERM 1\r\nS\r\n\r\n"), std::string()}) {
        EXPECT_NE(RequestDigest(other), RequestDigest(request)) << other;
    }
    EXPECT_EQ(RequestDigest(""), 0xcbf29ce484222325ULL); // FNV-1a's offset basis
}
