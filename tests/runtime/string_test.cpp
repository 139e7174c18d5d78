// Strings: construction, slicing, splitting, replacing, conversions and loading text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/array.h"

namespace {

String LoadBytes(const std::string& bytes) {
    FILE* f = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    String s = String::Load(f);
    fclose(f);
    return s;
}

std::u16string Units(const String& s) { return std::u16string(s.Data(), s.Data() + s.Length()); }

}  // namespace

TEST(StringTest, EmptyResultsShareTheStaticRepresentation) {
    String abc("abc");
    EXPECT_EQ(String().Data(), String("").Data());
    EXPECT_EQ(abc.Slice(2, 1).Data(), String().Data());
    EXPECT_EQ(abc.Slice(1, 1).Data(), String().Data());
    EXPECT_EQ(String(u"x", 0).Data(), String().Data());
    EXPECT_EQ(String("ab").Replace(String("ab"), String()).Data(), String().Data());
}

TEST(StringTest, ConcatenationWithAnEmptySideSharesTheOtherOperand) {
    String abc("abc");
    EXPECT_EQ((abc + String()).Data(), abc.Data());
    EXPECT_EQ((String() + abc).Data(), abc.Data());
    EXPECT_EQ(abc + String("de"), String("abcde"));
}

TEST(StringTest, SliceClampsLikeTheRuntime) {
    String s("abcdef");
    EXPECT_EQ(s.Slice(-3, 6), String("def"));
    EXPECT_EQ(s.Slice(4, 2), String());
    EXPECT_EQ(s.Slice(0, 100).Data(), s.Data());
    EXPECT_EQ(s.Slice(-100, 2), String("ab"));
    EXPECT_EQ(s.Slice(2, -1), String("cde"));
    EXPECT_EQ(s.Slice(2, -100), String());
    EXPECT_EQ(s.Slice(10, 20), String());
    EXPECT_EQ(s.Slice(3), String("def"));
}

TEST(StringTest, SplitKeepsEmptyPiecesAndSharesAnUnsplitInput) {
    Array<String> parts = String("a,,b").Split(String(","));
    ASSERT_EQ(parts.Length(), 3);
    EXPECT_EQ(parts[0], String("a"));
    EXPECT_EQ(parts[1], String());
    EXPECT_EQ(parts[2], String("b"));

    Array<String> none = String().Split(String(","));
    ASSERT_EQ(none.Length(), 1);
    EXPECT_EQ(none[0], String());

    String whole("abc");
    Array<String> unsplit = whole.Split(String(";"));
    ASSERT_EQ(unsplit.Length(), 1);
    EXPECT_EQ(unsplit[0].Data(), whole.Data());

    Array<String> chars = whole.Split(String());
    ASSERT_EQ(chars.Length(), 3);
    EXPECT_EQ(chars[0], String("a"));
    EXPECT_EQ(chars[2], String("c"));
    EXPECT_EQ(String().Split(String()).rep(), Array<String>().rep());

    Array<String> multi = String("1::2::").Split(String("::"));
    ASSERT_EQ(multi.Length(), 3);
    EXPECT_EQ(multi[2], String());
}

TEST(StringTest, ReplaceIsNonOverlappingLeftToRight) {
    EXPECT_EQ(String("aaaa").Replace(String("aa"), String("b")), String("bb"));
    EXPECT_EQ(String("aaa").Replace(String("aa"), String("b")), String("ba"));
    EXPECT_EQ(String("x.y.z").Replace(String("."), String("--")), String("x--y--z"));
    String plain("plain");
    EXPECT_EQ(plain.Replace(String("q"), String("z")).Data(), plain.Data());
    EXPECT_EQ(plain.Replace(String(), String("z")).Data(), plain.Data());
}

TEST(StringTest, FindStartsAtTheClampedIndex) {
    String s("abcabc");
    EXPECT_EQ(s.Find(String("bc")), 1);
    EXPECT_EQ(s.Find(String("bc"), 2), 4);
    EXPECT_EQ(s.Find(String("bc"), -5), 1);
    EXPECT_EQ(s.Find(String("zz")), -1);
    EXPECT_EQ(s.Find(String("abc"), 4), -1);
}

TEST(StringTest, NumbersConvertLikeTheCLibrary) {
    EXPECT_EQ(String(0), String("0"));
    EXPECT_EQ(String(-42), String("-42"));
    EXPECT_EQ(String(2147483647), String("2147483647"));
    EXPECT_EQ(String(1.0f), String("1.0"));
    EXPECT_EQ(String(3.0f), String("3.0"));
    EXPECT_EQ(String(100.0f), String("100.0"));
    EXPECT_EQ(String(1.5f), String("1.5"));
    EXPECT_EQ(String(0.1f), String("0.10000000149011612"));
    String big(1e20f);
    EXPECT_NE(big.Find(String("e")), -1);
    EXPECT_FALSE(big.EndsWith(String(".0")));
}

