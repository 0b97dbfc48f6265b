// The About box.
#pragma once

#include "framework/Forms.h"

class TKVAboutForm : public TForm {
public:
    explicit TKVAboutForm(TComponent* owner);
    std::wstring ClassName() const override { return L"TKVAboutForm"; }
};

extern TKVAboutForm* KVAboutForm;
