#include "app/DornithAboutForm.h"

#include "app/DornithForm.h"
#include "framework/FormLayout.h"
#include "support/Captions.h"
#include "support/Shell.h"
#include "support/Sound.h"
#include "support/SystemFont.h"

TKVAboutForm* KVAboutForm = nullptr;

namespace {

using namespace Layout;
using F = TKVAboutForm;

const LayoutFont VersionFont{L"Tahoma", -13, fsBold, clWindowText};
const LayoutFont LinkFont{L"Tahoma", -11, 0, 0xCC6600}; // RGB(0, 102, 204)
const LayoutFont BannerFont{L"Tahoma", -16, fsBold, clWhite};

const Events<F> LicenseLinkEvents{&F::LicenseAgreementLabelClick, &F::LicenseAgreementLabelMouseEnter,
                                  &F::LicenseAgreementLabelMouseLeave};
const Events<F> HelpEvents{&F::HelpButtonClick, nullptr, nullptr};

// Graphic controls paint in this order, a later one over an earlier one; the
// memo, a window, lies over all of them.
// clang-format off
const Row<F> AboutFormLayout[] = {
    // component                    name                       parent          Left Top  W    H    font          options                                 source           tab events
    {Make<&F::AboutBevel>,            L"AboutBevel",            nullptr,        0,   386, 700, 5,   nullptr,      TopLine,                                nullptr,         -1, nullptr},
    {Make<&F::AboutPanel>,            L"AboutPanel",            nullptr,        0,   0,   700, 386, nullptr,      NoBevel | WindowColor | OwnBackground,  nullptr,          1, nullptr},
    {Make<&F::LargeIcon>,             L"LargeIcon",             L"AboutPanel",  372, 130, 256, 256, nullptr,      Stretch,                                L"LARGEICON_PNG", -1, nullptr},
    {Make<&F::VersionLabel>,          L"VersionLabel",          L"AboutPanel",  72,  82,  0,   0,   &VersionFont, Transparent | CenterLayout,             nullptr,         -1, nullptr},
    {Make<&F::CopyrightLabel>,        L"CopyrightLabel",        L"AboutPanel",  72,  101, 0,   0,   nullptr,      Transparent | CenterLayout,             nullptr,         -1, nullptr},
    {Make<&F::LicenseAgreementLabel>, L"LicenseAgreementLabel", L"AboutPanel",  72,  287, 0,   0,   &LinkFont,    Transparent | CenterLayout | HandCursor, nullptr,        -1, &LicenseLinkEvents},
    {Make<&F::CopyrightWarningLabel>, L"CopyrightWarningLabel", L"AboutPanel",  81,  306, 556, 70,  nullptr,      FixedWrap | Transparent | CenterLayout, nullptr,         -1, nullptr},
    {Make<&F::BannerImage>,           L"BannerImage",           L"AboutPanel",  0,   0,   700, 60,  nullptr,      Stretch,                                L"BANNER_PNG",   -1, nullptr},
    {Make<&F::BannerLabel>,           L"BannerLabel",           L"AboutPanel",  48,  18,  0,   0,   &BannerFont,  Transparent | CenterLayout,             nullptr,         -1, nullptr},
    {Make<&F::LicensedMemo>,          L"LicensedMemo",          L"AboutPanel",  72,  136, 556, 73,  nullptr,      0,                                      nullptr,          0, nullptr},
    {Make<&F::CloseButton>,           L"CloseButton",           nullptr,        608, 403, 79,  25,  nullptr,      DefaultButton | ModalOk,                nullptr,          0, nullptr},
    {Make<&F::HelpButton>,            L"HelpButton",            nullptr,        14,  403, 79,  25,  nullptr,      0,                                      nullptr,          2, &HelpEvents},
};
// clang-format on

// The banner label's own colour, hidden while it is transparent over the banner.
constexpr TColor BannerLabelColor = 0x722A00; // RGB(0, 42, 114)

} // namespace

TKVAboutForm::TKVAboutForm(TComponent* owner) : TForm(owner) {
    Name = L"KVAboutForm";
    BorderStyle = TFormBorderStyle::bsSingle;
    BorderIcons = biSystemMenu;
    SetClientSize(700, 441);
    Position = TPosition::poOwnerFormCenter;
    SetColor(clBtnFace);
    Build<F>(*this, AboutFormLayout);
    BannerLabel->SetColor(BannerLabelColor);
    OnShow = [this](TComponent* sender) { FormShow(sender); };
}

void TKVAboutForm::FormShow(TComponent* /*Sender*/) {
    try {
        SetDesktopFont(true);
        ApplySystemFont(this);
        // Back to the layout's empty text first: without a row in the captions
        // the version would otherwise be appended once more at every showing.
        VersionLabel->SetCaption(L"");
        ApplyCaptions(this);
        VersionLabel->SetCaption(VersionLabel->Caption() + InstalledVersion + L")");
        CloseButton->SetFocus();
    } catch (...) {
    }
}

void TKVAboutForm::HelpButtonClick(TComponent* /*Sender*/) {
    try {
        TWMKey key{WM_KEYDOWN, VK_F1, 0};
        bool handled = false;
        if (KVMainForm) KVMainForm->ApplicationEventsShortCut(key, handled);
    } catch (...) {
    }
}

void TKVAboutForm::LicenseAgreementLabelClick(TComponent* /*Sender*/) {
    try {
        PlayClickSound();
        // Beside the executable, never where a command line says it is.
        const std::wstring folder = ExecutableFolder();
        if (!folder.empty()) ShellOpen(folder + L"License.rtf", L"");
    } catch (...) {
    }
}

void TKVAboutForm::LicenseAgreementLabelMouseEnter(TComponent* Sender) {
    try {
        SetUnderline(Sender, true);
    } catch (...) {
    }
}

void TKVAboutForm::LicenseAgreementLabelMouseLeave(TComponent* Sender) {
    try {
        SetUnderline(Sender, false);
    } catch (...) {
    }
}
