// Hints shown as native tooltips: the hint window class that the framework
// creates, and the unit start and end that put it in place.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/HintWindow.h"

// Shows each hint as a tracking tooltip of the common controls, created
// afresh for each new text and kept within its monitor. Its own window is
// never created, painted or shown.
class THintWindowFix : public THintWindow {
  public:
    explicit THintWindowFix(TComponent* AOwner);
    ~THintWindowFix() override;

    void ActivateHint(const RECT& Rect, const std::wstring& AHint) override;
    // The measured size of the text, unwrapped; MaxWidth and AData play no part.
    RECT CalcHintRect(int MaxWidth, const std::wstring& AHint, void* AData) override;
    // Destroys the tooltip that is shown, if any.
    void ReleaseHandle() override;
    // A new tooltip with Text at P, kept within P's monitor; null on failure.
    UniqueWindow ShowToolTip(POINT P, const std::wstring& Text);
    // Application.OnHint: a hint whose short part is blank takes the tooltip away.
    void AppHint(TComponent* Sender);

    // The tooltip now shown; null when there is none.
    HWND ToolTip() const { return FToolTip.get(); }

  protected:
    void CreateParams(WindowParams&) override {}
    void Paint(HDC) override {}
    void NCPaint(HDC) override {}
    void CaptionChanged() override {}
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    TNotifyEvent OldAppHintHandler;
    UniqueWindow FToolTip;
};

// Width of the widest line and the sum of the line heights, Extra pixels
// between lines; only CR LF ends a line.
SIZE GetHintTextExtent(const std::wstring& Text, int Extra);
// One line of text in Screen.HintFont; (0, 0) when it cannot be measured.
SIZE GetTextLineExtent(const std::wstring& Line);

// The live hint windows, earliest created first; null before the unit starts
// and after it ends.
extern std::vector<THintWindowFix*>* HintWindowList;

// Unit start: creates the list and installs the hint window class.
void StartNativeHintWindow();
// Unit end: takes the hide-hint hook back, switches hints off and releases the list.
void EndNativeHintWindow();
// Makes the framework create THintWindowFix and send its hide-hint requests to HideNativeHint.
void InstallHintWindowFix();
// The framework's hide-hint request: takes away the tooltip of the earliest live hint window.
void HideNativeHint(TApplication&);
