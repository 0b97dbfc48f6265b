#include "framework/DateTime.h"

#include <cwctype>
#include <vector>

namespace {

std::wstring LocaleText(LCID locale, LCTYPE type) {
    wchar_t buffer[128] = {};
    const int n = GetLocaleInfoW(locale, type, buffer, static_cast<int>(std::size(buffer)));
    return n > 0 ? std::wstring(buffer) : std::wstring();
}

bool LocaleFlag(LCID locale, LCTYPE type) { return LocaleText(locale, type) == L"1"; }

std::wstring TwoDigits(int value) {
    std::wstring s = std::to_wstring(value);
    return s.size() < 2 ? L"0" + s : s;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// The order of day, month and year as the short date picture gives it.
std::wstring DateOrder(const std::wstring& picture) {
    std::wstring order;
    bool quoted = false;
    for (wchar_t ch : picture) {
        if (ch == L'\'') quoted = !quoted;
        if (quoted) continue;
        const wchar_t c = static_cast<wchar_t>(std::towlower(ch));
        if ((c == L'd' || c == L'm' || c == L'y') && order.find(c) == std::wstring::npos) order += c;
    }
    return order.size() == 3 ? order : L"mdy";
}

struct Cursor {
    const std::wstring& text;
    // Words are matched as the locale whose settings gave them spells them;
    // the invariant locale is not there before Windows XP.
    LCID locale;
    size_t pos = 0;
    void SkipBlanks() {
        while (pos < text.size() && text[pos] == L' ') ++pos;
    }
    bool Number(int& value, size_t maxDigits) {
        const size_t start = pos;
        value = 0;
        while (pos < text.size() && pos - start < maxDigits && text[pos] >= L'0' && text[pos] <= L'9')
            value = value * 10 + (text[pos++] - L'0');
        return pos > start;
    }
    // Any run of characters that are neither digits nor blanks separates numbers.
    bool Separator() {
        const size_t start = pos;
        while (pos < text.size() && !(text[pos] >= L'0' && text[pos] <= L'9') && text[pos] != L' ') ++pos;
        return pos > start;
    }
    bool Match(const std::wstring& word) {
        if (word.empty() || text.size() - pos < word.size()) return false;
        if (CompareStringW(locale, NORM_IGNORECASE, text.c_str() + pos, static_cast<int>(word.size()),
                           word.c_str(), static_cast<int>(word.size())) != CSTR_EQUAL)
            return false;
        pos += word.size();
        return true;
    }
    bool AtEnd() const { return pos == text.size(); }
};

// Returns 0 for AM, 12 for PM, -1 when no designator stands here.
int Designator(Cursor& c, const TFormatSettings& s) {
    if (c.Match(s.AmDesignator) || c.Match(L"AM")) return 0;
    if (c.Match(s.PmDesignator) || c.Match(L"PM")) return 12;
    return -1;
}

} // namespace

TFormatSettings LocaleFormatSettings(LCID locale) {
    TFormatSettings s;
    s.Locale = locale;
    s.ShortDatePicture = LocaleText(locale, LOCALE_SSHORTDATE);
    s.LongDatePicture = LocaleText(locale, LOCALE_SLONGDATE);
    s.TimeSeparator = LocaleText(locale, LOCALE_STIME);
    s.HourLeadingZero = LocaleFlag(locale, LOCALE_ITLZERO);
    s.TwentyFourHour = LocaleFlag(locale, LOCALE_ITIME);
    s.MarkBeforeTime = LocaleFlag(locale, LOCALE_ITIMEMARKPOSN);
    s.AmDesignator = LocaleText(locale, LOCALE_S1159);
    s.PmDesignator = LocaleText(locale, LOCALE_S2359);
    if (s.ShortDatePicture.empty()) s.ShortDatePicture = L"M/d/yyyy";
    if (s.TimeSeparator.empty()) s.TimeSeparator = L":";
    return s;
}

const TFormatSettings& StartupFormatSettings() {
    static const TFormatSettings settings = LocaleFormatSettings(GetThreadLocale());
    return settings;
}

std::wstring LongTimeText(const SYSTEMTIME& when, const TFormatSettings& s) {
    int hour = when.wHour;
    std::wstring mark;
    if (!s.TwentyFourHour) {
        mark = hour < 12 ? s.AmDesignator : s.PmDesignator;
        hour %= 12;
        if (hour == 0) hour = 12;
    }
    std::wstring time = (s.HourLeadingZero ? TwoDigits(hour) : std::to_wstring(hour)) + s.TimeSeparator +
                        TwoDigits(when.wMinute) + s.TimeSeparator + TwoDigits(when.wSecond);
    if (s.TwentyFourHour || mark.empty()) return time;
    return s.MarkBeforeTime ? mark + L" " + time : time + L" " + mark;
}

std::wstring DateTimeToText(const SYSTEMTIME& when, const TFormatSettings& s) {
    wchar_t date[128] = {};
    if (!GetDateFormatW(s.Locale, 0, &when, s.ShortDatePicture.c_str(), date, static_cast<int>(std::size(date))))
        return std::wstring();
    std::wstring text = date;
    if (when.wHour || when.wMinute || when.wSecond) text += L" " + LongTimeText(when, s);
    return text;
}

std::wstring LongDateText(const SYSTEMTIME& when, const TFormatSettings& s) {
    wchar_t date[256] = {};
    const wchar_t* picture = s.LongDatePicture.empty() ? nullptr : s.LongDatePicture.c_str();
    if (!GetDateFormatW(s.Locale, picture ? 0 : DATE_LONGDATE, &when, picture, date, static_cast<int>(std::size(date))))
        return std::wstring();
    return date;
}

std::optional<SYSTEMTIME> TextToDateTime(const std::wstring& text, const TFormatSettings& s) {
    Cursor c{text, s.Locale};
    c.SkipBlanks();
    int parts[3] = {0, 0, 0};
    size_t digits[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (!c.Separator()) return std::nullopt;
            c.SkipBlanks(); // pictures such as "yyyy. MM. dd." put a blank after the separator
        }
        const size_t start = c.pos;
        if (!c.Number(parts[i], 4)) return std::nullopt;
        digits[i] = c.pos - start;
    }
    const std::wstring order = DateOrder(s.ShortDatePicture);
    int day = 0, month = 0, year = 0;
    size_t yearDigits = 0;
    for (int i = 0; i < 3; ++i) {
        switch (order[static_cast<size_t>(i)]) {
        case L'd': day = parts[i]; break;
        case L'm': month = parts[i]; break;
        default: year = parts[i]; yearDigits = digits[i]; break;
        }
    }
    if (yearDigits <= 2) {
        // Two-digit years fall in the century window around the current year.
        SYSTEMTIME now;
        GetLocalTime(&now);
        const int century = now.wYear / 100 * 100;
        year += century;
        if (year > now.wYear + 50) year -= 100;
    }
    // A date picture may close with a literal (a trailing dot, a year mark).
    c.Separator();
    if (month < 1 || month > 12 || year < 1601 || year > 9999 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;

    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    c.SkipBlanks();
    if (!c.AtEnd()) {
        int offset = Designator(c, s);
        c.SkipBlanks();
        int hour = 0, minute = 0, second = 0;
        if (!c.Number(hour, 2)) return std::nullopt;
        if (!c.Match(s.TimeSeparator) && !c.Match(L":")) return std::nullopt;
        if (!c.Number(minute, 2)) return std::nullopt;
        if (c.Match(s.TimeSeparator) || c.Match(L":")) {
            if (!c.Number(second, 2)) return std::nullopt;
        }
        c.SkipBlanks();
        if (offset < 0) offset = Designator(c, s);
        c.SkipBlanks();
        if (!c.AtEnd()) return std::nullopt;
        if (offset >= 0) {
            if (hour < 1 || hour > 12) return std::nullopt;
            hour = hour % 12 + offset;
        }
        if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
        st.wHour = static_cast<WORD>(hour);
        st.wMinute = static_cast<WORD>(minute);
        st.wSecond = static_cast<WORD>(second);
    }
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return std::nullopt;
    FileTimeToSystemTime(&ft, &st); // fills in the day of the week for the long date
    return st;
}
