// The window a hint is shown in, and the class the application makes it of.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Controls.h"

// A small borderless popup that shows one hint text near the mouse pointer.
// Every step the application takes with it can be replaced by a derived class.
class THintWindow : public TWinControl {
  public:
    explicit THintWindow(TComponent* AOwner);

    // Shows AHint in the screen rectangle Rect.
    virtual void ActivateHint(const RECT& Rect, const std::wstring& AHint);
    virtual void ActivateHintData(const RECT& Rect, const std::wstring& AHint, void* AData);
    // The rectangle, from 0, 0, that AHint needs when wrapped at MaxWidth.
    virtual RECT CalcHintRect(int MaxWidth, const std::wstring& AHint, void* AData);
    // Whether the message ends the hint: keys, clicks and the wheel do.
    virtual bool IsHintMsg(const MSG& Msg);
    // Whether the hint may go when its time is up; false keeps it one more period.
    virtual bool ShouldHideHint();
    // Gives up the window that shows the hint.
    virtual void ReleaseHandle();

  protected:
    void CreateParams(WindowParams& params) override;
    std::wstring WindowClassName() const override { return L"THintWindow"; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The client area, and the border around it.
    virtual void Paint(HDC dc);
    virtual void NCPaint(HDC dc);
};

// What the application creates its hint window of: a maker of one class.
using THintWindowClass = std::unique_ptr<THintWindow> (*)(TComponent* AOwner);

template <class T> std::unique_ptr<THintWindow> HintWindowOf(TComponent* AOwner) {
    return std::make_unique<T>(AOwner);
}

// The class of the next hint window the application creates.
extern THintWindowClass HintWindowClass;
