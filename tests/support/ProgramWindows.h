// The program's three windows in a test process, created once as start-up
// creates them, and help for driving a modal loop from inside it.
#pragma once

#include <windows.h>

#include <functional>

// Main window, About box and progress window, in that order, through the
// application; later calls do nothing.
void CreateProgramWindows();

// Calls Step on the UI thread every few milliseconds from the next pass of
// the message loop on, until it returns false or the object goes; so a test
// can act inside a modal loop that it has started itself.
class WhileLooping {
  public:
    explicit WhileLooping(std::function<bool(int tick)> step);
    WhileLooping(const WhileLooping&) = delete;
    WhileLooping& operator=(const WhileLooping&) = delete;
    ~WhileLooping();

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
};

// Expects a window of the class with a client area of the size.
void ExpectClassAndClientSize(HWND window, const wchar_t* className, int width, int height);

// Posts a key press to the window that has the focus, or to Window when none has.
void PostKey(WPARAM key, HWND window = nullptr, UINT message = WM_KEYDOWN);
