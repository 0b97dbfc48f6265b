#include "support/Captions.h"

#include <gtest/gtest.h>

#include "support/TestDates.h"

#include <windows.h>

#include <cwchar>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "framework/DateTime.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "support/CaptionsText.h"
#include "support/TestRegistry.h"

namespace {

const std::wstring ProductKey = L"\\Software\\Brenlow\\Hastrel\\";

// Picks the table through the product key, as a user would, and puts the
// value back as it was afterwards.
class Captions : public testing::Test {
  protected:
    void SetUp() override { saved_ = testreg::Get(HKEY_LOCAL_MACHINE, ProductKey, L"Language"); }
    void TearDown() override {
        if (saved_)
            testreg::Set(HKEY_LOCAL_MACHINE, ProductKey, L"Language", saved_->type, saved_->data.data(),
                         static_cast<DWORD>(saved_->data.size()));
        else
            testreg::DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, L"Language");
    }
    static void UseLanguage(const std::wstring& language) {
        testreg::SetString(HKEY_LOCAL_MACHINE, ProductKey, L"Language", language);
    }

  private:
    std::optional<testreg::Value> saved_;
};

class TLinkLabel : public TLabel {
  public:
    using TLabel::TLabel;
};

// A control of a kind that takes no text from the table.
class TPicture : public TGraphicControl {
  public:
    using TGraphicControl::TGraphicControl;
    void Paint(HDC) override {}
};

// Every kind of component the table can reach, each with a text of its own
// so that a change shows.
class TKVTestForm : public TForm {
  public:
    explicit TKVTestForm(const std::wstring& name = L"KVTestForm") : TForm(nullptr) {
        Name = name;
        SetCaption(L"layout title");
        const std::initializer_list<TControl*> controls = {&TitleLabel,   &OKButton,     &StatusPanel,
                                                           &LinkLabel,    &OtherControl, &EmptyLabel,
                                                           &LeadingLabel, &QuoteLabel,   &AnsiLabel};
        for (TControl* c : controls)
            c->SetCaption(L"layout");
        FileItem.Caption = L"layout";
        NotesMemo.SetText(L"layout line 1\r\nlayout line 2");
    }
    std::wstring ClassName() const override { return L"TKVTestForm"; }

    TLabel& TitleLabel = Create<TLabel>(L"TitleLabel");
    TButton& OKButton = Create<TButton>(L"OKButton");
    TPanel& StatusPanel = Create<TPanel>(L"StatusPanel");
    TMenuItem& FileItem = Create<TMenuItem>(L"FileItem");
    TMemo& NotesMemo = Create<TMemo>(L"NotesMemo");
    TLinkLabel& LinkLabel = Create<TLinkLabel>(L"LinkLabel");
    TPicture& OtherControl = Create<TPicture>(L"OtherControl");
    TLabel& EmptyLabel = Create<TLabel>(L"EmptyLabel");
    TLabel& LeadingLabel = Create<TLabel>(L"LeadingLabel");
    TLabel& QuoteLabel = Create<TLabel>(L"QuoteLabel");
    TLabel& AnsiLabel = Create<TLabel>(L"AnsiLabel");
};

TEST_F(Captions, ApplyGivesEachKindOfComponentItsText) {
    UseLanguage(L"captionstest");
    TKVTestForm form;
    ApplyCaptions(&form);

    EXPECT_EQ(form.TitleLabel.Caption(), L"&Second") << "the later of two rows stays";
    EXPECT_EQ(form.OKButton.Caption(), L"&OK") << "names compare without regard to case";
    EXPECT_EQ(form.StatusPanel.Caption(), L"Panel, with comma");
    EXPECT_EQ(form.FileItem.Caption, L"&File");
    EXPECT_EQ(form.NotesMemo.Text(), L"All of the notes") << "the memo holds exactly the one text";
    EXPECT_EQ(form.LinkLabel.Caption(), L"Derived label") << "a derived class counts as its base kind";
    EXPECT_EQ(form.OtherControl.Caption(), L"layout") << "other kinds keep their text";
    EXPECT_EQ(form.EmptyLabel.Caption(), L"");
    EXPECT_EQ(form.LeadingLabel.Caption(), L" &Check for updates ...");
    EXPECT_EQ(form.QuoteLabel.Caption(), L"Say \"hi\"");
    if (GetACP() == 1252) {
        EXPECT_EQ(form.AnsiLabel.Caption(), L"\u00A9 \u00E9 \u20AC");
    }
}

