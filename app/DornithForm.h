// The main window: the four questions with their answers pre-filled from the
// system and the stored choices, the tuning buttons and the links.
#pragma once

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "support/WindowsVersion.h"

class TKVMainForm : public TForm {
  public:
    explicit TKVMainForm(TComponent* owner);
    std::wstring ClassName() const override { return L"TKVMainForm"; }

    // On the window, in layout order.
    TImage* BackgroundImage = nullptr;
    TImage* TopLogoImage = nullptr;
    TImage* NavButton1 = nullptr;
    TLabel* NavLabel2 = nullptr;
    TLabel* LinkLabel4 = nullptr;
    TLabel* LinkLabel5 = nullptr;
    TLabel* LinkLabel6 = nullptr;
    TLabel* LinkLabel7 = nullptr;
    TImage* NavButton2 = nullptr;
    TImage* NavButton3 = nullptr;
    TImage* NavButton4 = nullptr;
    TLabel* NavStatic2 = nullptr;
    TLabel* NavStatic3 = nullptr;
    TLabel* NavStatic4 = nullptr;
    TLabel* NavStatic1 = nullptr;
    TPanel* MainPanel = nullptr;
    // On MainPanel, in layout order.
    TLabel* VersionInstalledLabel = nullptr;
    TLabel* SoftwareLastUpdateLabel = nullptr;
    TBevel* LineSeparator2 = nullptr;
    TLabel* OSVersionLabel = nullptr;
    TLabel* ProcessorTypeLabel = nullptr;
    TLabel* SpeedLabel = nullptr;
    TLabel* FastLabel = nullptr;
    TBevel* LineSeparator1 = nullptr;
    TLabel* FasterLabel = nullptr;
    TLabel* ModemTypeLabel = nullptr;
    TButton* UpdatesButton = nullptr;
    TPanel* BenefitsPanel = nullptr;
    TLabel* BenefitsDescription = nullptr;
    TLabel* BenefitsLabel = nullptr;
    TComboBoxEx* WindowsCombo = nullptr;
    TComboBoxEx* ProcessorCombo = nullptr;
    TTrackBar* SpeedTrackBar = nullptr;
    TButton* RestoreButton = nullptr;
    TButton* GoButton = nullptr;
    TComboBoxEx* ModemCombo = nullptr;
    // Without a place on the window.
    TPopupMenu* PopupMenu = nullptr;
    TMenuItem* HelpFilePopup = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* TechSupportPopup = nullptr;
    TApplicationEvents* ApplicationEvents = nullptr;
    TImageList* ImageList1 = nullptr;
    TImageList* ImageList2 = nullptr;
    TImageList* ImageList3 = nullptr;

    // Fills every control from the running system and the stored answers.
    void FormCreate(TComponent* Sender);
    // The release that a position of WindowsCombo stands for; Unknown for no
    // selection or a position outside the list.
    WindowsRelease ConvertWindowsVersion(int WinVer);

    // Closing waits while an operation runs: its registry work is never left half done.
    void FormCloseQuery(TComponent* Sender, bool& CanClose);
    void GoButtonClick(TComponent* Sender);
    void RestoreButtonClick(TComponent* Sender);
    void UpdatesButtonClick(TComponent* Sender);
    void NavButton1Click(TComponent* Sender);
    void NavButton2Click(TComponent* Sender);
    void NavButton3Click(TComponent* Sender);
    void NavButton4Click(TComponent* Sender);
    void HelpFilePopupClick(TComponent* Sender);
    void NavButtonMouseEnter(TComponent* Sender);
    void NavButtonMouseLeave(TComponent* Sender);
    void LabelMouseEnter(TComponent* Sender);
    void LabelMouseLeave(TComponent* Sender);
    void ApplicationEventsShortCut(TWMKey& Msg, bool& Handled);

  private:
    // A press of "Optimize now" or "Restore" is being handled, from its
    // confirmation to its restart prompt: a second press does nothing.
    bool pressHandled_ = false;
    // The window was asked to close while the operation ran.
    bool closeRequested_ = false;
};

extern TKVMainForm* KVMainForm;

// Underlines the text of a control, or takes the underline away; its other
// font styles stay as they are.
void SetUnderline(TComponent* Control, bool Underline);

// The version of the program, as the main window and the About box show it.
inline constexpr wchar_t InstalledVersion[] = L"2.7.29.2013";

