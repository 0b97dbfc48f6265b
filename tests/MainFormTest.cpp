#include "app/DornithForm.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/TestDates.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/DornithAboutForm.h"
#include "app/DornithSettingsForm.h"
#include "framework/DateTime.h"
#include "framework/Handles.h"
#include "support/AppDriver.h"
#include "support/LaunchRecorder.h"
#include "support/ProgramWindows.h"
#include "support/Shell.h"
#include "support/Captions.h"
#include "support/TestRegistry.h"
#include "support/WindowsVersion.h"

namespace {

const std::wstring ProductKey = L"Software\\Brenlow\\Hastrel";
const std::wstring ProcessorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
const wchar_t ProcessorName[] = L"ProcessorNameString";

// The product key values the window reads, and the processor name: each test
// starts without them and leaves them as it found them.
const wchar_t* const ProductValues[] = {L"InternetType", L"ProcessorType", L"SpeedSetting", L"Restore",
                                        L"UpdatedDate",  L"InstalledDate", L"Language",     L"MinAnimate"};

std::unique_ptr<TKVMainForm> CreateMainForm() {
    auto form = std::make_unique<TKVMainForm>(nullptr);
    form->AfterConstruction();
    return form;
}

class MainForm : public testing::Test {
  protected:
    void SetUp() override {
        for (const wchar_t* name : ProductValues) {
            savedProduct_[name] = testreg::Get(HKEY_LOCAL_MACHINE, ProductKey, name);
            testreg::DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, name);
        }
        savedProcessor_ = testreg::Get(HKEY_LOCAL_MACHINE, ProcessorKey, ProcessorName);
    }
    void TearDown() override {
        for (auto& [name, value] : savedProduct_)
            Restore(ProductKey, name, value);
        Restore(ProcessorKey, ProcessorName, savedProcessor_);
    }

    static void SetDword(const wchar_t* name, uint32_t value) {
        testreg::SetDword(HKEY_LOCAL_MACHINE, ProductKey, name, value);
    }
    static void SetString(const wchar_t* name, const std::wstring& text) {
        testreg::SetString(HKEY_LOCAL_MACHINE, ProductKey, name, text);
    }
    static void SetProcessorName(const std::optional<std::wstring>& name) {
        if (name)
            testreg::SetString(HKEY_LOCAL_MACHINE, ProcessorKey, ProcessorName, *name);
        else
            testreg::DeleteValue(HKEY_LOCAL_MACHINE, ProcessorKey, ProcessorName);
    }
    static std::wstring StoredDate(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
        return DateTimeToText(SystemTimeAt(year, month, day, hour, minute, second), StartupFormatSettings());
    }

  private:
    static void Restore(const std::wstring& key, const std::wstring& name,
                        const std::optional<testreg::Value>& value) {
        if (value)
            testreg::Set(HKEY_LOCAL_MACHINE, key, name, value->type, value->data.data(),
                         static_cast<DWORD>(value->data.size()));
        else
            testreg::DeleteValue(HKEY_LOCAL_MACHINE, key, name);
    }

    std::map<std::wstring, std::optional<testreg::Value>> savedProduct_;
    std::optional<testreg::Value> savedProcessor_;
};

int WindowSelection(TComboBoxEx* combo) {
    return static_cast<int>(SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0));
}

// ---- The window and its layout ----