TEST(StringTest, ToIntReadsLikeAtoiOnTheFirst63Characters) {
    EXPECT_EQ(String("  42abc").ToInt(), 42);
    EXPECT_EQ(String("x").ToInt(), 0);
    EXPECT_EQ(String("-17").ToInt(), -17);
    EXPECT_EQ(String().ToInt(), 0);
    std::string digits(63, '0');
    digits += "9";  // the 64th character is ignored
    EXPECT_EQ(String(digits.c_str()).ToInt(), 0);
    std::string spaced(62, ' ');
    spaced += "7";  // still inside the first 63
    EXPECT_EQ(String(spaced.c_str()).ToInt(), 7);
    // Beyond the int range (a hand-edited state file) the value is clamped.
    EXPECT_EQ(String("99999999999").ToInt(), 2147483647);
    EXPECT_EQ(String("-99999999999").ToInt(), -2147483647 - 1);
}

TEST(StringTest, CStringsCopyLowBytesAndAreZeroTerminated) {
    String s(u"A\u00e9\u4e2d", 3);
    String::CString<char> narrow = s.ToCString();
    EXPECT_EQ(static_cast<unsigned char>(narrow.c_str()[1]), 0xe9);
    EXPECT_EQ(static_cast<unsigned char>(narrow.c_str()[2]), 0x2d);
    EXPECT_EQ(narrow.c_str()[3], 0);
    String::CString<char> copy = narrow;  // counted, shares the block
    EXPECT_EQ(copy.c_str(), narrow.c_str());
    String::CString<Char> wide = s.ToWString();
    EXPECT_EQ(wide.c_str()[2], u'\u4e2d');
    EXPECT_EQ(wide.c_str()[3], 0);
}

TEST(StringTest, LoadDecodesUtf8WithOrWithoutAByteOrderMark) {
    EXPECT_EQ(LoadBytes("hello"), String("hello"));
    EXPECT_EQ(str_load_err, nullptr);
    EXPECT_EQ(Units(LoadBytes("\xef\xbb\xbf" "caf\xc3\xa9")), u"caf\u00e9");
    EXPECT_EQ(Units(LoadBytes("\xe4\xb8\xad")), u"\u4e2d");
    EXPECT_EQ(LoadBytes("Z"), String("Z"));
    EXPECT_EQ(LoadBytes(""), String());
    // An overlong two-byte form is accepted as decoded.
    EXPECT_EQ(Units(LoadBytes("\xc1\x81")), u"A");
}

TEST(StringTest, InvalidUtf8FallsBackToOneCharacterPerByteAfterTheMark) {
    String s = LoadBytes("\xef\xbb\xbf" "ab\xff" "c");
    EXPECT_STREQ(str_load_err, "Invalid UTF-8");
    EXPECT_EQ(Units(s), (std::u16string{u'a', u'b', 0xff, u'c'}));

    EXPECT_EQ(Units(LoadBytes("\x80")), std::u16string(1, 0x80));  // stray continuation
    EXPECT_EQ(Units(LoadBytes("a\xc3")), (std::u16string{u'a', 0xc3}));  // cut off at the end
    EXPECT_EQ(Units(LoadBytes("\xf0\x9f\x98\x80")).size(), 4u);  // four-byte forms are not decoded
    LoadBytes("ok");
    EXPECT_EQ(str_load_err, nullptr);
}

TEST(StringTest, LoadDecodesUtf16InBothByteOrders) {
    EXPECT_EQ(Units(LoadBytes(std::string("\xfe\xff\x00" "A\x4e\x2d", 6))), u"A\u4e2d");
    EXPECT_EQ(Units(LoadBytes(std::string("\xff\xfe" "A\x00\x2d\x4e", 6))), u"A\u4e2d");
    // A final odd byte is ignored; surrogate pairs pass through as two units.
    EXPECT_EQ(Units(LoadBytes(std::string("\xfe\xff\x00" "B\x01", 5))), u"B");
    EXPECT_EQ(LoadBytes(std::string("\xff\xfe\x3d\xd8\x00\xde", 6)).Length(), 2);
}

TEST(StringTest, LongFilesLoadAcrossReadBlocks) {
    std::string text(10000, 'x');
    text[4095] = 'A';
    text[4096] = 'B';
    String s = LoadBytes(text);
    ASSERT_EQ(s.Length(), 10000);
    EXPECT_EQ(s[4095], u'A');
    EXPECT_EQ(s[4096], u'B');
}

TEST(StringTest, Utf8SavingRoundTripsEveryBmpCharacter) {
    std::u16string all;
    for (int c = 1; c < 0x10000; c += 7) all += static_cast<char16_t>(c);
    String s(all.data(), static_cast<int>(all.size()));
    String back = String::FromUtf8(s.ToUtf8());
    EXPECT_EQ(str_load_err, nullptr);
    EXPECT_EQ(back, s);
    EXPECT_EQ(String(u"\u00e9", 1).ToUtf8(), "\xc3\xa9");
    EXPECT_EQ(String(u"\u20ac", 1).ToUtf8(), "\xe2\x82\xac");
}

TEST(StringTest, ComparisonOrdersByCodeUnits) {
    EXPECT_TRUE(String("abc") == String("abc"));
    EXPECT_FALSE(String("abc") == String("abd"));
    EXPECT_TRUE(String("ab") < String("abc"));
    EXPECT_TRUE(String("B") < String("a"));
    EXPECT_EQ(String("Mixed Case").ToLower(), String("mixed case"));
    EXPECT_TRUE(String("file.WAV").ToLower().EndsWith(String(".wav")));
}
