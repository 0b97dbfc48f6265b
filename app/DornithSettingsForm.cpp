#include "app/DornithSettingsForm.h"

TKVSettingsForm* KVSettingsForm = nullptr;

TKVSettingsForm::TKVSettingsForm(TComponent* owner) : TForm(owner) {
    Name = L"KVSettingsForm";
    BorderStyle = TFormBorderStyle::bsSingle;
    BorderIcons = 0;
    SetClientSize(479, 146);
    Position = TPosition::poOwnerFormCenter;
}
