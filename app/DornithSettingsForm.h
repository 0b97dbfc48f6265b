// The progress window shown while the settings are changed.
#pragma once

#include "framework/Forms.h"

class TKVSettingsForm : public TForm {
public:
    explicit TKVSettingsForm(TComponent* owner);
    std::wstring ClassName() const override { return L"TKVSettingsForm"; }
};

extern TKVSettingsForm* KVSettingsForm;
