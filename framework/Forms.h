// Forms, the application object and the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };
using TBorderIcons = unsigned;
inline constexpr TBorderIcons biSystemMenu = 1, biMinimize = 2, biMaximize = 4;

using TModalResult = int;
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

    void Show();
    void Hide();
    // Hides the form; closing the main form ends the application.
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

class TScreen {
public:
    // The desktop's icon-title font, asked of Windows each time.
    const TFont& IconFont();

private:
    TFont iconFont_;
};

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

private:
    bool ProcessMessage(MSG& msg);
    bool ShortCut(const MSG& msg);

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
