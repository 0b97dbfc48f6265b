// The About box: the product's name and version, the maker's copyright, the
// acknowledgements and the link to the licence terms.
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TKVAboutForm : public TForm {
  public:
    explicit TKVAboutForm(TComponent* owner);
    std::wstring ClassName() const override { return L"TKVAboutForm"; }

    // In layout order.
    TBevel* AboutBevel = nullptr;
    TPanel* AboutPanel = nullptr;
    TImage* LargeIcon = nullptr;
    TLabel* VersionLabel = nullptr;
    TLabel* CopyrightLabel = nullptr;
    TLabel* LicenseAgreementLabel = nullptr;
    TLabel* CopyrightWarningLabel = nullptr;
    TImage* BannerImage = nullptr;
    TLabel* BannerLabel = nullptr;
    TMemo* LicensedMemo = nullptr;
    TButton* CloseButton = nullptr;
    TButton* HelpButton = nullptr;

    void FormShow(TComponent* Sender);
    void HelpButtonClick(TComponent* Sender);
    void LicenseAgreementLabelClick(TComponent* Sender);
    void LicenseAgreementLabelMouseEnter(TComponent* Sender);
    void LicenseAgreementLabelMouseLeave(TComponent* Sender);
};

extern TKVAboutForm* KVAboutForm;
