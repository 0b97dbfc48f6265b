#include "support/ProgramWindows.h"

#include <gtest/gtest.h>

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

void ExpectClassAndClientSize(HWND window, const wchar_t* className, int width, int height) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    EXPECT_STREQ(name, className);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
}
