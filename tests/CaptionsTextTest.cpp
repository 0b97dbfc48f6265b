#include "support/CaptionsText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::wstring>;

Fields Split(const std::wstring& line) {
    return SplitCaptionFields(line);
}

// Stands in for the code page: every byte becomes the character of that
// number, tagged so a test can tell this decoder ran.
std::wstring Latin1Tagged(std::string_view bytes) {
    std::wstring text = L"[ansi]";
    for (char ch : bytes)
        text += static_cast<wchar_t>(static_cast<unsigned char>(ch));
    return text;
}

std::wstring Decode(const std::string& bytes) {
    return DecodeCaptionsText(bytes, Latin1Tagged);
}

TEST(CaptionFields, TheShippedRowShapes) {
    EXPECT_EQ(Split(L"KVMainForm, GoButton, \"&Optimize now\""),
              (Fields{L"KVMainForm", L"GoButton", L"&Optimize now"}));
    EXPECT_EQ(Split(L"KVSettingsForm, MessageChange0, \"Finding modem information\""),
              (Fields{L"KVSettingsForm", L"MessageChange0", L"Finding modem information"}));
    EXPECT_EQ(Split(L"KVMainForm, MessageBoxChangeRestart3, "
                    L"\"Click Yes to restart the computer now, or click No to restart later.\""),
              (Fields{L"KVMainForm", L"MessageBoxChangeRestart3",
                      L"Click Yes to restart the computer now, or click No to restart later."}));
    EXPECT_EQ(Split(L"KVMainForm, UpdatesButton, \" &Check for updates ...\" ")[2],
              L" &Check for updates ...");
    EXPECT_EQ(Split(L"KVAboutForm, VersionLabel, \"Hastrel 2  (Version : \"")[2], L"Hastrel 2  (Version : ");
    EXPECT_EQ(Split(L"KVAboutForm, CopyrightWarningLabel, \"\""),
              (Fields{L"KVAboutForm", L"CopyrightWarningLabel", L""}));
    // No blanks after the commas at all.
    EXPECT_EQ(Split(L"A,B,\"c\""), (Fields{L"A", L"B", L"c"}));
}

TEST(CaptionFields, BlanksAreTheCodesOneToThirtyTwo) {
    EXPECT_TRUE(Split(L"   ").empty());
    EXPECT_TRUE(Split(L" \t\x01\x1F ").empty());
    EXPECT_TRUE(Split(L"").empty());
    EXPECT_EQ(Split(L"\t A \x1F,\x01 B\t, \"c\"\t "), (Fields{L"A", L"B", L"c"}));
    // Characters above 127 are never blanks, not even the no-break space.
    EXPECT_EQ(Split(L"A\u00A0B, \u00E9, \"x\""), (Fields{L"A\u00A0B", L"\u00E9", L"x"}));
}

TEST(CaptionFields, QuotedTextIsTakenAsItStands) {
    EXPECT_EQ(Split(L"F, K, \"  blanks, commas\tand tabs  \"")[2], L"  blanks, commas\tand tabs  ");
    EXPECT_EQ(Split(L"F, K, \"Say \"\"hi\"\"\"")[2], L"Say \"hi\"");
    EXPECT_EQ(Split(L"F, K, \"\"\"\"")[2], L"\"");
    EXPECT_EQ(Split(L"F, K, \"\"\"\"\"\"")[2], L"\"\"");
    // Quotes are only special at the start of a field.
    EXPECT_EQ(Split(L"F, a\"b\"c, x"), (Fields{L"F", L"a\"b\"c", L"x"}));
    // A quoted name is a name like any other.
    EXPECT_EQ(Split(L"\"F\", \"K\", \"t\""), (Fields{L"F", L"K", L"t"}));
}

TEST(CaptionFields, AnOpenQuoteTakesTheRestOfTheLine) {
    EXPECT_EQ(Split(L"F, K, \"no end, here "), (Fields{L"F", L"K", L"no end, here "}));
    EXPECT_EQ(Split(L"F, K, \"ends on a doubled \"\""), (Fields{L"F", L"K", L"ends on a doubled \""}));
    EXPECT_EQ(Split(L"F, K, \""), (Fields{L"F", L"K", L""}));
}

TEST(CaptionFields, CommasAndWhatFollowsAField) {
    // A comma that ends the line adds an empty field; one followed by blanks does not.
    EXPECT_EQ(Split(L"F, K,"), (Fields{L"F", L"K", L""}));
    EXPECT_EQ(Split(L"F, K, "), (Fields{L"F", L"K"}));
    EXPECT_EQ(Split(L","), (Fields{L"", L""}));
    EXPECT_EQ(Split(L"F,,\"t\""), (Fields{L"F", L"", L"t"}));
    EXPECT_EQ(Split(L"F, \t , \"t\""), (Fields{L"F", L"", L"t"}));
    EXPECT_EQ(Split(L", K, \"t\""), (Fields{L"", L"K", L"t"}));
    // Without a comma the next field starts directly: after blanks or after a closing quote.
    EXPECT_EQ(Split(L"F K \"t\""), (Fields{L"F", L"K", L"t"}));
    EXPECT_EQ(Split(L"F, \"K\"t, x"), (Fields{L"F", L"K", L"t", L"x"}));
    EXPECT_EQ(Split(L"F, K, \"t\" tail"), (Fields{L"F", L"K", L"t", L"tail"}));
}

