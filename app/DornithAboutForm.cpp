#include "app/DornithAboutForm.h"

TKVAboutForm* KVAboutForm = nullptr;

TKVAboutForm::TKVAboutForm(TComponent* owner) : TForm(owner) {
    Name = L"KVAboutForm";
    BorderStyle = TFormBorderStyle::bsDialog;
    BorderIcons = biSystemMenu;
    SetClientSize(700, 441);
    Position = TPosition::poOwnerFormCenter;
}
