// Labels, buttons and memos.
#pragma once

#include "framework/Forms.h"

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

// Text painted by its parent. With AutoSize it takes the size of its text;
// a right-justified one keeps its right edge and grows leftwards.
class TLabel : public TGraphicControl {
  public:
    explicit TLabel(TComponent* owner);
    void Paint(HDC dc) override;
    // With AutoSize the given size is replaced by the text's at once; a
    // right-justified label keeps the right edge that the given bounds have.
    void SetBounds(int left, int top, int width, int height) override;

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // True: "&" marks the next letter, which is underlined; "&&" is an ampersand.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    // Transparent: the parent's painting shows between the letters; otherwise
    // the label fills its bounds with its colour.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // True until a colour of its own is set: the label fills with its parent's colour.
    bool ParentColor() const { return parentColor_; }

  protected:
    bool PublishesFont() const override { return true; }
    void CaptionChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

  private:
    UINT TextFlags() const;
    std::wstring DrawnText() const;
    void AdjustBounds();

    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    bool parentColor_ = true;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
};

// A push button. The default one is pressed by Enter while no other button
// has the focus; a focused button is pressed by Enter itself, as in dialogs.
class TButton : public TWinControl {
  public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool value);
    // Given to the form that shows the button when it is clicked.
    TModalResult ModalResult = mrNone;
    // Shows the shield: what the button starts needs administrator rights.
    bool ElevationRequired() const { return elevationRequired_; }
    void SetElevationRequired(bool value);

    void Click() override;

  protected:
    bool PublishesFont() const override { return true; }
    void CreateParams(WindowParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool ReflectCommand(WORD code) override;

  private:
    friend void UpdateDefaultButtonLook(TWinControl* window, HWND focus);
    void ShowAsDefault(bool value);

    bool default_ = false;
    bool elevationRequired_ = false;
    bool settingStyle_ = false;
};

// The button with Default set among the controls on Container, at any depth.
TButton* FindDefaultButton(TWinControl* container);
// Gives the thick default frame to the focused button of Window, or to its
// default button while no button there has the focus.
void UpdateDefaultButtonLook(TWinControl* window, HWND focus);

// A read-only text with a vertical scroll bar. Tab, Escape and Enter work in
// it as anywhere on the form; Enter presses the form's default button.
class TMemo : public TWinControl {
  public:
    explicit TMemo(TComponent* owner);
    // The whole text, lines separated by CR LF.
    const std::wstring& Text() const { return Caption(); }
    void SetText(const std::wstring& text) { SetCaption(text); }

  protected:
    bool PublishesFont() const override { return true; }
    void CreateParams(WindowParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
