#include "app/DornithSettingsForm.h"

#include <cmath>
#include <random>

#include "support/Captions.h"
#include "support/SystemFont.h"

TKVSettingsForm* KVSettingsForm = nullptr;

namespace {
void SleepFor(unsigned milliseconds) { Sleep(milliseconds); }
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

    SettingsPanel = &Create<TPanel>(L"SettingsPanel");
    SettingsPanel->SetParent(this);
    SettingsPanel->SetBounds(0, 0, 479, 146); // fills the fixed-size window
    SettingsPanel->SetBevelOuter(TBevelCut::bvNone);
    SettingsPanel->SetColor(clWindow);
    SettingsPanel->SetParentBackground(false);
    SettingsPanel->Cursor = crHourGlass;
    SettingsPanel->TabOrder = 0;

    CurrentSettingsHeading = &Create<TLabel>(L"CurrentSettingsHeading");
    CurrentSettingsHeading->SetParent(SettingsPanel);
    CurrentSettingsHeading->Font.SetName(L"Tahoma");
    CurrentSettingsHeading->Font.SetHeight(-11);
    CurrentSettingsHeading->Font.SetStyle(fsBold);
    CurrentSettingsHeading->Font.SetColor(clWindowText);
    CurrentSettingsHeading->SetParentFont(false);
    CurrentSettingsHeading->SetTransparent(true);
    CurrentSettingsHeading->SetLayout(TTextLayout::tlCenter);
    CurrentSettingsHeading->SetBounds(42, 30, 0, 0);

    CurrentSettingsLabel = &Create<TLabel>(L"CurrentSettingsLabel");
    CurrentSettingsLabel->SetParent(SettingsPanel);
    CurrentSettingsLabel->SetTransparent(true);
    CurrentSettingsLabel->SetLayout(TTextLayout::tlCenter);
    CurrentSettingsLabel->SetBounds(42, 94, 0, 0);

    MainProgress = &Create<TProgressBar>(L"MainProgress");
    MainProgress->SetParent(SettingsPanel);
    MainProgress->SetBounds(42, 59, 401, 17);
    MainProgress->Smooth = true;
    MainProgress->SetMin(0);
    MainProgress->SetMax(100);
    MainProgress->Cursor = crHourGlass;
    MainProgress->TabOrder = 0;
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