TEST_F(Captions, TheWindowTitleNeedsTheFormNameInItsExactCase) {
    UseLanguage(L"captionstest");
    TKVTestForm form;
    ApplyCaptions(&form);
    // The table's last title row spells the form name in lower case.
    EXPECT_EQ(form.Caption(), L"Test window, later");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"KVTESTFORM"), L"Wrong case title");
}

TEST_F(Captions, OnlyTheFormsOwnSectionApplies) {
    UseLanguage(L"captionstest");
    TKVTestForm other(L"OtherForm");
    ApplyCaptions(&other);
    EXPECT_EQ(other.TitleLabel.Caption(), L"Other form's text");
    EXPECT_EQ(other.Caption(), L"layout title");
    EXPECT_EQ(other.OKButton.Caption(), L"layout");

    TKVTestForm unknown(L"NoSuchForm");
    ApplyCaptions(&unknown);
    EXPECT_EQ(unknown.TitleLabel.Caption(), L"layout");
    EXPECT_EQ(unknown.Caption(), L"layout title");

    ApplyCaptions(nullptr);
}

TEST_F(Captions, GetCaptionFindsTheLastRowOfAKeyInAnyCase) {
    UseLanguage(L"captionstest");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"TitleLabel"), L"&Second");
    EXPECT_EQ(GetCaption(L"kvtestform", L"titlelabel"), L"&Second");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"MessageKey"), L"Message text");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"OtherControl"), L"Not for this kind");
    EXPECT_EQ(GetCaption(L"OtherForm", L"TitleLabel"), L"Other form's text");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"NoSuchKey"), L"");
    EXPECT_EQ(GetCaption(L"NoSuchForm", L"TitleLabel"), L"");
    EXPECT_EQ(GetCaption(L"", L""), L"");
}

TEST_F(Captions, ALineThatRunsOutOfFieldsEndsThePass) {
    // The table: TitleLabel "before"; "OtherForm" alone; NoSuchComponent and
    // OtherControl without a text; StatusPanel "panel before"; OKButton
    // without a text; StatusPanel "panel after"; TitleLabel "after".
    UseLanguage(L"shortlinetest");
    TKVTestForm form;
    ApplyCaptions(&form);
    EXPECT_EQ(form.TitleLabel.Caption(), L"before");
    EXPECT_EQ(form.StatusPanel.Caption(), L"panel before") << "nothing after the OKButton line applies";
    EXPECT_EQ(form.OKButton.Caption(), L"layout");

    // A scan only ends at a short line of its own key.
    EXPECT_EQ(GetCaption(L"KVTestForm", L"StatusPanel"), L"panel after");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"TitleLabel"), L"after");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"OKButton"), L"");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"NoSuchComponent"), L"");
    EXPECT_EQ(GetCaption(L"OtherForm", L"TitleLabel"), L"");

    // The table: TitleLabel "before"; "KVTestForm" alone; TitleLabel "after";
    // OtherForm TitleLabel "other".
    UseLanguage(L"shortkeytest");
    TKVTestForm again;
    ApplyCaptions(&again);
    EXPECT_EQ(again.TitleLabel.Caption(), L"before");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"TitleLabel"), L"before");
    EXPECT_EQ(GetCaption(L"OtherForm", L"TitleLabel"), L"other");
}

TEST_F(Captions, NoTableOrAnEmptyOneChangesNothing) {
    for (const wchar_t* language : {L"klingon", L"emptytest", L"blankfirsttest"}) {
        SCOPED_TRACE(testing::Message() << "language " << std::string(language, language + wcslen(language)));
        UseLanguage(language);
        TKVTestForm form;
        ApplyCaptions(&form);
        EXPECT_EQ(form.Caption(), L"layout title");
        EXPECT_EQ(form.TitleLabel.Caption(), L"layout");
        EXPECT_EQ(form.NotesMemo.Text(), L"layout line 1\r\nlayout line 2");
        EXPECT_EQ(GetCaption(L"KVTestForm", L"TitleLabel"), L"");
        EXPECT_EQ(GetCaption(L"KVMainForm", L"GoButton"), L"");
    }
}

