// Dates and times as text, in the regional settings of a locale: the short
// date picture and the long time layout that the program stores, read back
// with the same settings, and the long formats it shows.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct TFormatSettings {
    std::wstring ShortDatePicture; // LOCALE_SSHORTDATE, e.g. "M/d/yyyy"
    std::wstring LongDatePicture;  // LOCALE_SLONGDATE
    std::wstring TimeSeparator;    // LOCALE_STIME
    bool HourLeadingZero = false;  // LOCALE_ITLZERO
    bool TwentyFourHour = false;   // LOCALE_ITIME
    bool MarkBeforeTime = false;   // LOCALE_ITIMEMARKPOSN
    std::wstring AmDesignator;     // LOCALE_S1159
    std::wstring PmDesignator;     // LOCALE_S2359
    LCID Locale = LOCALE_USER_DEFAULT;
};

TFormatSettings LocaleFormatSettings(LCID locale);
// The settings of the thread locale, taken once, the first time they are asked for.
const TFormatSettings& StartupFormatSettings();

// Short date, then unless it is exactly midnight a blank and the long time.
std::wstring DateTimeToText(const SYSTEMTIME& when, const TFormatSettings& settings);
std::wstring LongTimeText(const SYSTEMTIME& when, const TFormatSettings& settings);
// The long date picture of the settings' locale, with its day and month names.
std::wstring LongDateText(const SYSTEMTIME& when, const TFormatSettings& settings);
// Reads text written by DateTimeToText with the same settings; no value
// when it does not read as a valid date and time.
std::optional<SYSTEMTIME> TextToDateTime(const std::wstring& text, const TFormatSettings& settings);