TEST(CaptionFields, ANameWithABlankIsTwoFields) {
    EXPECT_EQ(Split(L"KVMainForm, Go Button, \"x\""), (Fields{L"KVMainForm", L"Go", L"Button", L"x"}));
}

TEST(CaptionFields, MissingFieldsAreSimplyAbsent) {
    EXPECT_EQ(Split(L"KVMainForm"), (Fields{L"KVMainForm"}));
    EXPECT_EQ(Split(L"KVMainForm, GoButton"), (Fields{L"KVMainForm", L"GoButton"}));
}

TEST(CaptionFields, AVeryLongLine) {
    const std::wstring text(200000, L'x');
    const Fields fields = Split(L"F, K, \"" + text + L"\"");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[2], text);

    std::wstring manyCommas = L"F, K, \"t\"";
    for (int i = 0; i < 50000; ++i)
        manyCommas += L", ";
    EXPECT_EQ(Split(manyCommas).size(), 50002u);
}

TEST(CaptionFields, ALineEndsAtANul) {
    EXPECT_EQ(Split(std::wstring(L"F, K, \"t\0u\"", 11)), (Fields{L"F", L"K", L"t"}));
    EXPECT_EQ(Split(std::wstring(L"F\0, K", 5)), (Fields{L"F"}));
}

TEST(CaptionLines, EveryLineEndCounts) {
    using Lines = std::vector<std::wstring>;
    EXPECT_EQ(SplitCaptionLines(L"a\r\nb\rc\nd"), (Lines{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r\n\r\nb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCaptionLines(L"a\n\rb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r\r\nb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r\n"), (Lines{L"a"}));
    EXPECT_EQ(SplitCaptionLines(L"a\r"), (Lines{L"a"}));
    EXPECT_EQ(SplitCaptionLines(L"\n"), (Lines{L""}));
    EXPECT_TRUE(SplitCaptionLines(L"").empty());
}

TEST(CaptionsDecoding, ByteOrderMarksChooseTheDecoding) {
    // "A©☃" and a character beyond the basic plane.
    const std::wstring expected = L"A\u00A9\u2603\U0001D11E";
    EXPECT_EQ(Decode(std::string("\xFF\xFE"
                                 "A\0\xA9\0\x03\x26\x34\xD8\x1E\xDD",
                                 12)),
              expected);
    EXPECT_EQ(Decode(std::string("\xFE\xFF"
                                 "\0A\0\xA9\x26\x03\xD8\x34\xDD\x1E",
                                 12)),
              expected);
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "A\xC2\xA9\xE2\x98\x83\xF0\x9D\x84\x9E"),
              expected);
    EXPECT_EQ(Decode("A\xA9"), L"[ansi]A\u00A9");
    // A mark alone is an empty text.
    EXPECT_EQ(Decode("\xFF\xFE"), L"");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"), L"");
    // Only a whole mark counts.
    EXPECT_EQ(Decode("\xEF\xBB"
                     "A"),
              L"[ansi]\u00EF\u00BB"
              "A");
    EXPECT_EQ(Decode(""), L"[ansi]");
}

TEST(CaptionsDecoding, TheTextEndsAtItsFirstNul) {
    EXPECT_EQ(Decode(std::string("ab\0cd", 5)), L"[ansi]ab");
    EXPECT_EQ(Decode(std::string("\xFF\xFE"
                                 "a\0\0\0b\0",
                                 8)),
              L"a");
    EXPECT_EQ(Decode(std::string("\xEF\xBB\xBF"
                                 "a\0b",
                                 6)),
              L"a");
}

TEST(CaptionsDecoding, BrokenUnicodeDoesNotBreakTheText) {
    // An odd last byte of UTF-16 is dropped.
    EXPECT_EQ(Decode(std::string("\xFF\xFE"
                                 "a\0b",
                                 5)),
              L"a");
    // Stray continuation, overlong form, encoded surrogate, cut-off sequence, out of range.
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "a\x80"
                     "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xC0\xAF"
                     "b"),
              L"\uFFFDb");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xED\xA0\x80"
                     "b"),
              L"\uFFFDb");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "a\xE2\x98"),
              L"a\uFFFD");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xF4\x90\x80\x80"
                     "b"),
              L"\uFFFDb");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xFF"
                     "b"),
              L"\uFFFDb");
}

TEST(CaptionsDecoding, NoAnsiDecoderGivesNoText) {
    EXPECT_EQ(DecodeCaptionsText("abc", nullptr), L"");
}

} // namespace
