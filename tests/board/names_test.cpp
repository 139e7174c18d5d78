// Names as a reader counts and compares them, keys, the replay's base64, and
// the allowance of checking each address has: the board's rules on what a
// client sends, without a server.
#include <gtest/gtest.h>

#include "board/names.h"
#include "board/rate_limit.h"
#include "board/submission.h"

namespace {

std::string Folded(const std::string& sent) {
    PlayerName name;
    std::string error;
    return ReadPlayerName(sent, &name, &error) ? name.folded : "refused: " + error;
}

std::string Shown(const std::string& sent) {
    PlayerName name;
    std::string error;
    return ReadPlayerName(sent, &name, &error) ? name.shown : "refused: " + error;
}

}  // namespace

TEST(PlayerNameTest, FormsThatReadTheSameAreOneNameAndSpacesAreTidied) {
    EXPECT_EQ(Folded("Moss"), Folded("MOSS"));
    EXPECT_EQ(Folded("Moss"), Folded("\xef\xbc\xad\xef\xbd\x8f\xef\xbd\x93\xef\xbd\x93"));  // full-width Ｍｏｓｓ
    EXPECT_EQ(Folded("Stra\xc3\x9f" "e"), Folded("STRASSE")) << "case folding, not lower-casing";
    EXPECT_EQ(Shown("  Moss   the  Walker "), "Moss the Walker");
    EXPECT_EQ(Shown("\xef\xbc\xad" "oss"), "Moss") << "shown in NFKC";
    EXPECT_EQ(Shown("x-y_z.1"), "x-y_z.1");
    EXPECT_EQ(Shown("\xd9\xa3\xd9\xa4"), "\xd9\xa3\xd9\xa4") << "digits of any script";
}

TEST(PlayerNameTest, LengthIsCountedAsAReaderCountsIt) {
    // "e" with a combining acute accent, 16 times: 32 code points, 16 characters.
    std::string accented;
    for (int i = 0; i < 16; ++i) accented += "e\xcc\x81";
    EXPECT_EQ(Shown(accented).rfind("refused", 0), std::string::npos) << Shown(accented);
    EXPECT_EQ(Shown(accented + "e"), "refused: the name is longer than 16 characters");
    EXPECT_EQ(Shown(std::string(16, 'a')), std::string(16, 'a'));
    EXPECT_EQ(Shown("   "), "refused: the name is empty");
    EXPECT_EQ(Shown(""), "refused: the name is empty");
}

TEST(PlayerNameTest, ControlFormatBidirectionalAndOtherCharactersAreRefused) {
    EXPECT_EQ(Shown("ab\xe2\x80\xae" "cd"), "refused: the name holds U+202E; a name is letters, digits, spaces and \"-\", \"_\" or \".\"");
    EXPECT_NE(Shown("a\xe2\x80\x8d" "b").find("U+200D"), std::string::npos) << "a zero-width joiner";
    EXPECT_NE(Shown("a\tb").find("U+0009"), std::string::npos);
    EXPECT_NE(Shown("<b>").find("U+003C"), std::string::npos);
    EXPECT_NE(Shown("\xf0\x9f\x98\x80").find("U+1F600"), std::string::npos) << "an emoji";
    EXPECT_EQ(Shown("\xcc\x81" "a"), "refused: the name has a combining mark with no letter or digit before it");
    EXPECT_EQ(Shown("a \xcc\x81"), "refused: the name has a combining mark with no letter or digit before it");
    EXPECT_EQ(Shown("ab\xff"), "refused: the name is not UTF-8 text");
}

TEST(PlayerKeyTest, AKeyIsAtLeast128BitsOfUrlSafeCharacters) {
    std::string error;
    EXPECT_TRUE(ReadPlayerKey(std::string(22, 'k'), &error));
    EXPECT_TRUE(ReadPlayerKey("0123456789abcdef0123456789ABCDEF-_", &error));
    EXPECT_FALSE(ReadPlayerKey(std::string(21, 'k'), &error));
    EXPECT_FALSE(ReadPlayerKey(std::string(129, 'k'), &error));
    EXPECT_FALSE(ReadPlayerKey(std::string(22, 'k') + "=", &error));
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Base64UrlTest, DecodesWithOrWithoutPaddingAndRefusesAnythingElse) {
    std::string bytes;
    for (const char* text : {"TFZSRVBMQVk", "TFZSRVBMQVk="}) {
        ASSERT_TRUE(DecodeBase64Url(text, &bytes)) << text;
        EXPECT_EQ(bytes, "LVREPLAY");
    }
    ASSERT_TRUE(DecodeBase64Url("-_8", &bytes));
    EXPECT_EQ(bytes, "\xfb\xff");
    ASSERT_TRUE(DecodeBase64Url("", &bytes));
    EXPECT_EQ(bytes, "");
    for (const char* bad : {"TFZS+VBM", "TFZS/VBM", "T", "TFZSRVBMQVk===", "TF ZS", "TFZSRVBMQVk=x"})
        EXPECT_FALSE(DecodeBase64Url(bad, &bytes)) << bad;
}

TEST(RateLimitTest, AnAddressSpendsAMinutesAllowanceAtOnceAndThenWaitsForItToRefill) {
    RateLimit rate(6000);  // 100 updates a second
    EXPECT_EQ(rate.Take("192.0.2.1", 4000, 0), 0);
    EXPECT_EQ(rate.Take("192.0.2.1", 2000, 0), 0);
    EXPECT_EQ(rate.Take("192.0.2.1", 1000, 0), 10) << "1000 updates come back in 10 s";
    EXPECT_EQ(rate.Take("192.0.2.2", 1000, 0), 0) << "another address has its own";
    EXPECT_EQ(rate.Take("192.0.2.1", 1000, 10), 0);
    // A round longer than the allowance is taken once the allowance is full, and leaves a debt.
    EXPECT_EQ(rate.Take("192.0.2.3", 30000, 0), 0);
    EXPECT_EQ(rate.Take("192.0.2.3", 600, 0), 246) << "24000 to pay back, then 600";
    EXPECT_EQ(rate.Take("192.0.2.3", 600, 246), 0);
}

TEST(RateLimitTest, AnIpv6ClientCountsByItsNetwork) {
    EXPECT_EQ(RateKey("2001:db8:1:2:3:4:5:6"), "2001:db8:1:2::/64");
    EXPECT_EQ(RateKey("2001:db8:1:2:ffff::1"), "2001:db8:1:2::/64");
    EXPECT_EQ(RateKey("::ffff:192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(RateKey("192.0.2.7"), "192.0.2.7");
}