TEST_F(Captions, LinesEndAtCrLfLoneCrOrLoneLfAndTheTextAtANul) {
    UseLanguage(L"lineendstest");
    TKVTestForm form;
    ApplyCaptions(&form);
    EXPECT_EQ(form.TitleLabel.Caption(), L"cr");
    EXPECT_EQ(form.OKButton.Caption(), L"lf");
    EXPECT_EQ(form.StatusPanel.Caption(), L"crlf");
    EXPECT_EQ(form.FileItem.Caption, L"last");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"TitleLabel"), L"cr") << "the row after the NUL is not read";
}

TEST_F(Captions, UnicodeTablesAreReadByTheirByteOrderMark) {
    for (const wchar_t* language : {L"utfsixteenletest", L"utfsixteenbetest", L"utfeighttest"}) {
        SCOPED_TRACE(testing::Message() << "language " << std::string(language, language + wcslen(language)));
        UseLanguage(language);
        TKVTestForm form;
        ApplyCaptions(&form);
        EXPECT_EQ(form.Caption(), L"\u03A9 title \u00A9");
        EXPECT_EQ(form.TitleLabel.Caption(), L"Gr\u00FC\u00DFe \u2603 \U0001D11E");
    }
}

TEST_F(Captions, TheLanguageIsReadAtEveryCall) {
    UseLanguage(L"CaptionsTest");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"MessageKey"), L"Message text");
    UseLanguage(L"klingon");
    EXPECT_EQ(GetCaption(L"KVTestForm", L"MessageKey"), L"");
    // An empty value, like a missing one, means English.
    UseLanguage(L"");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"GoButton"), L"&Optimize now");
    testreg::DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, L"Language");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"GoButton"), L"&Optimize now");
}

// ---- the shipped English table ----

std::string EnglishTableBytes() {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC info = FindResourceW(module, L"ENGLISH", RT_RCDATA);
    if (!info) return std::string();
    const HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? std::string(static_cast<const char*>(data), SizeofResource(module, info)) : std::string();
}

TEST_F(Captions, TheEnglishTableIsPlainWindows1252WithCrLf) {
    const std::string bytes = EnglishTableBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE");
    int copyrightSigns = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0xA9) ++copyrightSigns;
        EXPECT_TRUE(b == 0xA9 || (b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n') << "byte " << i;
        if (b == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "byte " << i;
        }
        if (b == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "byte " << i;
        }
    }
    EXPECT_EQ(copyrightSigns, 1);
    EXPECT_NE(bytes.back(), '\n') << "the last line is unterminated";

    // Every row holds exactly three fields; sections of different forms are
    // separated by one empty line.
    const std::vector<std::wstring> lines = SplitCaptionLines(
        DecodeCaptionsText(bytes, [](std::string_view b) { return std::wstring(b.begin(), b.end()); }));
    bool afterEmpty = true;
    std::vector<std::wstring> sections;
    for (const std::wstring& line : lines) {
        if (line.empty()) {
            EXPECT_FALSE(afterEmpty) << "two empty lines in a row";
            afterEmpty = true;
            continue;
        }
        const std::vector<std::wstring> fields = SplitCaptionFields(line);
        ASSERT_EQ(fields.size(), 3u) << std::string(line.begin(), line.end());
        if (afterEmpty) sections.push_back(fields[0]);
        EXPECT_EQ(fields[0], sections.back()) << "a section holds one form";
        afterEmpty = false;
    }
    EXPECT_EQ(sections,
              (std::vector<std::wstring>{L"KVMainForm", L"KVSettingsForm", L"KVAboutForm", L"KVUpdateForm"}));
}

