// Forms, the application object and the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/HintWindow.h"

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };
using TBorderIcons = unsigned;
inline constexpr TBorderIcons biSystemMenu = 1, biMinimize = 2, biMaximize = 4;

using TModalResult = int;
// Asked before a form closes; setting CanClose to false keeps it open.
using TCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;
inline constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrClose = 8;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // The window class name of the form: its class name.
    virtual std::wstring ClassName() const = 0;

    TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
    TBorderIcons BorderIcons = biSystemMenu | biMinimize | biMaximize;

    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    void SetClientSize(int width, int height);
    RECT ClientRect() const override { return {0, 0, clientWidth_, clientHeight_}; }

    // Applied at the next showing, then reset to poDesigned.
    TPosition Position = TPosition::poDesigned;

    // True: the form takes the desktop's icon-title font.
    bool DesktopFont() const { return desktopFont_; }
    void SetDesktopFont(bool value);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseQueryEvent OnCloseQuery;

    void Show();
    void Hide();
    // Hides the form, unless OnCloseQuery says no; closing the main form ends
    // the application.
    void Close();
    TModalResult ShowModal();
    TModalResult ModalResult = mrNone;

    // The form's creation is complete: its window exists and OnCreate has run.
    void AfterConstruction();

    // The control that takes the focus when the form is next activated.
    void SetActiveControl(TWinControl* control);

protected:
    void CreateParams(WindowParams& params) override;
    std::wstring WindowClassName() const override { return ClassName(); }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool PublishesFont() const override { return true; }
    void HandleCreated() override;

private:
    void ApplyPosition();
    // Left, Top, Width, Height and the client size as the window stands.
    void UpdateBounds();
    void ShowingChanged(bool showing);
    void FocusControlInside();

    int clientWidth_ = 0, clientHeight_ = 0;
    HWND lastFocus_ = nullptr; // the control that had the focus when the form was deactivated
    bool desktopFont_ = false;
    bool modal_ = false;
};

// One monitor of the desktop, as it stood when it was asked for.
struct TMonitor {
    HMONITOR Handle = nullptr;
    RECT BoundsRect{}; // the whole monitor, task bar included
};

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TScreen {
public:
    // The desktop's icon-title font, asked of Windows each time.
    const TFont& IconFont();
    // The font hints are measured and drawn with: the desktop's status font.
    const TFont& HintFont();

    // The monitor at a screen point; away from every monitor, the rule decides.
    std::optional<TMonitor> MonitorFromPoint(POINT point,
                                             TMonitorDefaultTo rule = TMonitorDefaultTo::mdNearest) const;
    // The rectangle of the whole virtual desktop.
    RECT DesktopRect() const;

    // The cursor shown for a cursor number; null where there is none. Setting
    // a null handle removes the entry.
    HCURSOR Cursors(TCursor cursor);
    void SetCursors(TCursor cursor, HCURSOR handle);

private:
    TFont iconFont_;
    TFont hintFont_;
    bool hintFontRead_ = false;
    std::map<TCursor, HCURSOR> cursors_;
    bool cursorsLoaded_ = false;
};

class TApplication;
// Stands in for the application's own way of hiding the hint when set.
using THideHintHook = void (*)(TApplication& application);

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    // The hidden application window.
    HWND Handle();
    bool MainFormOnTaskBar = false;
    TForm* MainForm() const { return mainForm_; }

    // Creates a form owned by the application; the first one becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        T& form = Create<T>(L"");
        reference = &form;
        if (!mainForm_) mainForm_ = &form;
        form.AfterConstruction();
    }

    void Run();
    // Waits for one message and handles it as the message loop does.
    void HandleMessage();
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Sees every key-down of every window of the thread before it is
    // dispatched; returning true swallows the key.
    std::function<bool(const MSG&)> OnShortCut;

    // Hints. Hint is the long part of the hint of the control under the
    // mouse; OnHint runs each time it changes.
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint);
    TNotifyEvent OnHint;
    // On: hints show, in a hint window of HintWindowClass; off: the hint window is freed.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    THintWindow* HintWindow() const { return hintWindow_.get(); }
    // Milliseconds: before a hint shows, before the next one shows while a
    // hint is up, and how long a hint stays.
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    // Ends the hint of the control under the mouse.
    void CancelHint();
    // Takes the hint off the screen; HideHintHook, when set, does it instead.
    void HideHint();
    THideHintHook HideHintHook = nullptr;

private:
    friend void HintControlDestroyed(TControl* control);
    enum class HintTimerMode { show, hide };
    static void CALLBACK HintTimerProc(HWND, UINT, UINT_PTR, DWORD);
    void HintTimerExpired();
    bool ProcessMessage(MSG& msg);
    bool ShortCut(const MSG& msg);
    void HintMouseMove(const MSG& msg);
    // The mouse is at a screen point over a control (or over none).
    void HintMouseMessage(TControl* control, POINT screenPoint);
    void EnsureHintWindow();
    void ActivateHint(POINT cursor);
    void StartHintTimer(int pause, HintTimerMode mode);
    void StopHintTimer();

    std::wstring hint_;
    bool showHint_ = true;
    std::unique_ptr<THintWindow> hintWindow_;
    THintWindowClass hintWindowMadeBy_ = nullptr;
    HintTimerMode hintTimerMode_ = HintTimerMode::show;
    bool hintActive_ = false;
    POINT hintPoint_{};
    HWND handle_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

// A key-down as the shortcut event sees it.
struct TWMKey {
    UINT Msg;
    WORD CharCode; // the virtual-key code
    LPARAM KeyData;
};

// Application-wide events for the component that owns it: every instance
// sees them, in creation order, while it exists.
class TApplicationEvents : public TComponent {
public:
    explicit TApplicationEvents(TComponent* owner);
    ~TApplicationEvents() override;

    // Every key-down of every window of the program, before it is dispatched;
    // setting Handled swallows the key.
    std::function<void(TWMKey& Msg, bool& Handled)> OnShortCut;
};

extern TApplication Application;
extern TScreen Screen;

// A control is going away: the hint machinery forgets it.
void HintControlDestroyed(TControl* control);
