// The start-up date layout, written and read back under real locales.
#include "framework/DateTime.h"

#include <gtest/gtest.h>

#include "support/TestDates.h"

namespace {

const LCID English = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
const LCID German = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);

void ExpectSame(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    EXPECT_EQ(a.wYear, b.wYear);
    EXPECT_EQ(a.wMonth, b.wMonth);
    EXPECT_EQ(a.wDay, b.wDay);
    EXPECT_EQ(a.wHour, b.wHour);
    EXPECT_EQ(a.wMinute, b.wMinute);
    EXPECT_EQ(a.wSecond, b.wSecond);
}

TEST(DateLayout, TwelveHourLocaleWritesItsDesignatorAndReadsItBack) {
    const TFormatSettings s = LocaleFormatSettings(English);
    ASSERT_FALSE(s.TwentyFourHour);
    EXPECT_EQ(DateTimeToText(SystemTimeAt(2013, 7, 29, 15, 4, 5), s), L"7/29/2013 3:04:05 PM");
    EXPECT_EQ(DateTimeToText(SystemTimeAt(2013, 7, 29, 0, 0, 1), s), L"7/29/2013 12:00:01 AM");
    EXPECT_EQ(DateTimeToText(SystemTimeAt(2013, 12, 1, 12, 30, 0), s), L"12/1/2013 12:30:00 PM");
    for (const SYSTEMTIME& st : {SystemTimeAt(2013, 7, 29, 15, 4, 5), SystemTimeAt(2013, 7, 29, 0, 0, 1), SystemTimeAt(2024, 2, 29, 12, 59, 59)}) {
        auto back = TextToDateTime(DateTimeToText(st, s), s);
        ASSERT_TRUE(back);
        ExpectSame(*back, st);
    }
}

TEST(DateLayout, TwentyFourHourLocaleUsesItsOwnDateOrder) {
    const TFormatSettings s = LocaleFormatSettings(German);
    ASSERT_TRUE(s.TwentyFourHour);
    EXPECT_EQ(DateTimeToText(SystemTimeAt(2013, 7, 29, 15, 4, 5), s), L"29.7.2013 15:04:05");
    auto back = TextToDateTime(L"29.07.2013 15:04:05", s);
    ASSERT_TRUE(back);
    ExpectSame(*back, SystemTimeAt(2013, 7, 29, 15, 4, 5));
}

TEST(DateLayout, MidnightIsTheDateAlone) {
    const SYSTEMTIME midnight = SystemTimeAt(2013, 7, 29, 0, 0, 0);
    EXPECT_EQ(DateTimeToText(midnight, LocaleFormatSettings(English)), L"7/29/2013");
    EXPECT_EQ(DateTimeToText(midnight, LocaleFormatSettings(German)), L"29.7.2013");
    auto back = TextToDateTime(L"7/29/2013", LocaleFormatSettings(English));
    ASSERT_TRUE(back);
    ExpectSame(*back, midnight);
}

TEST(DateLayout, TextThatIsNoDateIsRefused) {
    const TFormatSettings s = LocaleFormatSettings(English);
    for (const wchar_t* text : {L"", L"   ", L"garbage", L"13/1/2013", L"2/30/2013", L"7/29/2013 25:00:00",
                                L"7/29/2013 3:04:05 PM extra", L"7/29", L"7/29/2013 13:00:00 PM"})
        EXPECT_FALSE(TextToDateTime(text, s)) << testing::PrintToString(std::wstring(text));
}

TEST(DateLayout, LongFormatsFollowTheLocalesNames) {
    const SYSTEMTIME st = *TextToDateTime(L"7/29/2013 3:04:05 PM", LocaleFormatSettings(English));
    EXPECT_EQ(LongDateText(st, LocaleFormatSettings(English)), L"Monday, July 29, 2013");
    EXPECT_EQ(LongDateText(st, LocaleFormatSettings(German)), L"Montag, 29. Juli 2013");
    EXPECT_EQ(LongTimeText(st, LocaleFormatSettings(German)), L"15:04:05");
}

} // namespace