TEST_F(Captions, TheEnglishTableHoldsTheProgramsTexts) {
    UseLanguage(L"english");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"KVMainForm"), L"Hastrel - Make your games and internet run faster");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"GoButton"), L"&Optimize now");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"RestoreButton"), L"&Restore");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"UpdatesButton"), L" &Check for updates ...");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"BenefitsDescription"),
              L"Hastrel will optimize this computer and internet speed by adjusting several settings within "
              L"Windows.  These changes may improve gaming and internet performance to run faster.");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"MessageBoxChangeRestart3"),
              L"Click Yes to restart the computer now, or click No to restart later.");
    EXPECT_EQ(GetCaption(L"KVMainForm", L"MessageBoxReset2"), L"Click OK to continue.");
    EXPECT_EQ(GetCaption(L"KVSettingsForm", L"KVSettingsForm"),
              L"Updating computer's gaming and internet settings");
    EXPECT_EQ(GetCaption(L"KVSettingsForm", L"MessageChange10"), L"Writing new gaming and internet settings");
    EXPECT_EQ(GetCaption(L"KVAboutForm", L"VersionLabel"), L"Hastrel 2  (Version : ");
    EXPECT_EQ(GetCaption(L"KVAboutForm", L"CopyrightWarningLabel"), L"");
    EXPECT_NE(GetCaption(L"KVAboutForm", L"CopyrightLabel").find(L"\u00A9 2013 Brenlow"), std::wstring::npos);
    EXPECT_NE(GetCaption(L"KVAboutForm", L"LicensedMemo").find(L"Jean-loup Gailly and Mark Adler"),
              std::wstring::npos);
    // The step texts are not asked for by the main window.
    EXPECT_EQ(GetCaption(L"KVMainForm", L"MessageChange0"), L"");
}

TEST_F(Captions, TheEnglishTableCaptionsTheMainWindow) {
    UseLanguage(L"english");
    class TKVMainForm : public TForm {
      public:
        TKVMainForm() : TForm(nullptr) { Name = L"KVMainForm"; }
        std::wstring ClassName() const override { return L"TKVMainForm"; }
        TButton& GoButton = Create<TButton>(L"GoButton");
        TButton& UpdatesButton = Create<TButton>(L"UpdatesButton");
        TLabel& SoftwareLastUpdateLabel = Create<TLabel>(L"SoftwareLastUpdateLabel");
        TMenuItem& HelpFilePopup = Create<TMenuItem>(L"HelpFilePopup");
        TPanel& MainPanel = Create<TPanel>(L"MainPanel");
    } form;
    ApplyCaptions(&form);
    EXPECT_EQ(form.Caption(), L"Hastrel - Make your games and internet run faster");
    EXPECT_EQ(form.GoButton.Caption(), L"&Optimize now");
    EXPECT_EQ(form.UpdatesButton.Caption(), L" &Check for updates ...");
    EXPECT_EQ(form.SoftwareLastUpdateLabel.Caption(), L"Last updated : ");
    EXPECT_EQ(form.HelpFilePopup.Caption, L"Get &help with Hastrel");
    EXPECT_EQ(form.MainPanel.Caption(), L"") << "no row names the panel";
}

// ---- stored dates ----

TEST(StoredDate, EmptyOrUnreadableTextGivesTheEmptyText) {
    EXPECT_EQ(FormatStoredDate(L""), L"");
    EXPECT_EQ(FormatStoredDate(L"   "), L"");
    EXPECT_EQ(FormatStoredDate(L"garbage"), L"");
    EXPECT_EQ(FormatStoredDate(L"1/2"), L"");
    EXPECT_EQ(FormatStoredDate(L"99/99/9999 99:99:99"), L"");
    EXPECT_EQ(FormatStoredDate(std::wstring(10000, L'7')), L"");
}

// The settings a date is stored in come from the thread locale once per
// process, so each locale runs in a child process of this executable.
constexpr wchar_t ChildOutput[] = L"HASTREL_STORED_DATE_OUT";
constexpr wchar_t ChildThreadLocale[] = L"HASTREL_STORED_DATE_LOCALE";

// Stamps that the child stores and reads back, and texts that it only reads.
// clang-format off
const SYSTEMTIME Stamps[] = {
    SystemTimeAt(2013, 7, 29, 15, 4, 5),
    SystemTimeAt(2013, 7, 29, 0, 0, 0),
    SystemTimeAt(2014, 1, 2, 0, 0, 1),
    SystemTimeAt(2012, 12, 31, 12, 0, 0),
    SystemTimeAt(2013, 7, 29, 3, 4, 5),
};
const wchar_t* const Readings[] = {
    L"7/29/2013 3:04:05 PM",
    L"29.7.2013 15:04:05",
    L"2/30/2013",
    L"7/29/2013 25:00:00",
    L"7/29/2013 3:04:05 PM and more",
};
// clang-format on

