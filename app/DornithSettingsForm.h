// The progress window shown while "Optimize now" and "Restore" run, and the
// timed steps it walks through.
#pragma once

#include <string>

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TKVSettingsForm : public TForm {
public:
    explicit TKVSettingsForm(TComponent* owner);
    std::wstring ClassName() const override { return L"TKVSettingsForm"; }

    TPanel* SettingsPanel = nullptr;
    TLabel* CurrentSettingsHeading = nullptr;
    TLabel* CurrentSettingsLabel = nullptr;
    TProgressBar* MainProgress = nullptr;

    void FormShow(TComponent* Sender);
    // The window has no close box: Alt+F4 and WM_CLOSE leave it on screen
    // until the operation that shows it hides it again.
    void FormCloseQuery(TComponent* Sender, bool& CanClose);
};

extern TKVSettingsForm* KVSettingsForm;

// How long a step lasts: a drawn number of message-pumping passes, the
// passes at which the status line gains its dots, and the pause after each.
struct TProgressPacing {
    int MinPasses;    // inclusive
    int MaxPasses;    // exclusive
    int FirstDotPass;
    int SecondDotPass;
    int ThirdDotPass;
    unsigned PauseMilliseconds;
    void (*Pause)(unsigned milliseconds); // Sleep, unless a test watches the pauses
};
extern const TProgressPacing DefaultProgressPacing;
// The pacing every step uses; tests put shorter ones in place.
extern TProgressPacing ProgressPacing;

// Steps of the operation that runs, and how many of them are done.
extern int ProgressStepTotal;
extern int ProgressStepsDone;

// One step: keeps the windows alive for a while, shows Text with one, two
// and three dots, then moves the bar on.
void ShowProgressStep(const std::wstring& Text);
// The bar's position after Done of Total steps, rounded half to even.
int ProgressPercent(int Done, int Total);
