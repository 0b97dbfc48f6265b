#include "support/Captions.h"

#include <windows.h>

#include <climits>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/DateTime.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "support/CaptionsText.h"
#include "support/CustomRegistry.h"
#include "support/ProductKey.h"

namespace {

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(chars), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), chars) != chars)
        return std::wstring();
    return text;
}

// The table of the language named in the product key, read anew each time so
// that a change of language shows in the next window or message box.
std::vector<std::wstring> LoadCaptionLines() {
    const std::wstring language =
        AsciiLower(ReadRegString(ProductKeyRoot, ProductKeyPath, ProductValue::Language, L"english", false));
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC info = FindResourceW(module, language.c_str(), RT_RCDATA);
    if (!info) return {};
    const HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return SplitCaptionLines(
        DecodeCaptionsText(std::string_view(static_cast<const char*>(bytes), size), AnsiToWide));
}

template <class T> bool IsKind(TComponent* component) {
    return dynamic_cast<T*>(component) != nullptr;
}
void SetControlCaption(TComponent* component, const std::wstring& text) {
    dynamic_cast<TControl&>(*component).SetCaption(text);
}
void SetMenuItemCaption(TComponent* component, const std::wstring& text) {
    dynamic_cast<TMenuItem&>(*component).Caption = text;
}
void SetMemoText(TComponent* component, const std::wstring& text) {
    dynamic_cast<TMemo&>(*component).SetText(text);
}

// The kinds of component that take a text from the table, and where it goes;
// every other kind keeps its own.
struct TCaptionKind {
    bool (*Matches)(TComponent*);
    void (*Set)(TComponent*, const std::wstring&);
};
// clang-format off
const TCaptionKind CaptionKinds[] = {
    {IsKind<TLabel>,    SetControlCaption},
    {IsKind<TPanel>,    SetControlCaption},
    {IsKind<TButton>,   SetControlCaption},
    {IsKind<TMenuItem>, SetMenuItemCaption},
    {IsKind<TMemo>,     SetMemoText},
};
// clang-format on

const TCaptionKind* KindOf(TComponent* component) {
    for (const TCaptionKind& kind : CaptionKinds)
        if (kind.Matches(component)) return &kind;
    return nullptr;
}

} // namespace

// A line whose fields run out before the one a step needs ends the pass
// there: what was set before stays, later lines are not applied.
void ApplyCaptions(TForm* Form) {
    try {
        if (!Form) return;
        const std::wstring formName = AsciiLower(Form->Name);
        for (const std::wstring& line : LoadCaptionLines()) {
            if (line.empty()) continue;
            const std::vector<std::wstring> fields = SplitCaptionFields(line);
            if (fields.empty()) return;
            if (AsciiLower(fields[0]) != formName) continue;
            if (fields.size() < 2) return;
            // The window title needs the form's name in its exact case.
            if (fields[1] == Form->Name) {
                if (fields.size() < 3) return;
                Form->SetCaption(fields[2]);
                continue;
            }
            TComponent* component = Form->FindComponent(fields[1]);
            if (!component) continue;
            const TCaptionKind* kind = KindOf(component);
            if (!kind) continue;
            if (fields.size() < 3) return;
            kind->Set(component, fields[2]);
        }
    } catch (...) {
    }
}

// The last matching line wins; a matching line that runs out of fields ends the scan.
std::wstring GetCaption(const std::wstring& FormName, const std::wstring& ItemKey) {
    std::wstring result;
    try {
        for (const std::wstring& line : LoadCaptionLines()) {
            if (line.empty()) continue;
            const std::vector<std::wstring> fields = SplitCaptionFields(line);
            if (fields.empty()) break;
            if (!SameTextAscii(fields[0], FormName)) continue;
            if (fields.size() < 2) break;
            if (!SameTextAscii(fields[1], ItemKey)) continue;
            if (fields.size() < 3) break;
            result = fields[2];
        }
    } catch (...) {
    }
    return result;
}

// Stored in the start-up settings of the thread locale, shown in the formats
// and names of the system locale.
std::wstring FormatStoredDate(const std::wstring& Stored) {
    try {
        if (Stored.empty()) return std::wstring();
        const std::optional<SYSTEMTIME> when = TextToDateTime(Stored, StartupFormatSettings());
        if (!when) return std::wstring();
        const TFormatSettings shown = LocaleFormatSettings(LOCALE_SYSTEM_DEFAULT);
        const std::wstring date = LongDateText(*when, shown);
        const std::wstring time = LongTimeText(*when, shown);
        if (date.empty() || time.empty()) return std::wstring();
        return date + L" - " + time;
    } catch (...) {
        return std::wstring();
    }
}
