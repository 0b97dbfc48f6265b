// Controls: the windowless ones painted and hit-tested by their parent, and
// the windowed ones that wrap a real window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Graphics.h"

using TNotifyEvent = std::function<void(TComponent* Sender)>;

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crHandPoint = -21;

class TWinControl;

// How a control follows its parent's size: alClient fills the parent's client area.
enum class TAlign { alNone, alClient };

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual void SetBounds(int left, int top, int width, int height);

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    TCursor Cursor = crDefault;
    // The hint: a short part shown near the pointer, "|", and a long part
    // that Application.Hint takes while the mouse is over the control.
    std::wstring Hint;
    bool ShowHint = false;
    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // The control's own font, and whether it follows its parent's instead.
    TFont Font;
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);

    // Which of Font and ParentFont the control's class publishes; a control
    // that publishes neither keeps them to itself.
    const bool* ParentFontProperty() const override { return PublishesFont() ? &parentFont_ : nullptr; }
    TFont* FontProperty() override { return PublishesFont() ? &Font : nullptr; }

    virtual void Click();
    virtual void MouseEnter();
    virtual void MouseLeave();

    // Asks the window that shows this control to paint it again.
    virtual void Invalidate();

protected:
    virtual bool PublishesFont() const { return false; }
    virtual void CaptionChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    friend class TWinControl;
    void ParentFontChanged();
    // Takes the bounds a window already has, without moving it.
    void UpdateBoundsRect(const RECT& r);

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TWinControl* parent_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    bool parentFont_ = true;
    bool followingParent_ = false;
    std::wstring caption_;
    TColor color_ = clBtnFace;
    TAlign align_ = TAlign::alNone;
};

// A control without a window: its parent paints it, in layout order, and
// routes the mouse to it.
class TGraphicControl : public TControl {
public:
    using TControl::TControl;
    virtual void Paint(HDC dc) = 0;
    void Invalidate() override;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();                  // creates the window when it does not exist yet
    bool HandleAllocated() const { return hwnd_ != nullptr; }
    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    // A control on a form not yet on screen gets the focus when the form shows.
    void SetFocus();

    int TabOrder = -1;
    bool TabStop = false;

    // The controls placed on this one, in layout order.
    const std::vector<TControl*>& Controls() const { return controls_; }

    // The area that aligned children fill, in this control's client coordinates.
    virtual RECT ClientRect() const { return {0, 0, Width(), Height()}; }
    void Realign();

    // Paints the background and the windowless controls into a caller's DC,
    // as WM_PRINTCLIENT asks; the DC's origin is the client area's corner.
    void PaintTo(HDC dc);

    // The control whose window this is, when the window belongs to us.
    static TWinControl* FromHandle(HWND hwnd);

protected:
    struct WindowParams {
        std::wstring className;  // empty: our own window class, see WindowClassName()
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        HWND parent = nullptr;
        int x = 0, y = 0, width = 0, height = 0;
    };
    virtual void CreateParams(WindowParams& params);
    virtual std::wstring WindowClassName() const { return L"THastrelControl"; }
    virtual void CreateWnd();
    virtual void HandleCreated() {}  // after the window exists: push stored state to it
    void DestroyHandle();

    // Messages of the window; the default passes them on.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
    // Notifications the parent passes back to the control they concern.
    virtual bool ReflectCommand(WORD /*code*/) { return false; }
    virtual bool ReflectNotify(NMHDR* /*hdr*/, LRESULT& /*result*/) { return false; }
    virtual bool ReflectScroll(WORD /*code*/) { return false; }

    // Background and windowless children, drawn into an off-screen bitmap.
    virtual void PaintBackground(HDC dc, const RECT& client);
    void PaintGraphicControls(HDC dc);
    TGraphicControl* GraphicControlAt(POINT pt) const;

    void FontChanged() override;
    void CaptionChanged() override;
    void ColorChanged() override;

private:
    friend class TControl;
    friend class TApplication; // finds the control under the mouse for hints
    // Child window IDs are unique within a top-level window, so the dialog
    // manager can find a default button by its ID; lower IDs are IDOK and its kin.
    static constexpr int FirstChildId = 100;
    HMENU NextChildId();
    HBRUSH ChildBackgroundBrush();
    static LRESULT CALLBACK OwnWindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    // Forgets the window: its property, our subclass and the handle.
    void Unbind();
    void Paint();
    LRESULT PassDialogMessage(UINT msg, WPARAM wp, LPARAM lp);
    void TrackHover(POINT pt);
    void ApplyFontToWindow();

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
    int nextChildId_ = FirstChildId;
    std::vector<TControl*> controls_;
    UniqueGdiObject childBrush_; // what WM_CTLCOLOR* answers: this control's colour
    COLORREF childBrushColor_ = CLR_INVALID;
    TGraphicControl* hover_ = nullptr;
    TGraphicControl* pressed_ = nullptr;
    bool trackingLeave_ = false;
};
