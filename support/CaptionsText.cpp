#include "support/CaptionsText.h"

#include <cstdint>

namespace {

constexpr wchar_t Replacement = 0xFFFD;

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    // An odd last byte is half a character: dropped.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<uint8_t>(bytes[i]);
        const auto second = static_cast<uint8_t>(bytes[i + 1]);
        text += static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

void AppendCodePoint(std::wstring& text, uint32_t cp) {
    if (cp < 0x10000) {
        text += static_cast<wchar_t>(cp);
    } else {
        cp -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (cp >> 10));
        text += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
}

// Malformed sequences (stray continuation bytes, overlong forms, surrogates,
// values beyond U+10FFFF, cut-off sequences) become U+FFFD, one per bad byte run.
std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        size_t length;
        uint32_t cp, minimum;
        if (lead < 0x80) {
            text += static_cast<wchar_t>(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1Fu, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0Fu, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07u, minimum = 0x10000;
        } else {
            text += Replacement;
            ++i;
            continue;
        }
        size_t n = 1;
        while (n < length && i + n < bytes.size() && (static_cast<uint8_t>(bytes[i + n]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<uint8_t>(bytes[i + n]) & 0x3Fu);
            ++n;
        }
        if (n < length || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            text += Replacement;
        else
            AppendCodePoint(text, cp);
        i += n;
    }
    return text;
}

bool IsBlank(wchar_t ch) {
    return ch >= 1 && ch <= 32;
}

} // namespace

std::wstring DecodeCaptionsText(std::string_view Bytes, const TAnsiDecoder& Ansi) {
    std::wstring text;
    if (StartsWith(Bytes, "\xFF\xFE"))
        text = DecodeUtf16(Bytes.substr(2), false);
    else if (StartsWith(Bytes, "\xFE\xFF"))
        text = DecodeUtf16(Bytes.substr(2), true);
    else if (StartsWith(Bytes, "\xEF\xBB\xBF"))
        text = DecodeUtf8(Bytes.substr(3));
    else if (Ansi)
        text = Ansi(Bytes);
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

std::vector<std::wstring> SplitCaptionLines(std::wstring_view Text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != L'\r' && Text[i] != L'\n') continue;
        lines.emplace_back(Text.substr(start, i - start));
        if (Text[i] == L'\r' && i + 1 < Text.size() && Text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < Text.size()) lines.emplace_back(Text.substr(start));
    return lines;
}

std::vector<std::wstring> SplitCaptionFields(std::wstring_view Line) {
    Line = Line.substr(0, Line.find(L'\0'));
    std::vector<std::wstring> fields;
    size_t p = 0;
    const size_t n = Line.size();
    auto skipBlanks = [&] {
        while (p < n && IsBlank(Line[p]))
            ++p;
    };
    skipBlanks();
    while (p < n) {
        std::wstring field;
        if (Line[p] == L'"') {
            ++p;
            while (p < n) {
                if (Line[p] == L'"') {
                    if (p + 1 < n && Line[p + 1] == L'"') {
                        field += L'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += Line[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && !IsBlank(Line[p]) && Line[p] != L',')
                ++p;
            field.assign(Line.substr(start, p - start));
        }
        fields.push_back(std::move(field));
        skipBlanks();
        if (p < n && Line[p] == L',') {
            // Only a comma that closes the line stands for a last, empty field.
            if (p + 1 == n) fields.emplace_back();
            ++p;
            skipBlanks();
        }
    }
    return fields;
}
