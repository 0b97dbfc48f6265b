// The captions table: every text the windows and message boxes show, from a
// text resource named after the language in the product key.
#pragma once

#include <string>

class TForm;

// Gives the form and its components the texts the table holds for the form.
void ApplyCaptions(TForm* Form);
// The text of one caption key, or the empty text.
std::wstring GetCaption(const std::wstring& FormName, const std::wstring& ItemKey);
// A date stored at start-up, as the main window shows it; empty when unreadable.
std::wstring FormatStoredDate(const std::wstring& Stored);
