#include "app/DornithSettingsForm.h"

#include <cmath>
#include <random>

#include "framework/FormLayout.h"
#include "support/Captions.h"
#include "support/SystemFont.h"

TKVSettingsForm* KVSettingsForm = nullptr;

namespace {

void SleepFor(unsigned milliseconds) { Sleep(milliseconds); }

using namespace Layout;
using F = TKVSettingsForm;

const LayoutFont HeadingFont{L"Tahoma", -11, fsBold, clWindowText};

// clang-format off
const Row<F> SettingsFormLayout[] = {
    // component                     name                        parent             Left Top W    H    font          options                                                   source   tab events
    // The panel fills the fixed-size window.
    {Make<&F::SettingsPanel>,          L"SettingsPanel",          nullptr,           0,   0,  479, 146, nullptr,      NoBevel | WindowColor | OwnBackground | HourGlassCursor,  nullptr,  0, nullptr},
    {Make<&F::CurrentSettingsHeading>, L"CurrentSettingsHeading", L"SettingsPanel",  42,  30, 0,   0,   &HeadingFont, Transparent | CenterLayout,                               nullptr, -1, nullptr},
    {Make<&F::CurrentSettingsLabel>,   L"CurrentSettingsLabel",   L"SettingsPanel",  42,  94, 0,   0,   nullptr,      Transparent | CenterLayout,                               nullptr, -1, nullptr},
    {Make<&F::MainProgress>,           L"MainProgress",           L"SettingsPanel",  42,  59, 401, 17,  nullptr,      HourGlassCursor,                                          nullptr,  0, nullptr},
};
// clang-format on

} // namespace

#ifdef HASTREL_SHORT_PROGRESS_STEPS
// A build for end-to-end tests under Wine, where one pass of the message
// loop costs tens of microseconds instead of one.
const TProgressPacing DefaultProgressPacing{200, 400, 20, 50, 150, 20, SleepFor};
#else
const TProgressPacing DefaultProgressPacing{1000000, 3000000, 20000, 50000, 150000, 500, SleepFor};
#endif
TProgressPacing ProgressPacing = DefaultProgressPacing;

int ProgressStepTotal = 0;
int ProgressStepsDone = 0;

TKVSettingsForm::TKVSettingsForm(TComponent* owner) : TForm(owner) {
    Name = L"KVSettingsForm";
    BorderStyle = TFormBorderStyle::bsSingle;
    BorderIcons = 0;
    SetClientSize(479, 146);
    SetColor(clBtnFace);
    Position = TPosition::poOwnerFormCenter;
    OnShow = [this](TComponent* sender) { FormShow(sender); };
    OnCloseQuery = [this](TComponent* sender, bool& canClose) { FormCloseQuery(sender, canClose); };

    Build<F>(*this, SettingsFormLayout);
    MainProgress->Smooth = true;
    MainProgress->SetMin(0);
    MainProgress->SetMax(100);
}

void TKVSettingsForm::FormShow(TComponent* /*Sender*/) {
    try {
        SetDesktopFont(true);
        ApplySystemFont(this);
        ApplyCaptions(this);
        MainProgress->SetPosition(0);
    } catch (...) {
    }
}

void TKVSettingsForm::FormCloseQuery(TComponent* /*Sender*/, bool& CanClose) {
    try {
        CanClose = false;
    } catch (...) {
    }
}

int ProgressPercent(int Done, int Total) {
    // nearbyint follows the default rounding mode: halves go to the even neighbour.
    return static_cast<int>(std::nearbyint(static_cast<double>(Done) / Total * 100.0));
}

void ShowProgressStep(const std::wstring& Text) {
    try {
        const TProgressPacing pacing = ProgressPacing;
        // Seeded anew at every step, from the high-resolution clock.
        LARGE_INTEGER counter;
        const unsigned long long seed =
            QueryPerformanceCounter(&counter) ? static_cast<unsigned long long>(counter.QuadPart) : GetTickCount();
        std::mt19937 generator(static_cast<std::mt19937::result_type>(seed ^ (seed >> 32)));
        std::uniform_int_distribution<int> draw(pacing.MinPasses, pacing.MaxPasses - 1);
        const int passes = draw(generator);

        TLabel* status = KVSettingsForm->CurrentSettingsLabel;
        for (int i = 0; i < passes;) {
            Application.ProcessMessages();
            ++i;
            if (i == pacing.FirstDotPass) {
                status->SetCaption(Text + L".");
                pacing.Pause(pacing.PauseMilliseconds);
            }
            if (i == pacing.SecondDotPass) {
                status->SetCaption(Text + L"..");
                pacing.Pause(pacing.PauseMilliseconds);
            }
            if (i == pacing.ThirdDotPass) {
                status->SetCaption(Text + L"...");
                pacing.Pause(pacing.PauseMilliseconds);
            }
        }
        ++ProgressStepsDone;
        if (ProgressStepTotal > 0)
            KVSettingsForm->MainProgress->SetPosition(ProgressPercent(ProgressStepsDone, ProgressStepTotal));
    } catch (...) {
    }
}