TEST_F(MainForm, WindowIsAFixedSingleBorderWindowOfItsOwnClass) {
    auto form = CreateMainForm();
    const HWND h = form->Handle();
    ExpectClassAndClientSize(h, L"TKVMainForm", 764, 500);

    const LONG style = GetWindowLongW(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(form->Name, L"KVMainForm");
    EXPECT_EQ(form->Color(), clBtnFace);

    wchar_t title[128] = {};
    GetWindowTextW(h, title, 128);
    EXPECT_STREQ(title, L"Hastrel - Make your games and internet run faster");
}

TEST_F(MainForm, FormOwnsEveryComponentInLayoutOrder) {
    auto form = CreateMainForm();
    const std::vector<std::wstring> expected = {L"BackgroundImage",
                                                L"TopLogoImage",
                                                L"NavButton1",
                                                L"NavLabel2",
                                                L"LinkLabel4",
                                                L"LinkLabel5",
                                                L"LinkLabel6",
                                                L"LinkLabel7",
                                                L"NavButton2",
                                                L"NavButton3",
                                                L"NavButton4",
                                                L"NavStatic2",
                                                L"NavStatic3",
                                                L"NavStatic4",
                                                L"NavStatic1",
                                                L"MainPanel",
                                                L"VersionInstalledLabel",
                                                L"SoftwareLastUpdateLabel",
                                                L"LineSeparator2",
                                                L"OSVersionLabel",
                                                L"ProcessorTypeLabel",
                                                L"SpeedLabel",
                                                L"FastLabel",
                                                L"LineSeparator1",
                                                L"FasterLabel",
                                                L"ModemTypeLabel",
                                                L"UpdatesButton",
                                                L"BenefitsPanel",
                                                L"BenefitsDescription",
                                                L"BenefitsLabel",
                                                L"WindowsCombo",
                                                L"ProcessorCombo",
                                                L"SpeedTrackBar",
                                                L"RestoreButton",
                                                L"GoButton",
                                                L"ModemCombo",
                                                L"PopupMenu",
                                                L"HelpFilePopup",
                                                L"N1",
                                                L"TechSupportPopup",
                                                L"ApplicationEvents",
                                                L"ImageList1",
                                                L"ImageList2",
                                                L"ImageList3"};
    std::vector<std::wstring> names;
    for (int i = 0; i < form->ComponentCount(); ++i)
        names.push_back(form->Components(i)->Name);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(form->FindComponent(L"gobutton"), form->GoButton);
}

struct Placement {
    const wchar_t* Name;
    const wchar_t* Parent;
    int Left, Top, Width, Height; // -1: sized to its text
};

TEST_F(MainForm, ComponentsLieWhereTheLayoutPutsThem) {
    auto form = CreateMainForm();
    const Placement placements[] = {
        {L"BackgroundImage", L"KVMainForm", 0, 0, 764, 500},
        {L"TopLogoImage", L"KVMainForm", 8, 16, 400, 50},
        {L"NavButton1", L"KVMainForm", 672, 16, 78, 27},
        {L"NavLabel2", L"KVMainForm", 16, 98, -1, -1},
        {L"LinkLabel4", L"KVMainForm", 16, 135, -1, -1},
        {L"LinkLabel5", L"KVMainForm", 16, 165, -1, -1},
        {L"LinkLabel6", L"KVMainForm", 16, 195, -1, -1},
        {L"LinkLabel7", L"KVMainForm", 16, 251, -1, -1},
        {L"NavButton2", L"KVMainForm", 471, 58, 85, 27},
        {L"NavButton3", L"KVMainForm", 556, 58, 108, 27},
        {L"NavButton4", L"KVMainForm", 664, 58, 99, 27},
        {L"NavStatic2", L"KVMainForm", 502, 64, -1, -1},
        {L"NavStatic3", L"KVMainForm", 587, 64, -1, -1},
        {L"NavStatic4", L"KVMainForm", 695, 64, -1, -1},
        {L"NavStatic1", L"KVMainForm", 701, 22, -1, -1},
        {L"MainPanel", L"KVMainForm", 182, 91, 582, 388},
        {L"VersionInstalledLabel", L"MainPanel", 16, 336, -1, -1},
        {L"SoftwareLastUpdateLabel", L"MainPanel", 16, 355, -1, -1},
        {L"LineSeparator2", L"MainPanel", 16, 315, 536, 5},
        {L"OSVersionLabel", L"MainPanel", 16, 76, -1, -1},
        {L"ProcessorTypeLabel", L"MainPanel", 16, 128, -1, -1},
        {L"SpeedLabel", L"MainPanel", 16, 231, -1, -1},
        {L"FastLabel", L"MainPanel", 33, 292, -1, -1},
        {L"LineSeparator1", L"MainPanel", 360, 102, 2, 183},
        {L"ModemTypeLabel", L"MainPanel", 16, 180, -1, -1},
        {L"UpdatesButton", L"MainPanel", 400, 336, 154, 33},
        {L"BenefitsPanel", L"MainPanel", 0, 0, 582, 65},
        {L"BenefitsDescription", L"BenefitsPanel", 16, 25, 550, 36},
        {L"BenefitsLabel", L"BenefitsPanel", 16, 6, -1, -1},
        {L"WindowsCombo", L"MainPanel", 16, 95, 309, 22},
        {L"ProcessorCombo", L"MainPanel", 16, 147, 309, 22},
        {L"SpeedTrackBar", L"MainPanel", 16, 246, 309, 44},
        {L"RestoreButton", L"MainPanel", 400, 171, 145, 25},
        {L"GoButton", L"MainPanel", 400, 95, 145, 52},
        {L"ModemCombo", L"MainPanel", 16, 199, 309, 22},
    };
    for (const Placement& p : placements) {
        SCOPED_TRACE(testing::Message() << "component " << testing::PrintToString(std::wstring(p.Name)));
        auto* control = dynamic_cast<TControl*>(form->FindComponent(p.Name));
        ASSERT_NE(control, nullptr);
        ASSERT_NE(control->Parent(), nullptr);
        EXPECT_EQ(control->Parent()->Name, p.Parent);
        EXPECT_EQ(control->Left(), p.Left);
        EXPECT_EQ(control->Top(), p.Top);
        if (p.Width >= 0) {
            EXPECT_EQ(control->Width(), p.Width);
            EXPECT_EQ(control->Height(), p.Height);
        } else {
            // Sized to its text, which the captions gave it.
            EXPECT_GT(control->Width(), 10);
            EXPECT_GT(control->Height(), 8);
        }
    }
    // "Maximum Boost" grows leftwards from the right edge at 307.
    EXPECT_EQ(form->FasterLabel->Left() + form->FasterLabel->Width(), 307);
    EXPECT_LT(form->FasterLabel->Left(), 304);
}

TEST_F(MainForm, ControlsCarryTheirLayoutProperties) {
    auto form = CreateMainForm();
    for (TImage* image : {form->BackgroundImage, form->TopLogoImage, form->NavButton1, form->NavButton2,
                          form->NavButton3, form->NavButton4}) {
        EXPECT_TRUE(image->Stretch());
        EXPECT_GT(image->PictureWidth(), 0) << testing::PrintToString(image->Name);
    }
    EXPECT_EQ(form->BackgroundImage->PictureWidth(), 765);
    EXPECT_EQ(form->BackgroundImage->PictureHeight(), 500);
    for (TControl* hand : std::initializer_list<TControl*>{
             form->NavButton1, form->NavButton2, form->NavButton3, form->NavButton4, form->NavStatic1,
             form->NavStatic2, form->NavStatic3, form->NavStatic4, form->LinkLabel4, form->LinkLabel5,
             form->LinkLabel6, form->LinkLabel7})
        EXPECT_EQ(hand->Cursor, crHandPoint) << testing::PrintToString(hand->Name);
    EXPECT_EQ(form->BackgroundImage->Cursor, crDefault);

    // Fonts keep their colours and styles after the desktop font is applied.
    EXPECT_TRUE(form->NavLabel2->Font.Style() & fsBold);
    EXPECT_EQ(form->NavLabel2->Font.Color(), clGray);
    EXPECT_EQ(form->NavLabel2->Font.Height(), -13);
    EXPECT_EQ(form->LinkLabel4->Font.Color(), clBlack);
    EXPECT_TRUE(form->NavStatic2->Font.Style() & fsBold);
    EXPECT_FALSE(form->NavStatic1->Font.Style() & fsBold);
    EXPECT_EQ(form->NavStatic1->Font.Color(), clWhite);
    EXPECT_TRUE(form->GoButton->Font.Style() & fsBold);
    EXPECT_FALSE(form->GoButton->ParentFont());
    EXPECT_TRUE(form->OSVersionLabel->ParentFont());
    EXPECT_EQ(form->OSVersionLabel->Font.Name(), form->Font.Name());
    EXPECT_EQ(form->BenefitsDescription->Font.Color(), clGray);

    for (TLabel* label : {form->NavLabel2, form->LinkLabel4, form->NavStatic1, form->OSVersionLabel,
                          form->BenefitsDescription, form->BenefitsLabel, form->VersionInstalledLabel})
        EXPECT_TRUE(label->Transparent()) << testing::PrintToString(label->Name);
    EXPECT_FALSE(form->FastLabel->Transparent());
    EXPECT_EQ(form->FasterLabel->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(form->LinkLabel5->Layout(), TTextLayout::tlCenter);
    EXPECT_FALSE(form->BenefitsDescription->AutoSize());
    EXPECT_TRUE(form->BenefitsDescription->WordWrap());
    EXPECT_FALSE(form->BenefitsDescription->ShowAccelChar());

    EXPECT_EQ(form->LineSeparator1->Shape(), TBevelShape::bsRightLine);
    EXPECT_EQ(form->LineSeparator2->Shape(), TBevelShape::bsTopLine);
    EXPECT_EQ(form->MainPanel->Color(), clWindow);
    EXPECT_EQ(form->MainPanel->BevelOuter(), TBevelCut::bvNone);
    EXPECT_FALSE(form->MainPanel->ParentBackground());
    EXPECT_EQ(form->BenefitsPanel->BevelOuter(), TBevelCut::bvNone);
    EXPECT_FALSE(form->BenefitsPanel->ParentBackground());

    EXPECT_TRUE(form->GoButton->Default());
    EXPECT_FALSE(form->RestoreButton->Default());
    EXPECT_TRUE(form->UpdatesButton->ElevationRequired());
    EXPECT_EQ(GetWindowLongW(form->GoButton->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    EXPECT_EQ(form->SpeedTrackBar->Min(), 0);
    EXPECT_EQ(form->SpeedTrackBar->Max(), 1);
    EXPECT_EQ(form->SpeedTrackBar->PageSize(), 1);
    EXPECT_EQ(form->SpeedTrackBar->ThumbLength(), 26);
    EXPECT_EQ(form->SpeedTrackBar->TickMarks, TTickMark::tmBoth);
    EXPECT_TRUE(GetWindowLongW(form->SpeedTrackBar->Handle(), GWL_STYLE) & TBS_BOTH);
    EXPECT_EQ(SendMessageW(form->SpeedTrackBar->Handle(), TBM_GETRANGEMAX, 0, 0), 1);
}

TEST_F(MainForm, HandlersAreBoundToTheirComponents) {
    auto form = CreateMainForm();
    for (TControl* clickable : std::initializer_list<TControl*>{
             form->NavButton1, form->NavButton2, form->NavButton3, form->NavButton4, form->NavStatic1,
             form->NavStatic2, form->NavStatic3, form->NavStatic4, form->LinkLabel4, form->LinkLabel5,
             form->LinkLabel6, form->LinkLabel7, form->GoButton, form->RestoreButton, form->UpdatesButton}) {
        EXPECT_TRUE(clickable->OnClick) << testing::PrintToString(clickable->Name);
    }
    for (TControl* hover :
         std::initializer_list<TControl*>{form->NavButton1, form->NavStatic4, form->LinkLabel7}) {
        EXPECT_TRUE(hover->OnMouseEnter) << testing::PrintToString(hover->Name);
        EXPECT_TRUE(hover->OnMouseLeave) << testing::PrintToString(hover->Name);
    }
    EXPECT_FALSE(form->BackgroundImage->OnClick);
    EXPECT_FALSE(form->NavLabel2->OnClick);
    EXPECT_TRUE(form->ApplicationEvents->OnShortCut);
}

TEST_F(MainForm, PopupMenuHoldsTheHelpItemsAroundASeparator) {
    auto form = CreateMainForm();
    ASSERT_EQ(form->PopupMenu->Items.size(), 3u);
    EXPECT_EQ(form->PopupMenu->Items[0], form->HelpFilePopup);
    EXPECT_EQ(form->PopupMenu->Items[1], form->N1);
    EXPECT_EQ(form->PopupMenu->Items[2], form->TechSupportPopup);
    EXPECT_EQ(form->N1->Caption, L"-");
    EXPECT_EQ(form->HelpFilePopup->Caption, L"Get &help with Hastrel");
    EXPECT_EQ(form->TechSupportPopup->Caption, L"&Contact technical support");
    EXPECT_TRUE(form->HelpFilePopup->OnClick);
    EXPECT_TRUE(form->TechSupportPopup->OnClick);
    EXPECT_FALSE(form->N1->OnClick);
    EXPECT_EQ(form->PopupMenu->Alignment, TPopupAlignment::paRight);
    EXPECT_EQ(form->PopupMenu->TrackButton, TTrackButton::tbLeftButton);
}

TEST_F(MainForm, ListsHoldTheirItemsWithImages) {
    auto form = CreateMainForm();
    const std::vector<std::pair<std::wstring, int>> windows = {
        {L"  Microsoft \u00AE Windows 8", 0},           {L"  Microsoft \u00AE Windows 7", 0},
        {L"  Microsoft \u00AE Windows Vista", 0},       {L"  Microsoft \u00AE Windows XP", 0},
        {L"  Microsoft \u00AE Windows Server 2012", 1}, {L"  Microsoft \u00AE Windows Server 2008", 1},
        {L"  Microsoft \u00AE Windows Server 2003", 1}, {L"  Microsoft \u00AE Windows Server 2000", 1}};
    const std::vector<std::wstring> processors = {L"  Intel \u00AE Processor", L"  AMD \u00AE Processor",
                                                  L"  VIA \u00AE Processor"};
    const std::vector<std::wstring> modems = {L"  Cable | DSL | Wi-Fi",
                                              L"  Verizon FiOS | Wi-Fi",
                                              L"  Dial-up 56k",
                                              L"  Satellite",
                                              L"  Android | iPhone | Windows Phone | BlackBerry",
                                              L"  LTE | 4G | 3G | 2G | Edge Modem",
                                              L"  Local Area Network",
                                              L"  ISDN",
                                              L"  T1 | T3 | OC3 | OC12+"};

    ASSERT_EQ(form->WindowsCombo->ItemCount(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(form->WindowsCombo->Item(i).Caption, windows[static_cast<size_t>(i)].first);
        EXPECT_EQ(form->WindowsCombo->Item(i).ImageIndex, windows[static_cast<size_t>(i)].second);
        EXPECT_EQ(form->WindowsCombo->Item(i).SelectedImageIndex, windows[static_cast<size_t>(i)].second);
    }
    ASSERT_EQ(form->ProcessorCombo->ItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form->ProcessorCombo->Item(i).Caption, processors[static_cast<size_t>(i)]);
        EXPECT_EQ(form->ProcessorCombo->Item(i).ImageIndex, 0);
    }
    ASSERT_EQ(form->ModemCombo->ItemCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(form->ModemCombo->Item(i).Caption, modems[static_cast<size_t>(i)]);

    // The windows hold the same items.
    wchar_t text[128] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE;
    item.iItem = 4;
    item.pszText = text;
    item.cchTextMax = 128;
    ASSERT_TRUE(
        SendMessageW(form->WindowsCombo->Handle(), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, L"  Microsoft \u00AE Windows Server 2012");
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(SendMessageW(form->ModemCombo->Handle(), CB_GETCOUNT, 0, 0), 9);

    EXPECT_EQ(form->WindowsCombo->Images(), form->ImageList1);
    EXPECT_EQ(form->ProcessorCombo->Images(), form->ImageList2);
    EXPECT_EQ(form->ModemCombo->Images(), form->ImageList3);
    EXPECT_EQ(form->ImageList1->Count(), 2);
    EXPECT_EQ(form->ImageList2->Count(), 1);
    EXPECT_EQ(form->ImageList3->Count(), 1);
    EXPECT_EQ(form->ImageList1->Width, 16);
    EXPECT_EQ(form->ImageList1->Height, 16);
}

TEST_F(MainForm, PanelChildrenFollowTheTabOrder) {
    SetDword(L"Restore", 1);
    auto form = CreateMainForm();
    std::vector<HWND> order;
    for (HWND child = GetWindow(form->MainPanel->Handle(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    const std::vector<HWND> expected = {form->GoButton->Handle(),      form->RestoreButton->Handle(),
                                        form->WindowsCombo->Handle(),  form->ProcessorCombo->Handle(),
                                        form->ModemCombo->Handle(),    form->SpeedTrackBar->Handle(),
                                        form->UpdatesButton->Handle(), form->BenefitsPanel->Handle()};
    EXPECT_EQ(order, expected);

    // The dialog manager walks them in that order, into the panel and out again.
    const HWND window = form->Handle();
    HWND stop = GetNextDlgTabItem(window, nullptr, FALSE);
    EXPECT_EQ(stop, form->GoButton->Handle());
    std::vector<HWND> stops;
    for (int i = 0; i < 7; ++i) {
        stops.push_back(stop);
        stop = GetNextDlgTabItem(window, stop, FALSE);
    }
    EXPECT_EQ(stop, form->GoButton->Handle());
    EXPECT_EQ(std::vector<HWND>(expected.begin(), expected.begin() + 7), stops);
}

// ---- Filling from the system and the stored answers ----

TEST_F(MainForm, EmptyProductKeyShowsDefaultsAndTheDetectedProcessor) {
    SetProcessorName(L"AMD Ryzen 7 5800X 8-Core Processor");
    auto form = CreateMainForm();
    EXPECT_EQ(form->ModemCombo->ItemIndex(), 0);
    EXPECT_EQ(WindowSelection(form->ModemCombo), 0);
    EXPECT_EQ(form->ProcessorCombo->ItemIndex(), 1);
    EXPECT_EQ(WindowSelection(form->ProcessorCombo), 1);
    EXPECT_EQ(form->SpeedTrackBar->Position(), 0);
    EXPECT_EQ(SendMessageW(form->SpeedTrackBar->Handle(), TBM_GETPOS, 0, 0), 0);
    EXPECT_FALSE(form->RestoreButton->Enabled());
    EXPECT_FALSE(IsWindowEnabled(form->RestoreButton->Handle()));
    EXPECT_EQ(form->SoftwareLastUpdateLabel->Caption(), L"Last updated : ");
    EXPECT_EQ(form->VersionInstalledLabel->Caption(), L"Version installed : 2.7.29.2013");
    // The detected processor is not stored.
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, ProductKey, L"ProcessorType"));
}

TEST_F(MainForm, CaptionsNameTheLabelsButtonsAndMenuItems) {
    auto form = CreateMainForm();
    EXPECT_EQ(form->Caption(), L"Hastrel - Make your games and internet run faster");
    EXPECT_EQ(form->GoButton->Caption(), L"&Optimize now");
    EXPECT_EQ(form->RestoreButton->Caption(), L"&Restore");
    EXPECT_EQ(form->UpdatesButton->Caption(), L" &Check for updates ...");
    EXPECT_EQ(form->FastLabel->Caption(), L"Boost");
    EXPECT_EQ(form->FasterLabel->Caption(), L"Maximum Boost");
    EXPECT_EQ(form->NavStatic1->Caption(), L"Help");
    EXPECT_EQ(form->LinkLabel6->Caption(), L"Click to visit our website");
    EXPECT_EQ(form->BenefitsLabel->Caption(), L"Benefits of Hastrel");
    wchar_t text[64] = {};
    GetWindowTextW(form->GoButton->Handle(), text, 64);
    EXPECT_STREQ(text, L"&Optimize now");
}

TEST_F(MainForm, LastUpdatedShowsTheUpdateDate) {
    const std::wstring updated = StoredDate(2013, 7, 29, 14, 5, 9);
    SetString(L"UpdatedDate", updated);
    SetString(L"InstalledDate", StoredDate(2012, 1, 2, 3, 4, 5));
    auto form = CreateMainForm();
    const std::wstring shown = FormatStoredDate(updated);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(form->SoftwareLastUpdateLabel->Caption(), L"Last updated : " + shown);
}

TEST_F(MainForm, LastUpdatedFallsBackToTheInstallDate) {
    const std::wstring installed = StoredDate(2012, 1, 2, 3, 4, 5);
    const std::wstring shown = FormatStoredDate(installed);
    ASSERT_FALSE(shown.empty());
    SetString(L"InstalledDate", installed);

    SetString(L"UpdatedDate", L"not a date");
    EXPECT_EQ(CreateMainForm()->SoftwareLastUpdateLabel->Caption(), L"Last updated : " + shown);

    testreg::DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, L"UpdatedDate");
    EXPECT_EQ(CreateMainForm()->SoftwareLastUpdateLabel->Caption(), L"Last updated : " + shown);

    SetString(L"UpdatedDate", L"");
    EXPECT_EQ(CreateMainForm()->SoftwareLastUpdateLabel->Caption(), L"Last updated : " + shown);
}

TEST_F(MainForm, LastUpdatedStaysBareWithoutAnyReadableDate) {
    SetString(L"UpdatedDate", L"31/31/31");
    EXPECT_EQ(CreateMainForm()->SoftwareLastUpdateLabel->Caption(), L"Last updated : ");
    SetString(L"InstalledDate", L"yesterday");
    EXPECT_EQ(CreateMainForm()->SoftwareLastUpdateLabel->Caption(), L"Last updated : ");
}

TEST_F(MainForm, StoredProcessorTypeIsShownWithoutDetection) {
    SetProcessorName(L"Intel(R) Core(TM) i7");
    SetDword(L"ProcessorType", 2);
    EXPECT_EQ(CreateMainForm()->ProcessorCombo->ItemIndex(), 2);
}

TEST_F(MainForm, ProcessorTypeMinusOneStartsTheDetection) {
    SetProcessorName(L"VIA Nano X2");
    SetDword(L"ProcessorType", static_cast<uint32_t>(-1));
    EXPECT_EQ(CreateMainForm()->ProcessorCombo->ItemIndex(), 2);
    SetDword(L"ProcessorType", 0xFFFFFFFFu);
    EXPECT_EQ(CreateMainForm()->ProcessorCombo->ItemIndex(), 2);
}

TEST_F(MainForm, StoredAnswersOutsideTheListsLeaveThemWithoutSelection) {
    SetDword(L"ProcessorType", 7);
    SetDword(L"InternetType", 12);
    auto form = CreateMainForm();
    EXPECT_EQ(form->ProcessorCombo->ItemIndex(), -1);
    EXPECT_EQ(WindowSelection(form->ProcessorCombo), -1);
    EXPECT_EQ(form->ModemCombo->ItemIndex(), -1);
    EXPECT_EQ(WindowSelection(form->ModemCombo), -1);
}

TEST_F(MainForm, StoredInternetTypeSelectsItsConnection) {
    SetDword(L"InternetType", 8);
    EXPECT_EQ(CreateMainForm()->ModemCombo->ItemIndex(), 8);
}

TEST_F(MainForm, SpeedSettingIsClampedToTheTwoLevels) {
    SetDword(L"SpeedSetting", 5);
    auto high = CreateMainForm();
    EXPECT_EQ(high->SpeedTrackBar->Position(), 1);
    EXPECT_EQ(SendMessageW(high->SpeedTrackBar->Handle(), TBM_GETPOS, 0, 0), 1);
    SetDword(L"SpeedSetting", static_cast<uint32_t>(-3));
    EXPECT_EQ(CreateMainForm()->SpeedTrackBar->Position(), 0);
    SetDword(L"SpeedSetting", 1);
    EXPECT_EQ(CreateMainForm()->SpeedTrackBar->Position(), 1);
}

TEST_F(MainForm, AppliedFlagEnablesRestore) {
    SetDword(L"Restore", 1);
    auto applied = CreateMainForm();
    EXPECT_TRUE(applied->RestoreButton->Enabled());
    EXPECT_TRUE(IsWindowEnabled(applied->RestoreButton->Handle()));
    SetDword(L"Restore", 0);
    EXPECT_FALSE(CreateMainForm()->RestoreButton->Enabled());
}

TEST_F(MainForm, ProcessorIsDetectedFromItsName) {
    const std::vector<std::pair<std::optional<std::wstring>, int>> cases = {
        {L"Intel(R) Core(TM) i5-2500K CPU @ 3.30GHz", 0},
        {L"AMD Phenom(tm) II X4 965 Processor", 1},
        {L"VIA Nano processor U2250", 2},
        {L"GenuineINTEL compatible with AmD", 0}, // both: intel is tested first
        {L"sAMDisk", 1},                          // anywhere in the name, any case
        {L"Transmeta Crusoe", 0},
        {L"", 0},
        {std::nullopt, 0},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(name.value_or(L"<none>")));
        SetProcessorName(name);
        EXPECT_EQ(CreateMainForm()->ProcessorCombo->ItemIndex(), expected);
    }
}

// ---- The Windows version list ----

TEST_F(MainForm, ConvertWindowsVersionMapsListPositionsToVersionCodes) {
    auto form = CreateMainForm();
    const int codes[] = {6, 5, 3, 1, 7, 4, 2, 0};
    for (int position = 0; position < 8; ++position)
        EXPECT_EQ(static_cast<int>(form->ConvertWindowsVersion(position)), codes[position]) << position;
    EXPECT_EQ(static_cast<int>(form->ConvertWindowsVersion(-1)), -1);
    EXPECT_EQ(static_cast<int>(form->ConvertWindowsVersion(8)), -1);
    EXPECT_EQ(static_cast<int>(form->ConvertWindowsVersion(1000)), -1);
}

TEST_F(MainForm, RunningWindowsIsPreselectedAndMapsBack) {
    auto form = CreateMainForm();
    const WindowsRelease code = GetWindowsVersion();
    ASSERT_NE(code, WindowsRelease::Unknown) << "the test prefix runs a known release";
    EXPECT_EQ(form->ConvertWindowsVersion(form->WindowsCombo->ItemIndex()), code);
    EXPECT_EQ(WindowSelection(form->WindowsCombo), form->WindowsCombo->ItemIndex());
}

// Started as a child process under a release the list does not know.
TEST(MainFormUnknownWindows, ChildPreselectsWindows8) {
    if (!std::getenv("HASTREL_UNKNOWN_WINDOWS_CHILD"))
        GTEST_SKIP() << "runs only as the child of the test below";
    ASSERT_EQ(GetWindowsVersion(), WindowsRelease::Unknown);
    auto form = CreateMainForm();
    EXPECT_EQ(form->WindowsCombo->ItemIndex(), 0);
    EXPECT_EQ(form->ConvertWindowsVersion(form->WindowsCombo->ItemIndex()), WindowsRelease::Windows8);
}

TEST(MainFormUnknownWindows, AnUnknownReleasePreselectsWindows8) {
    // Wine answers GetVersionEx per executable name; NT 4.0 is none of the eight.
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    std::wstring exe = path;
    const std::wstring exeName = exe.substr(exe.find_last_of(L"\\/") + 1);
    const std::wstring defaults = L"Software\\Wine\\AppDefaults\\" + exeName;
    testreg::SetString(HKEY_CURRENT_USER, defaults, L"Version", L"nt40", KEY_WOW64_64KEY);

    SetEnvironmentVariableW(L"HASTREL_UNKNOWN_WINDOWS_CHILD", L"1");
    std::wstring command = L"\"" + exe + L"\" --gtest_filter=MainFormUnknownWindows.ChildPreselectsWindows8";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"HASTREL_UNKNOWN_WINDOWS_CHILD", nullptr);
    DWORD exitCode = 1;
    if (started) {
        UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
        WaitForSingleObject(process.get(), 60000);
        GetExitCodeProcess(process.get(), &exitCode);
    }
    testreg::DeleteTree(HKEY_CURRENT_USER, defaults, KEY_WOW64_64KEY);
    ASSERT_TRUE(started);
    EXPECT_EQ(exitCode, 0u);
}

// ---- A failure part-way through an operation ----

// Confirms "Restore" and declines the restart.
int WINAPI AnswerOkThenNo(HWND, LPCWSTR, LPCWSTR, UINT type) {
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

class MainFormFailure : public MainForm {
  protected:
    void SetUp() override {
        MainForm::SetUp();
        progress = std::make_unique<TKVSettingsForm>(nullptr);
        progress->AfterConstruction();
        KVSettingsForm = progress.get();
        // The progress window fails as it shows, once the main window waits.
        progress->OnShow = [this](TComponent*) {
            disabledAtFailure = !IsWindowEnabled(form->Handle());
            throw std::runtime_error("out of memory");
        };
        // Should the failure be missed, no real box and no long step holds the run up.
        MessageBoxCall = AnswerOkThenNo;
        ProgressPacing = {2, 3, 1, 1, 1, 0, [](unsigned) {}};
    }
    void TearDown() override {
        ProgressPacing = DefaultProgressPacing;
        MessageBoxCall = MessageBoxW;
        form.reset();
        KVSettingsForm = nullptr;
        progress.reset();
        MainForm::TearDown();
    }
    // The main window takes input again, and nothing of the operation stays on screen.
    void ExpectWindowsGivenBack() {
        EXPECT_TRUE(disabledAtFailure) << "the failure came before the main window waited";
        Application.ProcessMessages();
        EXPECT_TRUE(form->Enabled());
        EXPECT_TRUE(IsWindowEnabled(form->Handle()));
        EXPECT_FALSE(progress->Visible());
        EXPECT_FALSE(IsWindowVisible(progress->Handle()));
    }
    static std::optional<testreg::Value> Stored(const wchar_t* name) {
        return testreg::Get(HKEY_LOCAL_MACHINE, ProductKey, name);
    }

    std::unique_ptr<TKVMainForm> form;
    std::unique_ptr<TKVSettingsForm> progress;
    bool disabledAtFailure = false;
};

TEST_F(MainFormFailure, OptimizeNowGivesTheWindowsBackAndClaimsNoBackup) {
    form = CreateMainForm();
    form->Show();
    form->ModemCombo->SetItemIndex(3);
    form->GoButton->Click();
    ExpectWindowsGivenBack();
    // The answers are stored; the originals stay where they are, with no flag claiming a backup.
    ASSERT_TRUE(Stored(L"InternetType"));
    EXPECT_EQ(Stored(L"InternetType")->Dword(), 3u);
    EXPECT_FALSE(Stored(L"Restore"));
    EXPECT_FALSE(Stored(L"MinAnimate"));
    EXPECT_FALSE(form->RestoreButton->Enabled());
}

TEST_F(MainFormFailure, RestoreGivesTheWindowsBackAndKeepsTheTuningRestorable) {
    SetDword(L"Restore", 1);
    SetString(L"MinAnimate", L"0");
    form = CreateMainForm();
    form->Show();
    form->RestoreButton->Click();
    ExpectWindowsGivenBack();
    // Still applied, with its backups, and "Restore" still offered.
    ASSERT_TRUE(Stored(L"Restore"));
    EXPECT_EQ(Stored(L"Restore")->Dword(), 1u);
    ASSERT_TRUE(Stored(L"MinAnimate"));
    EXPECT_EQ(Stored(L"MinAnimate")->Text(), L"0");
    EXPECT_TRUE(form->RestoreButton->Enabled());
}

// ---- Keyboard ----

class MainFormKeyboard : public MainForm {
  protected:
    void SetUp() override {
        MainForm::SetUp();
        SetDword(L"Restore", 1);
        form = CreateMainForm();
        form->Show();
        for (auto [button, count] :
             {std::pair{form->GoButton, &goClicks}, std::pair{form->RestoreButton, &restoreClicks},
              std::pair{form->UpdatesButton, &updatesClicks}})
            button->OnClick = [count](TComponent*) { ++*count; };
        Application.ProcessMessages();
    }
    void TearDown() override {
        form.reset();
        MainForm::TearDown();
    }
    static void Key(UINT msg, WPARAM key, LPARAM data = 1) {
        PostMessageW(GetFocus(), msg, key, data);
        Application.ProcessMessages();
    }

    std::unique_ptr<TKVMainForm> form;
    int goClicks = 0, restoreClicks = 0, updatesClicks = 0;
};

TEST_F(MainFormKeyboard, EnterInAListPressesOptimizeNow) {
    form->ModemCombo->SetFocus();
    ASSERT_TRUE(IsChild(form->ModemCombo->Handle(), GetFocus()));
    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(goClicks, 1);
    EXPECT_EQ(restoreClicks, 0);
}

TEST_F(MainFormKeyboard, AltAndAnAcceleratorPressItsButton) {
    form->WindowsCombo->SetFocus();
    Key(WM_SYSCHAR, L'r', 1 << 29);
    EXPECT_EQ(restoreClicks, 1);
    Key(WM_SYSCHAR, L'C', 1 << 29);
    EXPECT_EQ(updatesClicks, 1);
    Key(WM_SYSCHAR, L'o', 1 << 29);
    EXPECT_EQ(goClicks, 1);
}

TEST_F(MainFormKeyboard, WindowFocusesOptimizeNowFirst) {
    SetFocus(form->Handle());
    EXPECT_EQ(GetFocus(), form->GoButton->Handle());
}

// ---- Links, help and navigation ----

// The program's own three windows, as start-up creates them.
class MainWindowLinks : public testing::Test {
  protected:
    static void SetUpTestSuite() { CreateProgramWindows(); }
    void SetUp() override {
        KVMainForm->Show();
        Application.ProcessMessages();
    }
    // The main window stays on screen from test to test: hiding a window costs Wine seconds.
    void TearDown() override {
        KVSettingsForm->Hide();
        KVMainForm->SetEnabled(true);
        ProgressPacing = DefaultProgressPacing;
    }
    static std::wstring HelpPath() { return ExecutableFolder() + L"Hastrel.chm::/html/main.htm>HelpWindow"; }
};

struct KeyStroke {
    UINT message;
    WPARAM key;
};
// F1 alone and with each modifier; the modifiers go down first, as a keyboard sends them.
const std::vector<std::vector<KeyStroke>> HelpKeys = {
    {{WM_KEYDOWN, VK_F1}},
    {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, VK_F1}, {WM_KEYUP, VK_SHIFT}},
    {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, VK_F1}, {WM_KEYUP, VK_CONTROL}},
    {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, VK_F1}, {WM_KEYUP, VK_MENU}},
};

void PostStrokes(const std::vector<KeyStroke>& strokes, HWND window) {
    for (const KeyStroke& stroke : strokes)
        PostKey(stroke.key, window, stroke.message);
}

TEST_F(MainWindowLinks, F1WithAnyModifierOpensTheHelpOnceFromEachWindow) {
    LaunchRecorder recorder;
    for (const auto& strokes : HelpKeys) {
        PostStrokes(strokes, KVMainForm->Handle());
        Application.ProcessMessages();
    }
    PostKey(VK_F2, KVMainForm->Handle());
    Application.ProcessMessages();
    EXPECT_EQ(recorder.Count(Launch::Help), 4) << "from the main window";
    ASSERT_FALSE(recorder.Log().empty());
    EXPECT_EQ(recorder.Log()[0], (Launch{Launch::Help, GetDesktopWindow(), HelpPath(), std::nullopt}));

    // The About box is modal over the visible main window: still once a key.
    recorder.Clear();
    bool aboutShowing = false;
    {
        WhileLooping looping([&](int tick) {
            if (tick < static_cast<int>(HelpKeys.size())) {
                aboutShowing = IsWindowVisible(KVAboutForm->Handle()) != FALSE;
                PostStrokes(HelpKeys[static_cast<size_t>(tick)], KVAboutForm->Handle());
                return true;
            }
            KVAboutForm->Close();
            return false;
        });
        KVMainForm->NavButton4Click(KVMainForm->NavButton4);
    }
    EXPECT_TRUE(aboutShowing);
    EXPECT_EQ(recorder.Count(Launch::Help), 4) << "while the About box is modal";

    // The progress steps keep taking the key while the main window waits.
    recorder.Clear();
    static bool posted;
    posted = false;
    ProgressPacing = {60, 90, 5, 10, 30, 0, [](unsigned) {
                          if (posted) return;
                          posted = true;
                          for (const auto& strokes : HelpKeys)
                              PostStrokes(strokes, KVSettingsForm->Handle());
                      }};
    KVMainForm->SetEnabled(false);
    KVSettingsForm->Show();
    ProgressStepTotal = 1;
    ProgressStepsDone = 0;
    ShowProgressStep(L"Finding modem information");
    EXPECT_EQ(recorder.Count(Launch::Help), 4) << "while the progress steps run";
}

TEST_F(MainWindowLinks, LinksClickBeforeTheyLaunchAndHelpDoesNot) {
    const std::wstring site = L"https://www.brenlow.example/";
    const Launch click{Launch::Click, nullptr, L"click", std::nullopt};
    const Launch home{Launch::Shell, Application.Handle(), site, std::nullopt};
    const Launch support{Launch::Shell, Application.Handle(), site + L"support/", std::nullopt};
    const Launch help{Launch::Help, GetDesktopWindow(), HelpPath(), std::nullopt};
    const Launch updater{Launch::Shell, nullptr, ExecutableFolder() + L"HastrelUpdate.exe", L""};
    auto clickOf = [](auto* component) { return [component] { component->Click(); }; };
    const struct {
        const wchar_t* what;
        std::function<void()> act;
        std::vector<Launch> expected;
    } cases[] = {
        {L"Home image", clickOf(KVMainForm->NavButton2), {click, home}},
        {L"Home label", clickOf(KVMainForm->NavStatic2), {click, home}},
        {L"website link", clickOf(KVMainForm->LinkLabel6), {click, home}},
        {L"Support image", clickOf(KVMainForm->NavButton3), {click, support}},
        {L"Support label", clickOf(KVMainForm->NavStatic3), {click, support}},
        {L"support link", clickOf(KVMainForm->LinkLabel5), {click, support}},
        {L"support menu item", clickOf(KVMainForm->TechSupportPopup), {click, support}},
        {L"help link", clickOf(KVMainForm->LinkLabel4), {help}},
        {L"help menu item", clickOf(KVMainForm->HelpFilePopup), {help}},
        {L"updates button", clickOf(KVMainForm->UpdatesButton), {click, updater}},
    };
    // Files beside the executable, wherever the program was started from.
    driver::CurrentFolderScope folder(L"C:\\");
    ASSERT_TRUE(folder.Changed());
    for (const auto& c : cases) {
        LaunchRecorder recorder;
        c.act();
        EXPECT_EQ(recorder.Log(), c.expected) << testing::PrintToString(std::wstring(c.what));
    }
}

TEST_F(MainWindowLinks, AboutOpensModalCentredOnTheMainWindowAfterTheClick) {
    SetWindowPos(KVMainForm->Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (TControl* opener : std::initializer_list<TControl*>{KVMainForm->NavButton4, KVMainForm->NavStatic4,
                                                             KVMainForm->LinkLabel7}) {
        LaunchRecorder recorder;
        size_t clicksWhenShown = 0;
        bool mainWaits = false;
        RECT about{}, main{};
        {
            WhileLooping looping([&](int) {
                clicksWhenShown = recorder.Log().size();
                mainWaits = !IsWindowEnabled(KVMainForm->Handle());
                GetWindowRect(KVAboutForm->Handle(), &about);
                GetWindowRect(KVMainForm->Handle(), &main);
                PostKey(VK_RETURN, KVAboutForm->Handle());
                return false;
            });
            opener->Click();
        }
        const std::string what = testing::PrintToString(opener->Name);
        EXPECT_EQ(clicksWhenShown, 1u) << what;
        EXPECT_TRUE(mainWaits) << what;
        EXPECT_NEAR((about.left + about.right) / 2, (main.left + main.right) / 2, 1) << what;
        EXPECT_NEAR((about.top + about.bottom) / 2, (main.top + main.bottom) / 2, 1) << what;
        EXPECT_FALSE(IsWindowVisible(KVAboutForm->Handle())) << what;
    }
}

// Waits on its own thread for the popup menu, notes where it lies and closes it.
DWORD WINAPI CatchPopupMenu(LPVOID rect) {
    for (int i = 0; i < 250; ++i) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            GetWindowRect(menu, static_cast<RECT*>(rect));
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            return 0;
        }
        Sleep(20);
    }
    return 1;
}

TEST_F(MainWindowLinks, HelpImageDropsTheMenuRightAlignedBelowItWithoutAClick) {
    // Somewhere else than where it was created: the bounds follow the window.
    SetWindowPos(KVMainForm->Handle(), nullptr, 131, 87, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT window, client;
    GetWindowRect(KVMainForm->Handle(), &window);
    GetClientRect(KVMainForm->Handle(), &client);
    const RECT bounds = KVMainForm->BoundsRect();
    EXPECT_TRUE(EqualRect(&window, &bounds));
    const RECT image = KVMainForm->NavButton1->BoundsRect();
    const LONG frameWidth = (window.right - window.left) - client.right;
    const LONG frameHeight = (window.bottom - window.top) - client.bottom;

    LaunchRecorder recorder;
    RECT menu{};
    DWORD threadId = 0;
    UniqueKernelHandle thread(CreateThread(nullptr, 0, CatchPopupMenu, &menu, 0, &threadId));
    ASSERT_TRUE(thread);
    KVMainForm->NavStatic1->Click();
    WaitForSingleObject(thread.get(), 10000);
    EXPECT_EQ(menu.right, window.left + frameWidth + image.right);
    EXPECT_EQ(menu.top, window.top + frameHeight + image.bottom);
    EXPECT_GT(menu.bottom, menu.top);
    EXPECT_TRUE(recorder.Log().empty());
}

TEST_F(MainWindowLinks, PointingAtANavigationImageOrLabelUnderlinesItsLabelAndALinkItself) {
    TLabel* const labels[] = {KVMainForm->NavStatic1, KVMainForm->NavStatic2, KVMainForm->NavStatic3,
                              KVMainForm->NavStatic4};
    TControl* const pointers[] = {KVMainForm->NavButton1, KVMainForm->NavButton2, KVMainForm->NavButton3,
                                  KVMainForm->NavButton4};
    std::vector<TFontStyles> before;
    for (TLabel* label : labels)
        before.push_back(label->Font.Style());
    EXPECT_EQ(before[0], 0u) << "the Help label is regular";
    auto expectStyles = [&](int underlined, const std::string& what) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(labels[i]->Font.Style(), i == underlined ? before[i] | fsUnderline : before[i])
                << what << " label " << i + 1;
    };
    for (int i = 0; i < 4; ++i) {
        for (TControl* sender : {pointers[i], static_cast<TControl*>(labels[i])}) {
            const std::string what = testing::PrintToString(sender->Name);
            sender->MouseEnter();
            expectStyles(i, what);
            sender->MouseLeave();
            expectStyles(-1, what);
        }
    }

    // Names the rule does not fit change nothing; blanks around the digit do not count.
    TLabel stranger(nullptr);
    for (const wchar_t* name : {L"", L"Nav", L"NavButton", L"NavButton9", L"NavStatic  "}) {
        stranger.Name = name;
        KVMainForm->NavButtonMouseEnter(&stranger);
        expectStyles(-1, testing::PrintToString(std::wstring(name)));
    }
    KVMainForm->NavButtonMouseEnter(nullptr);
    expectStyles(-1, "no sender");
    stranger.Name = L"NavButton 2\t";
    KVMainForm->NavButtonMouseEnter(&stranger);
    expectStyles(1, "padded name");
    KVMainForm->NavButtonMouseLeave(&stranger);
    expectStyles(-1, "padded name");

    // A link underlines itself; its other styles survive.
    TLabel* link = KVMainForm->LinkLabel7;
    const TFontStyles linkStyle = link->Font.Style();
    link->Font.SetStyle(linkStyle | fsBold);
    link->MouseEnter();
    EXPECT_EQ(link->Font.Style(), linkStyle | fsBold | fsUnderline);
    link->MouseLeave();
    EXPECT_EQ(link->Font.Style(), linkStyle | fsBold);
    link->Font.SetStyle(linkStyle);
}

TEST_F(MainWindowLinks, AMissingUpdaterOnlyClicks) {
    const std::wstring updater = ExecutableFolder() + L"HastrelUpdate.exe";
    ASSERT_EQ(GetFileAttributesW(updater.c_str()), INVALID_FILE_ATTRIBUTES);
    LaunchRecorder recorder(true);
    KVMainForm->UpdatesButton->Click();
    Application.ProcessMessages();
    EXPECT_EQ(recorder.Count(Launch::Click), 1);
    EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr);
}

} // namespace