std::wstring Env(const wchar_t* name) {
    wchar_t value[512] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return n > 0 && n < std::size(value) ? std::wstring(value) : std::wstring();
}

struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;

bool WriteWholeFile(const std::wstring& path, const std::wstring& text) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return file && WriteFile(file.get(), text.data(), size, &written, nullptr) && written == size;
}

std::wstring ReadWholeFile(const std::wstring& path) {
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::wstring();
    std::wstring text(GetFileSize(file.get(), nullptr) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!ReadFile(file.get(), text.data(), size, &read, nullptr) || read != size) return std::wstring();
    return text;
}

// Runs only inside the child: one line per stamp (stored, shown, and the
// stamp's own long date and time in the system locale), then one per reading.
TEST(StoredDateChild, Run) {
    const std::wstring output = Env(ChildOutput);
    if (output.empty()) GTEST_SKIP() << "runs only in a child of StoredDate tests";
    const std::wstring locale = Env(ChildThreadLocale);
    if (!locale.empty()) {
        ASSERT_TRUE(SetThreadLocale(wcstoul(locale.c_str(), nullptr, 16)));
    }

    const TFormatSettings shown = LocaleFormatSettings(LOCALE_SYSTEM_DEFAULT);
    std::wstring text;
    for (const SYSTEMTIME& stamp : Stamps) {
        SYSTEMTIME withWeekday = stamp;
        FILETIME ft;
        SystemTimeToFileTime(&stamp, &ft);
        FileTimeToSystemTime(&ft, &withWeekday);
        const std::wstring stored = DateTimeToText(stamp, StartupFormatSettings());
        text += stored + L"\t" + FormatStoredDate(stored) + L"\t" + LongDateText(withWeekday, shown) +
                L" - " + LongTimeText(withWeekday, shown) + L"\n";
    }
    for (const wchar_t* reading : Readings)
        text += FormatStoredDate(reading) + L"\n";
    ASSERT_TRUE(WriteWholeFile(output, text));
}

// Sets an environment variable for the children and takes it back after.
class ScopedEnv {
  public:
    ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[512] = {};
        const DWORD n = GetEnvironmentVariableW(name, old, static_cast<DWORD>(std::size(old)));
        if (n > 0 && n < std::size(old)) old_ = old;
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnv() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

struct ChildResult {
    std::vector<std::vector<std::wstring>> stamps; // stored, shown, the stamp in the system locale
    std::vector<std::wstring> readings;
};

// Runs the child with the given thread locale (0: the process default). Its
// system locale is this process's: Wine hands a child its parent's locale
// whatever the child's environment says.
std::optional<ChildResult> RunChild(LCID threadLocale) {
    wchar_t self[MAX_PATH] = {}, tempDir[MAX_PATH] = {}, outFile[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH) || !GetTempPathW(MAX_PATH, tempDir) ||
        !GetTempFileNameW(tempDir, L"hsd", 0, outFile))
        return std::nullopt;
    wchar_t hex[16] = {};
    swprintf(hex, std::size(hex), L"%lx", static_cast<unsigned long>(threadLocale));
    ScopedEnv out(ChildOutput, outFile);
    ScopedEnv locale(ChildThreadLocale, threadLocale ? hex : L"");

    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=StoredDateChild.Run --gtest_brief=1";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return std::nullopt;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    DWORD exitCode = 1;
    const bool finished = WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0 &&
                          GetExitCodeProcess(process.get(), &exitCode) && exitCode == 0;
    if (!finished) TerminateProcess(process.get(), 1);

    const std::wstring text = ReadWholeFile(outFile);
    DeleteFileW(outFile);
    if (!finished) return std::nullopt;

    ChildResult result;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        const std::wstring line = text.substr(start, end - start);
        if (result.stamps.size() < std::size(Stamps)) {
            std::vector<std::wstring> columns;
            size_t from = 0;
            for (size_t tab; (tab = line.find(L'\t', from)) != std::wstring::npos; from = tab + 1)
                columns.push_back(line.substr(from, tab - from));
            columns.push_back(line.substr(from));
            result.stamps.push_back(columns);
        } else {
            result.readings.push_back(line);
        }
    }
    if (result.stamps.size() != std::size(Stamps) || result.readings.size() != std::size(Readings))
        return std::nullopt;
    return result;
}

