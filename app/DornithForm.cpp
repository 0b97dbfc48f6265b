#include "app/DornithForm.h"

#include <array>
#include <iterator>
#include <span>
#include <string>
#include <utility>

#include "framework/FormLayout.h"
#include "support/ProductKey.h"
#include "support/Captions.h"
#include "support/CustomRegistry.h"
#include "support/Seams.h"
#include "support/SystemFont.h"
#include "support/Shell.h"
#include "support/Sound.h"
#include "support/WindowsVersion.h"
#include "app/DornithAboutForm.h"
#include "app/DornithSettingsForm.h"
#include "app/TuningCatalogue.h"

TKVMainForm* KVMainForm = nullptr;

namespace {

// ---- The three lists ----

struct ListItemRow {
    const wchar_t* Text;
    int Image; // image and selected image alike
    // WindowsCombo only: the release the position stands for.
    WindowsRelease Release = WindowsRelease::Unknown;
};

// Position in the list = index of the row.
// clang-format off
const ListItemRow WindowsList[] = {
    {L"  Microsoft \u00AE Windows 8",           0, WindowsRelease::Windows8},
    {L"  Microsoft \u00AE Windows 7",           0, WindowsRelease::Windows7},
    {L"  Microsoft \u00AE Windows Vista",       0, WindowsRelease::WindowsVista},
    {L"  Microsoft \u00AE Windows XP",          0, WindowsRelease::WindowsXP},
    {L"  Microsoft \u00AE Windows Server 2012", 1, WindowsRelease::WindowsServer2012},
    {L"  Microsoft \u00AE Windows Server 2008", 1, WindowsRelease::WindowsServer2008},
    {L"  Microsoft \u00AE Windows Server 2003", 1, WindowsRelease::WindowsServer2003},
    {L"  Microsoft \u00AE Windows Server 2000", 1, WindowsRelease::Windows2000},
};
// clang-format on

const ListItemRow ProcessorList[] = {
    {L"  Intel \u00AE Processor", 0},
    {L"  AMD \u00AE Processor", 0},
    {L"  VIA \u00AE Processor", 0},
};

// The catalogue's table of connections, which also says which are broadband.
constexpr auto ModemList = [] {
    std::array<ListItemRow, std::size(Tuning::ConnectionTable)> items{};
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = {Tuning::ConnectionTable[i].Text, 0};
    return items;
}();

struct ComboListRow {
    const wchar_t* Combo;
    std::span<const ListItemRow> Items;
};
const ComboListRow ComboLists[] = {
    {L"WindowsCombo", WindowsList},
    {L"ProcessorCombo", ProcessorList},
    {L"ModemCombo", ModemList},
};

// The position that shows a release; a release the list does not know shows
// the first entry.
int WindowsListPosition(WindowsRelease release) {
    for (size_t i = 0; i < std::size(WindowsList); ++i)
        if (WindowsList[i].Release == release) return static_cast<int>(i);
    return 0;
}

// Processor makers by a word of the processor's name, tested in this order.
struct ProcessorMakerRow {
    const wchar_t* NamePart; // lower case
    int Position;            // in ProcessorList
};
constexpr ProcessorMakerRow ProcessorMakers[] = {
    {L"intel", 0},
    {L"amd", 1},
    {L"via", 2},
};
constexpr int UnknownProcessorPosition = 0;

constexpr wchar_t ProcessorKey[] = L"\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\";
constexpr wchar_t ProcessorNameValue[] = L"ProcessorNameString";

int DetectProcessorType() {
    const std::wstring name =
        AsciiLower(ReadRegString(HKEY_LOCAL_MACHINE, ProcessorKey, ProcessorNameValue, L"", false));
    for (const ProcessorMakerRow& maker : ProcessorMakers)
        if (name.find(maker.NamePart) != std::wstring::npos) return maker.Position;
    return UnknownProcessorPosition;
}

// ---- The layout ----

using namespace Layout;
using F = TKVMainForm;
using Handler = void (TKVMainForm::*)(TComponent*);
using Maker = TComponent& (*)(TKVMainForm&, const wchar_t*);

const LayoutFont HeadingFont{L"Tahoma", -13, fsBold, clGray};
const LayoutFont LinkFont{L"Tahoma", -11, 0, clBlack};
const LayoutFont NavFont{L"Tahoma", -11, fsBold, clWhite};
const LayoutFont NavPlainFont{L"Tahoma", -11, 0, clWhite};
const LayoutFont StrongFont{L"Tahoma", -11, fsBold, clWindowText};
const LayoutFont DescriptionFont{L"Tahoma", -11, 0, clGray};

using EventSet = Events<F>;
const EventSet Nav1Events{&F::NavButton1Click, &F::NavButtonMouseEnter, &F::NavButtonMouseLeave};
const EventSet Nav2Events{&F::NavButton2Click, &F::NavButtonMouseEnter, &F::NavButtonMouseLeave};
const EventSet Nav3Events{&F::NavButton3Click, &F::NavButtonMouseEnter, &F::NavButtonMouseLeave};
const EventSet Nav4Events{&F::NavButton4Click, &F::NavButtonMouseEnter, &F::NavButtonMouseLeave};
const EventSet HelpLinkEvents{&F::HelpFilePopupClick, &F::LabelMouseEnter, &F::LabelMouseLeave};
const EventSet SupportLinkEvents{&F::NavButton3Click, &F::LabelMouseEnter, &F::LabelMouseLeave};
const EventSet HomeLinkEvents{&F::NavButton2Click, &F::LabelMouseEnter, &F::LabelMouseLeave};
const EventSet AboutLinkEvents{&F::NavButton4Click, &F::LabelMouseEnter, &F::LabelMouseLeave};
const EventSet UpdatesEvents{&F::UpdatesButtonClick, nullptr, nullptr};
const EventSet RestoreEvents{&F::RestoreButtonClick, nullptr, nullptr};
const EventSet GoEvents{&F::GoButtonClick, nullptr, nullptr};

// Graphic controls paint in this order, a later one over an earlier one.
// clang-format off
const Row<F> MainFormLayout[] = {
    // component                    name                       parent            Left Top  W    H    font              options                                   source            tab events
    {Make<&F::BackgroundImage>,       L"BackgroundImage",       nullptr,          0,   0,   764, 500, nullptr,          Stretch,                                  L"BACKGROUND_PNG", -1, nullptr},
    {Make<&F::TopLogoImage>,          L"TopLogoImage",          nullptr,          8,   16,  400, 50,  nullptr,          Stretch,                                  L"TOPLOGO_PNG",   -1, nullptr},
    {Make<&F::NavButton1>,            L"NavButton1",            nullptr,          672, 16,  78,  27,  nullptr,          Stretch | HandCursor,                     L"NAV1_PNG",      -1, &Nav1Events},
    {Make<&F::NavLabel2>,             L"NavLabel2",             nullptr,          16,  98,  0,   0,   &HeadingFont,     Transparent | CenterLayout,               nullptr,          -1, nullptr},
    {Make<&F::LinkLabel4>,            L"LinkLabel4",            nullptr,          16,  135, 0,   0,   &LinkFont,        Transparent | CenterLayout | HandCursor,  nullptr,          -1, &HelpLinkEvents},
    {Make<&F::LinkLabel5>,            L"LinkLabel5",            nullptr,          16,  165, 0,   0,   &LinkFont,        Transparent | CenterLayout | HandCursor,  nullptr,          -1, &SupportLinkEvents},
    {Make<&F::LinkLabel6>,            L"LinkLabel6",            nullptr,          16,  195, 0,   0,   &LinkFont,        Transparent | CenterLayout | HandCursor,  nullptr,          -1, &HomeLinkEvents},
    {Make<&F::LinkLabel7>,            L"LinkLabel7",            nullptr,          16,  251, 0,   0,   &LinkFont,        Transparent | CenterLayout | HandCursor,  nullptr,          -1, &AboutLinkEvents},
    {Make<&F::NavButton2>,            L"NavButton2",            nullptr,          471, 58,  85,  27,  nullptr,          Stretch | HandCursor,                     L"NAV2_PNG",      -1, &Nav2Events},
    {Make<&F::NavButton3>,            L"NavButton3",            nullptr,          556, 58,  108, 27,  nullptr,          Stretch | HandCursor,                     L"NAV3_PNG",      -1, &Nav3Events},
    {Make<&F::NavButton4>,            L"NavButton4",            nullptr,          664, 58,  99,  27,  nullptr,          Stretch | HandCursor,                     L"NAV4_PNG",      -1, &Nav4Events},
    {Make<&F::NavStatic2>,            L"NavStatic2",            nullptr,          502, 64,  0,   0,   &NavFont,         Transparent | HandCursor,                 nullptr,          -1, &Nav2Events},
    {Make<&F::NavStatic3>,            L"NavStatic3",            nullptr,          587, 64,  0,   0,   &NavFont,         Transparent | HandCursor,                 nullptr,          -1, &Nav3Events},
    {Make<&F::NavStatic4>,            L"NavStatic4",            nullptr,          695, 64,  0,   0,   &NavFont,         Transparent | HandCursor,                 nullptr,          -1, &Nav4Events},
    {Make<&F::NavStatic1>,            L"NavStatic1",            nullptr,          701, 22,  0,   0,   &NavPlainFont,    Transparent | HandCursor,                 nullptr,          -1, &Nav1Events},
    {Make<&F::MainPanel>,             L"MainPanel",             nullptr,          182, 91,  582, 388, nullptr,          NoBevel | WindowColor | OwnBackground,    nullptr,           0, nullptr},
    {Make<&F::VersionInstalledLabel>, L"VersionInstalledLabel", L"MainPanel",     16,  336, 0,   0,   &StrongFont,      Transparent | CenterLayout,               nullptr,          -1, nullptr},
    {Make<&F::SoftwareLastUpdateLabel>, L"SoftwareLastUpdateLabel", L"MainPanel", 16,  355, 0,   0,   nullptr,          WindowColor | Transparent | CenterLayout, nullptr,          -1, nullptr},
    {Make<&F::LineSeparator2>,        L"LineSeparator2",        L"MainPanel",     16,  315, 536, 5,   nullptr,          TopLine,                                  nullptr,          -1, nullptr},
    {Make<&F::OSVersionLabel>,        L"OSVersionLabel",        L"MainPanel",     16,  76,  0,   0,   nullptr,          WindowColor | Transparent | CenterLayout, nullptr,          -1, nullptr},
    {Make<&F::ProcessorTypeLabel>,    L"ProcessorTypeLabel",    L"MainPanel",     16,  128, 0,   0,   nullptr,          WindowColor | Transparent | CenterLayout, nullptr,          -1, nullptr},
    {Make<&F::SpeedLabel>,            L"SpeedLabel",            L"MainPanel",     16,  231, 0,   0,   nullptr,          WindowColor | Transparent | CenterLayout, nullptr,          -1, nullptr},
    {Make<&F::FastLabel>,             L"FastLabel",             L"MainPanel",     33,  292, 0,   0,   nullptr,          0,                                        nullptr,          -1, nullptr},
    {Make<&F::LineSeparator1>,        L"LineSeparator1",        L"MainPanel",     360, 102, 2,   183, nullptr,          RightLine,                                nullptr,          -1, nullptr},
    // Its right edge, 304 + 3, stays where it is while the text grows leftwards.
    {Make<&F::FasterLabel>,           L"FasterLabel",           L"MainPanel",     304, 292, 3,   0,   nullptr,          RightJustify,                             nullptr,          -1, nullptr},
    {Make<&F::ModemTypeLabel>,        L"ModemTypeLabel",        L"MainPanel",     16,  180, 0,   0,   nullptr,          WindowColor | Transparent | CenterLayout, nullptr,          -1, nullptr},
    {Make<&F::UpdatesButton>,         L"UpdatesButton",         L"MainPanel",     400, 336, 154, 33,  nullptr,          Shield,                                   nullptr,           6, &UpdatesEvents},
    {Make<&F::BenefitsPanel>,         L"BenefitsPanel",         L"MainPanel",     0,   0,   582, 65,  nullptr,          NoBevel | OwnBackground,                  nullptr,           7, nullptr},
    {Make<&F::BenefitsDescription>,   L"BenefitsDescription",   L"BenefitsPanel", 16,  25,  550, 36,  &DescriptionFont, FixedWrap | NoAccelChar | Transparent | CenterLayout, nullptr, -1, nullptr},
    {Make<&F::BenefitsLabel>,         L"BenefitsLabel",         L"BenefitsPanel", 16,  6,   0,   0,   &StrongFont,      Transparent | CenterLayout,               nullptr,          -1, nullptr},
    {Make<&F::WindowsCombo>,          L"WindowsCombo",          L"MainPanel",     16,  95,  309, 22,  nullptr,          DropDownList,                             L"ImageList1",     2, nullptr},
    {Make<&F::ProcessorCombo>,        L"ProcessorCombo",        L"MainPanel",     16,  147, 309, 22,  nullptr,          DropDownList,                             L"ImageList2",     3, nullptr},
    {Make<&F::SpeedTrackBar>,         L"SpeedTrackBar",         L"MainPanel",     16,  246, 309, 44,  nullptr,          0,                                        nullptr,           5, nullptr},
    {Make<&F::RestoreButton>,         L"RestoreButton",         L"MainPanel",     400, 171, 145, 25,  nullptr,          Disabled,                                 nullptr,           1, &RestoreEvents},
    {Make<&F::GoButton>,              L"GoButton",              L"MainPanel",     400, 95,  145, 52,  &StrongFont,      DefaultButton,                            nullptr,           0, &GoEvents},
    {Make<&F::ModemCombo>,            L"ModemCombo",            L"MainPanel",     16,  199, 309, 22,  nullptr,          DropDownList,                             L"ImageList3",     4, nullptr},
};
// clang-format on

struct TrackBarRow {
    const wchar_t* Name;
    int Min, Max, PageSize, Position;
    TTickMark TickMarks;
    int ThumbLength;
};
const TrackBarRow TrackBars[] = {
    {L"SpeedTrackBar", 0, 1, 1, 0, TTickMark::tmBoth, 26},
};

// The popup menu under the "Help" image.
struct MenuItemRow {
    Maker Make;
    const wchar_t* Name;
    const wchar_t* Caption; // the items take their texts from the captions; "-" is a separator
    Handler OnClick;
};
const MenuItemRow PopupMenuItems[] = {
    {Make<&F::HelpFilePopup>, L"HelpFilePopup", L"", &F::HelpFilePopupClick},
    {Make<&F::N1>, L"N1", L"-", nullptr},
    {Make<&F::TechSupportPopup>, L"TechSupportPopup", L"", &F::NavButton3Click},
};

struct ImageListRow {
    Maker Make;
    const wchar_t* Name;
    const wchar_t* Pictures[2]; // PNG resources of 16 x 16, in image order; nullptr: none
};
const ImageListRow ImageLists[] = {
    {Make<&F::ImageList1>, L"ImageList1", {L"OSDESKTOP_PNG", L"OSSERVER_PNG"}},
    {Make<&F::ImageList2>, L"ImageList2", {L"PROCESSOR_PNG", nullptr}},
    {Make<&F::ImageList3>, L"ImageList3", {L"CONNECTION_PNG", nullptr}},
};

void BuildLayout(TKVMainForm& form) {
    const HMODULE module = GetModuleHandleW(nullptr);
    Build<F>(form, MainFormLayout);
    for (const ComboListRow& list : ComboLists) {
        auto& combo = dynamic_cast<TComboBoxEx&>(*form.FindComponent(list.Combo));
        for (const ListItemRow& item : list.Items)
            combo.AddItem(item.Text, item.Image, item.Image);
    }
    for (const TrackBarRow& t : TrackBars) {
        auto& trackBar = dynamic_cast<TTrackBar&>(*form.FindComponent(t.Name));
        trackBar.SetMin(t.Min);
        trackBar.SetMax(t.Max);
        trackBar.SetPageSize(t.PageSize);
        trackBar.SetPosition(t.Position);
        trackBar.TickMarks = t.TickMarks;
        trackBar.SetThumbLength(t.ThumbLength);
    }

    TPopupMenu& menu = form.Create<TPopupMenu>(L"PopupMenu");
    form.PopupMenu = &menu;
    menu.Alignment = TPopupAlignment::paRight;
    menu.MenuAnimation = maTopToBottom;
    menu.TrackButton = TTrackButton::tbLeftButton;
    for (const MenuItemRow& row : PopupMenuItems) {
        auto& item = dynamic_cast<TMenuItem&>(row.Make(form, row.Name));
        item.Caption = row.Caption;
        item.OnClick = Bind(form, row.OnClick);
        menu.Add(item);
    }

    TApplicationEvents& events = form.Create<TApplicationEvents>(L"ApplicationEvents");
    form.ApplicationEvents = &events;
    events.OnShortCut = [&form](TWMKey& msg, bool& handled) { form.ApplicationEventsShortCut(msg, handled); };

    for (const ImageListRow& row : ImageLists) {
        auto& list = dynamic_cast<TImageList&>(row.Make(form, row.Name));
        list.Width = 16;
        list.Height = 16;
        for (const wchar_t* picture : row.Pictures)
            if (picture) list.AddPngResource(module, picture);
    }
    // The combo boxes name their image lists, which exist only now.
    for (const Row<F>& row : MainFormLayout)
        if (auto* combo = dynamic_cast<TComboBoxEx*>(form.FindComponent(row.Name)); combo && row.Source)
            combo->SetImages(dynamic_cast<TImageList*>(form.FindComponent(row.Source)));
}

} // namespace

