#include "support/ProgramWindows.h"

#include "app/DornithAboutForm.h"
#include "app/DornithForm.h"
#include "app/DornithSettingsForm.h"

void CreateProgramWindows() {
    if (KVMainForm) return;
    Application.Initialize();
    Application.CreateForm(KVMainForm);
    Application.CreateForm(KVAboutForm);
    Application.CreateForm(KVSettingsForm);
}

namespace {
std::function<bool(int)> currentStep;
int ticks = 0;
} // namespace

WhileLooping::WhileLooping(std::function<bool(int tick)> step) {
    currentStep = std::move(step);
    ticks = 0;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

WhileLooping::~WhileLooping() {
    if (timer_) KillTimer(nullptr, timer_);
    currentStep = nullptr;
}

void CALLBACK WhileLooping::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!currentStep || !currentStep(ticks++)) {
        KillTimer(nullptr, timer);
        currentStep = nullptr;
    }
}

void PostKey(WPARAM key, HWND window, UINT message) {
    HWND target = GetFocus();
    if (!target) target = window;
    PostMessageW(target, message, key, 1);
}