struct StampExpectation {
    const wchar_t* stored;
    const wchar_t* shown;
};

// The texts shown are spelled out for a US English system (the test run's
// usual locale); under another one only their round trip is checked.
bool ShownInUsEnglish() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    return GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SNAME, name, LOCALE_NAME_MAX_LENGTH) &&
           std::wstring(name) == L"en-US";
}

void ExpectStamps(const ChildResult& child, const std::vector<StampExpectation>& expected) {
    ASSERT_EQ(child.stamps.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::vector<std::wstring>& row = child.stamps[i];
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(row[0], expected[i].stored) << "stamp " << i;
        if (ShownInUsEnglish()) {
            EXPECT_EQ(row[1], expected[i].shown) << "stamp " << i;
        }
        EXPECT_FALSE(row[1].empty()) << "stamp " << i;
        EXPECT_EQ(row[1], row[2]) << "stamp " << i << " reads back as itself";
    }
}

// Which readings give a date, and under US English which one.
void ExpectReadings(const ChildResult& child, const std::vector<std::wstring>& expected) {
    ASSERT_EQ(child.readings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        if (ShownInUsEnglish()) {
            EXPECT_EQ(child.readings[i], expected[i]) << "reading " << i;
        } else {
            EXPECT_EQ(child.readings[i].empty(), expected[i].empty()) << "reading " << i;
        }
    }
}

TEST(StoredDate, TwelveHourClockRoundTrip) {
    const std::optional<ChildResult> child =
        RunChild(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    ASSERT_TRUE(child);
    ExpectStamps(*child, {
                             {L"7/29/2013 3:04:05 PM", L"Monday, July 29, 2013 - 3:04:05 PM"},
                             {L"7/29/2013", L"Monday, July 29, 2013 - 12:00:00 AM"},
                             {L"1/2/2014 12:00:01 AM", L"Thursday, January 2, 2014 - 12:00:01 AM"},
                             {L"12/31/2012 12:00:00 PM", L"Monday, December 31, 2012 - 12:00:00 PM"},
                             {L"7/29/2013 3:04:05 AM", L"Monday, July 29, 2013 - 3:04:05 AM"},
                         });
    ExpectReadings(*child, {L"Monday, July 29, 2013 - 3:04:05 PM", L"", L"", L"", L""});
}

// A user locale other than the system's: read in the user's settings, shown
// in the system's formats and names.
TEST(StoredDate, TwentyFourHourClockReadAndShownInTheSystemLocale) {
    const std::optional<ChildResult> child =
        RunChild(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    ASSERT_TRUE(child);
    ExpectStamps(*child, {
                             {L"29.7.2013 15:04:05", L"Monday, July 29, 2013 - 3:04:05 PM"},
                             {L"29.7.2013", L"Monday, July 29, 2013 - 12:00:00 AM"},
                             {L"2.1.2014 00:00:01", L"Thursday, January 2, 2014 - 12:00:01 AM"},
                             {L"31.12.2012 12:00:00", L"Monday, December 31, 2012 - 12:00:00 PM"},
                             {L"29.7.2013 03:04:05", L"Monday, July 29, 2013 - 3:04:05 AM"},
                         });
    ExpectReadings(*child, {L"", L"Monday, July 29, 2013 - 3:04:05 PM", L"", L"", L""});
}

// Short date pictures with blanks after their separators, and the day-part
// mark before the time.
TEST(StoredDate, KoreanAndHungarianLayoutsReadBack) {
    for (const LCID locale :
         {MAKELCID(MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), SORT_DEFAULT),
          MAKELCID(MAKELANGID(LANG_HUNGARIAN, SUBLANG_HUNGARIAN_HUNGARY), SORT_DEFAULT)}) {
        SCOPED_TRACE(testing::Message() << "locale " << std::hex << locale);
        const std::optional<ChildResult> child = RunChild(locale);
        ASSERT_TRUE(child);
        for (const std::vector<std::wstring>& row : child->stamps) {
            ASSERT_EQ(row.size(), 3u);
            EXPECT_FALSE(row[1].empty());
            EXPECT_EQ(row[1], row[2]);
        }
        if (ShownInUsEnglish()) {
            EXPECT_EQ(child->stamps[0][1], L"Monday, July 29, 2013 - 3:04:05 PM");
        }
    }
}

} // namespace