TKVMainForm::TKVMainForm(TComponent* owner) : TForm(owner) {
    Name = L"KVMainForm";
    BorderStyle = TFormBorderStyle::bsSingle;
    BorderIcons = biSystemMenu | biMinimize;
    SetClientSize(764, 500);
    Position = TPosition::poScreenCenter;
    SetColor(clBtnFace);
    BuildLayout(*this);
    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
    OnCloseQuery = [this](TComponent* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
}

void TKVMainForm::FormCreate(TComponent* /*Sender*/) {
    try {
        SetDesktopFont(true);
        ApplySystemFont(this);
        ApplyCaptions(this);

        std::wstring lastUpdated = FormatStoredDate(
            ReadRegString(ProductKeyRoot, ProductKeyPath, ProductValue::UpdatedDate, L"", false));
        if (lastUpdated.empty())
            lastUpdated = FormatStoredDate(
                ReadRegString(ProductKeyRoot, ProductKeyPath, ProductValue::InstalledDate, L"", false));

        const int internetType =
            ReadRegInteger(ProductKeyRoot, ProductKeyPath, ProductValue::InternetType, 0, false);
        int processorType =
            ReadRegInteger(ProductKeyRoot, ProductKeyPath, ProductValue::ProcessorType, -1, false);
        const int speedSetting =
            ReadRegInteger(ProductKeyRoot, ProductKeyPath, ProductValue::SpeedSetting, 0, false);
        const bool applied = ReadAppliedFlag();

        SoftwareLastUpdateLabel->SetCaption(SoftwareLastUpdateLabel->Caption() + lastUpdated);
        VersionInstalledLabel->SetCaption(VersionInstalledLabel->Caption() + InstalledVersion);
        WindowsCombo->SetItemIndex(WindowsListPosition(GetWindowsVersion()));
        // Only an answer never stored is guessed; the guess is stored by "Optimize now".
        if (processorType == -1) processorType = DetectProcessorType();
        ProcessorCombo->SetItemIndex(processorType);
        ModemCombo->SetItemIndex(internetType);
        RestoreButton->SetEnabled(applied);
        SpeedTrackBar->SetPosition(speedSetting);
    } catch (...) {
    }
}

WindowsRelease TKVMainForm::ConvertWindowsVersion(int WinVer) {
    if (WinVer < 0 || WinVer >= static_cast<int>(std::size(WindowsList))) return WindowsRelease::Unknown;
    return WindowsList[WinVer].Release;
}

namespace {

const wchar_t MainFormName[] = L"KVMainForm";
const wchar_t SettingsFormName[] = L"KVSettingsForm";
const wchar_t BlankLine[] = L"\r\n\r\n";

// The status texts the progress window steps through, and how often each shows.
struct ProgressStepRow {
    const wchar_t* Key;
    int Repeats;
};
constexpr ProgressStepRow OptimizeSteps[] = {
    {L"MessageChange0", 2}, {L"MessageChange1", 2}, {L"MessageChange2", 3},  {L"MessageChange3", 1},
    {L"MessageChange4", 2}, {L"MessageChange5", 4}, {L"MessageChange6", 4},  {L"MessageChange7", 2},
    {L"MessageChange8", 3}, {L"MessageChange9", 4}, {L"MessageChange10", 6},
};
constexpr ProgressStepRow RestoreSteps[] = {
    {L"MessageChange0", 2}, {L"MessageChange1", 2},  {L"MessageChange2", 3}, {L"MessageChange3", 1},
    {L"MessageChange4", 2}, {L"MessageChange5", 4},  {L"MessageChange6", 4}, {L"MessageChange7", 2},
    {L"MessageChange8", 3}, {L"MessageChange11", 6},
};

constexpr int StepCount(std::span<const ProgressStepRow> steps) {
    int total = 0;
    for (const ProgressStepRow& row : steps)
        total += row.Repeats;
    return total;
}
static_assert(StepCount(OptimizeSteps) == 33);
static_assert(StepCount(RestoreSteps) == 29);

// The connection and speed answers, read from the controls when the catalogue asks.
TuningChoices CurrentChoices(TKVMainForm& form) {
    return {[&form] { return form.ModemCombo->ItemIndex(); },
            [&form] { return form.SpeedTrackBar->Position(); }};
}

// Sets a flag for as long as it lives, however the scope ends.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

// For as long as an operation runs, the main window waits and the progress
// window shows; nothing else disables the main window itself. However the
// operation ends, failure included, the main window is enabled again and the
// progress window hidden, so the program never stays frozen. Both only switch
// windows that exist from start-up on.
class ProgressScope {
  public:
    explicit ProgressScope(TKVMainForm& form) : form_(form) { form_.SetEnabled(false); }
    ~ProgressScope() {
        form_.SetEnabled(true);
        // Hidden, not closed: the progress window refuses to close while it shows.
        KVSettingsForm->Hide();
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

  private:
    TKVMainForm& form_;
};

// Walks the progress window through the steps; the main window is disabled
// already. Once Stop is set the remaining steps are left out.
void RunProgressSteps(const wchar_t* headingKey, std::span<const ProgressStepRow> steps, const bool& stop) {
    KVSettingsForm->Position = TPosition::poOwnerFormCenter;
    KVSettingsForm->Show();
    ProgressStepTotal = StepCount(steps);
    ProgressStepsDone = 0;
    KVSettingsForm->CurrentSettingsHeading->SetCaption(GetCaption(SettingsFormName, headingKey));
    for (const ProgressStepRow& row : steps)
        for (int i = 0; i < row.Repeats; ++i) {
            if (stop) return;
            ShowProgressStep(GetCaption(SettingsFormName, row.Key));
        }
}

// The prompt that ends both operations; Yes restarts Windows at once. Its
// first paragraph says how the run went: finished, or, where any write or
// delete failed, the operation's own word that not everything was done. A
// window that was asked to close meanwhile closes instead, without the prompt.
void ShowRestartPrompt(TKVMainForm& form, bool& closeRequested, bool complete, const wchar_t* incompleteKey) {
    if (std::exchange(closeRequested, false)) {
        form.Close();
        return;
    }
    const std::wstring text =
        GetCaption(MainFormName, complete ? L"MessageBoxChangeRestart1" : incompleteKey) + BlankLine +
        GetCaption(MainFormName, L"MessageBoxChangeRestart2") + BlankLine +
        GetCaption(MainFormName, L"MessageBoxChangeRestart3");
    if (MessageBoxCall(form.Handle(), text.c_str(), form.Caption().c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
        RestartWindows();
}

// Both operations start here: where the product key cannot be written (no
// administrator rights, on a release that starts the program without asking
// for them), the user is told so and nothing at all is changed.
bool MayChangeSettings(TKVMainForm& form) {
    if (CanChangeSettings()) return true;
    const std::wstring text = GetCaption(MainFormName, L"MessageBoxNoRights1") + BlankLine +
                              GetCaption(MainFormName, L"MessageBoxNoRights2");
    MessageBoxCall(form.Handle(), text.c_str(), form.Caption().c_str(), MB_OK | MB_ICONWARNING);
    return false;
}

} // namespace

void TKVMainForm::FormCloseQuery(TComponent* /*Sender*/, bool& CanClose) {
    try {
        // Disabled, the window waits for an operation: it finishes its registry
        // work first, then closes the window.
        if (Enabled()) return;
        closeRequested_ = true;
        CanClose = false;
    } catch (...) {
    }
}

void TKVMainForm::GoButtonClick(TComponent* /*Sender*/) {
    try {
        // One run a press: a click or key that comes while this one is handled does nothing.
        if (pressHandled_) return;
        const FlagScope press(pressHandled_);
        closeRequested_ = false;
        if (!MayChangeSettings(*this)) return;
        const bool appliedBefore = ReadAppliedFlag();
        const bool answersStored =
            StoreAnswers(ModemCombo->ItemIndex(), ProcessorCombo->ItemIndex(), SpeedTrackBar->Position());
        // The applied flag follows only once the originals are recorded: a run
        // cut short in between must not claim records that were never taken.
        PlayClickSound();
        bool tuned = false;
        {
            const ProgressScope progress(*this);
            RunProgressSteps(L"MessageUpdate", OptimizeSteps, closeRequested_);
            tuned = ApplyTuning(appliedBefore, ConvertWindowsVersion(WindowsCombo->ItemIndex()),
                                CurrentChoices(*this))
                        .Complete;
        }
        RestoreButton->SetEnabled(ReadAppliedFlag());
        ShowRestartPrompt(*this, closeRequested_, answersStored && tuned, L"MessageBoxChangeIncomplete");
    } catch (...) {
    }
}

void TKVMainForm::RestoreButtonClick(TComponent* /*Sender*/) {
    try {
        if (pressHandled_) return;
        const FlagScope press(pressHandled_);
        closeRequested_ = false;
        if (!MayChangeSettings(*this)) return;
        const std::wstring text = GetCaption(MainFormName, L"MessageBoxReset1") + BlankLine +
                                  GetCaption(MainFormName, L"MessageBoxReset2");
        if (MessageBoxCall(Handle(), text.c_str(), Caption().c_str(), MB_OKCANCEL | MB_ICONWARNING) != IDOK)
            return;
        // The applied flag goes only after every value is back in place, so a
        // run cut short or a value that could not be put back leaves the
        // records of the originals and the way to restore them.
        PlayClickSound();
        bool complete = false;
        {
            const ProgressScope progress(*this);
            RunProgressSteps(L"MessageRestore", RestoreSteps, closeRequested_);
            complete = RestoreTuning(ConvertWindowsVersion(WindowsCombo->ItemIndex()), CurrentChoices(*this))
                           .Complete;
        }
        RestoreButton->SetEnabled(ReadAppliedFlag());
        ShowRestartPrompt(*this, closeRequested_, complete, L"MessageBoxResetIncomplete");
    } catch (...) {
    }
}
namespace {

// The maker's web site; its root is the home page.
constexpr wchar_t MakerSite[] = L"https://www.brenlow.example/";
constexpr wchar_t SupportPage[] = L"support/";
constexpr wchar_t HelpFile[] = L"Hastrel.chm";
constexpr wchar_t HelpTopic[] = L"/html/main.htm";
constexpr wchar_t UpdaterFile[] = L"HastrelUpdate.exe";

// The navigation images and their labels share the digit after these nine letters.
constexpr size_t NavNamePrefixLength = 9;
constexpr wchar_t NavLabelPrefix[] = L"NavStatic";

// The digit of a navigation name, without blanks or control characters around it.
std::wstring NavNameDigit(const std::wstring& name) {
    if (name.size() <= NavNamePrefixLength) return {};
    size_t first = NavNamePrefixLength, last = name.size();
    while (first < last && name[first] <= L' ')
        ++first;
    while (last > first && name[last - 1] <= L' ')
        --last;
    return name.substr(first, last - first);
}

// The label a navigation image or label underlines; null when there is none.
TControl* NavLabelOf(TKVMainForm& form, TComponent* sender) {
    if (!sender) return nullptr;
    const std::wstring digit = NavNameDigit(sender->Name);
    if (digit.empty()) return nullptr;
    return dynamic_cast<TControl*>(form.FindComponent(NavLabelPrefix + digit));
}

} // namespace

void SetUnderline(TComponent* Control, bool Underline) {
    auto* control = dynamic_cast<TControl*>(Control);
    if (!control) return;
    const TFontStyles style = control->Font.Style();
    control->Font.SetStyle(Underline ? style | fsUnderline : style & ~fsUnderline);
}

void TKVMainForm::UpdatesButtonClick(TComponent* /*Sender*/) {
    try {
        PlayClickSound();
        // Only ever the updater beside this executable: the program runs with
        // full rights, and whoever starts it chooses its command line.
        const std::wstring folder = ExecutableFolder();
        if (!folder.empty()) ShellOpenDetached(folder + UpdaterFile, L"");
    } catch (...) {
    }
}

void TKVMainForm::NavButton1Click(TComponent* /*Sender*/) {
    try {
        // The whole frame, both borders and the title bar, lies between the
        // outer bounds and the client area.
        const int x = Left() + (Width() - ClientWidth()) + NavButton1->Left() + NavButton1->Width();
        const int y = Top() + (Height() - ClientHeight()) + NavButton1->Top() + NavButton1->Height();
        PopupMenu->Popup(x, y);
    } catch (...) {
    }
}

void TKVMainForm::NavButton2Click(TComponent* /*Sender*/) {
    try {
        PlayClickSound();
        OpenDocument(MakerSite);
    } catch (...) {
    }
}

void TKVMainForm::NavButton3Click(TComponent* /*Sender*/) {
    try {
        PlayClickSound();
        OpenDocument(std::wstring(MakerSite) + SupportPage);
    } catch (...) {
    }
}

void TKVMainForm::NavButton4Click(TComponent* /*Sender*/) {
    try {
        PlayClickSound();
        KVAboutForm->Position = TPosition::poOwnerFormCenter;
        KVAboutForm->ShowModal();
    } catch (...) {
    }
}

void TKVMainForm::HelpFilePopupClick(TComponent* /*Sender*/) {
    try {
        TWMKey key{WM_KEYDOWN, VK_F1, 0};
        bool handled = false;
        ApplicationEventsShortCut(key, handled);
    } catch (...) {
    }
}

void TKVMainForm::NavButtonMouseEnter(TComponent* Sender) {
    try {
        SetUnderline(NavLabelOf(*this, Sender), true);
    } catch (...) {
    }
}

void TKVMainForm::NavButtonMouseLeave(TComponent* Sender) {
    try {
        SetUnderline(NavLabelOf(*this, Sender), false);
    } catch (...) {
    }
}

void TKVMainForm::LabelMouseEnter(TComponent* Sender) {
    try {
        SetUnderline(Sender, true);
    } catch (...) {
    }
}

void TKVMainForm::LabelMouseLeave(TComponent* Sender) {
    try {
        SetUnderline(Sender, false);
    } catch (...) {
    }
}

void TKVMainForm::ApplicationEventsShortCut(TWMKey& Msg, bool& /*Handled*/) {
    try {
        // Shift, Ctrl and Alt make no difference; the key goes on its way.
        if (Msg.CharCode != VK_F1) return;
        // The first visible window, so the help opens once however many show.
        for (TForm* window : {static_cast<TForm*>(KVAboutForm), static_cast<TForm*>(KVSettingsForm),
                              static_cast<TForm*>(KVMainForm)}) {
            if (window && window->Visible()) {
                ShowHelpTopic(HelpFile, HelpTopic);
                return;
            }
        }
    } catch (...) {
    }
}
