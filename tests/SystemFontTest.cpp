#include "support/SystemFont.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <tuple>
#include <vector>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace {

class TFontTestForm : public TForm {
  public:
    using TForm::TForm;
    std::wstring ClassName() const override { return L"TFontTestForm"; }
};

constexpr TColor clRed = 0x0000FF;

void SetFont(TFont& font, const std::wstring& name, int points, TFontStyles style = 0,
             TColor color = clWindowText) {
    font.SetName(name);
    font.SetSize(points);
    font.SetStyle(style);
    font.SetColor(color);
}

using FontState = std::tuple<std::wstring, int, TFontStyles, TColor>;
FontState StateOf(const TFont& font) {
    return {font.Name(), font.Height(), font.Style(), font.Color()};
}

// A form laid out as the program's forms are: everything owned by the form,
// some of it placed on a panel, and components of every kind.
struct LaidOutForm {
    TFontTestForm form{nullptr};
    TPanel& panel = form.Create<TPanel>(L"Panel");
    TLabel& smallLabel = form.Create<TLabel>(L"SmallLabel");
    TMenuItem& menuItem = form.Create<TMenuItem>(L"HelpItem");
    TComponent& plain = form.Create<TComponent>(L"Plain");
    TLabel& followerLabel = form.Create<TLabel>(L"FollowerLabel");
    TLabel& headingLabel = form.Create<TLabel>(L"HeadingLabel");
    TLabel& panelOwnedLabel = panel.Create<TLabel>(L"PanelOwnedLabel");

    explicit LaidOutForm(int formPoints) {
        SetFont(form.Font, L"Arial", formPoints);
        panel.SetParent(&form);
        SetFont(panel.Font, L"Courier New", 10);
        smallLabel.SetParent(&panel);
        SetFont(smallLabel.Font, L"Courier New", 8);
        // Not placed anywhere, so its own font stays as given while it follows its parent.
        SetFont(followerLabel.Font, L"Courier New", 7);
        followerLabel.SetParentFont(true);
        headingLabel.SetParent(&form);
        SetFont(headingLabel.Font, L"Times New Roman", 12, fsBold, clRed);
        panelOwnedLabel.SetParent(&panel);
        SetFont(panelOwnedLabel.Font, L"Courier New", 7);
    }

    std::vector<FontState> States() const {
        return {StateOf(form.Font),          StateOf(panel.Font),        StateOf(smallLabel.Font),
                StateOf(followerLabel.Font), StateOf(headingLabel.Font), StateOf(panelOwnedLabel.Font)};
    }
};

TEST(ApplySystemFont, LargeDesktopFontIsCappedAndComponentsTakeItsFace) {
    LaidOutForm f(12);
    ApplySystemFont(&f.form);

    EXPECT_EQ(f.form.Font.Name(), L"Arial");
    EXPECT_EQ(f.form.Font.Size(), 9);

    // Smaller fonts are raised to the form's size.
    EXPECT_EQ(f.smallLabel.Font.Name(), L"Arial");
    EXPECT_EQ(f.smallLabel.Font.Size(), 9);
    EXPECT_FALSE(f.smallLabel.ParentFont());

    // Larger ones keep their size, style and colour.
    EXPECT_EQ(f.panel.Font.Name(), L"Arial");
    EXPECT_EQ(f.panel.Font.Size(), 10);
    EXPECT_EQ(f.headingLabel.Font.Name(), L"Arial");
    EXPECT_EQ(f.headingLabel.Font.Size(), 12);
    EXPECT_EQ(f.headingLabel.Font.Style(), fsBold);
    EXPECT_EQ(f.headingLabel.Font.Color(), clRed);

    // Following the parent: left alone.
    EXPECT_TRUE(f.followerLabel.ParentFont());
    EXPECT_EQ(f.followerLabel.Font.Name(), L"Courier New");
    EXPECT_EQ(f.followerLabel.Font.Size(), 7);

    // Owned by the panel, not the form: not visited.
    EXPECT_EQ(f.panelOwnedLabel.Font.Name(), L"Courier New");
    EXPECT_EQ(f.panelOwnedLabel.Font.Size(), 7);

    // Components without a font are passed over and stay as they were.
    EXPECT_EQ(f.form.ComponentCount(), 6);
    EXPECT_EQ(f.form.FindComponent(L"helpitem"), &f.menuItem);
    EXPECT_EQ(f.form.FindComponent(L"plain"), &f.plain);
}

TEST(ApplySystemFont, SecondCallChangesNothingMore) {
    for (int points : {8, 12}) {
        SCOPED_TRACE(points);
        LaidOutForm f(points);
        ApplySystemFont(&f.form);
        const std::vector<FontState> once = f.States();
        ApplySystemFont(&f.form);
        EXPECT_EQ(f.States(), once);
    }
}

TEST(ApplySystemFont, CapOnlyLowers) {
    for (int points : {6, 8, 9, 10, 12, 20}) {
        SCOPED_TRACE(points);
        LaidOutForm f(points);
        const int heightBefore = f.form.Font.Height();
        ApplySystemFont(&f.form);
        EXPECT_EQ(f.form.Font.Size(), std::min(points, 9));
        if (points <= 9) {
            EXPECT_EQ(f.form.Font.Height(), heightBefore);
        }
        // The label is never smaller than the form's text, nor shrunk below its own 8 points.
        EXPECT_EQ(f.smallLabel.Font.Size(), std::max(8, std::min(points, 9)));
    }
}

TEST(ApplySystemFont, NullFormIsIgnored) {
    ApplySystemFont(nullptr);
}

// ---- With the desktop's own font ----

// Sets the desktop's icon-title font for this process only, and puts it back.
class IconFontScope {
  public:
    IconFontScope() {
        saved_ = SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(old_), &old_, 0) != FALSE;
    }
    IconFontScope(const IconFontScope&) = delete;
    IconFontScope& operator=(const IconFontScope&) = delete;
    ~IconFontScope() {
        if (saved_) SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(old_), &old_, 0);
    }
    bool Set(const wchar_t* face, LONG height) {
        if (!saved_) return false;
        LOGFONTW lf = old_;
        lf.lfHeight = height;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        return SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(lf), &lf, 0) != FALSE;
    }

  private:
    LOGFONTW old_{};
    bool saved_ = false;
};

TEST(ApplySystemFont, FormTakesTheDesktopFontAtNinePointsAtMost) {
    for (LONG height : {-11L, -12L, -16L}) { // 8, 9 and 12 points at 96 dpi
        SCOPED_TRACE(height);
        IconFontScope desktop;
        if (!desktop.Set(L"Verdana", height)) GTEST_SKIP() << "the desktop font cannot be changed here";
        TFontTestForm form(nullptr);
        TLabel& label = form.Create<TLabel>(L"Label");
        SetFont(label.Font, L"Courier New", 7);
        form.SetDesktopFont(true);
        ASSERT_EQ(form.Font.Name(), L"Verdana");
        const int desktopPoints = form.Font.Size();
        ApplySystemFont(&form);
        EXPECT_EQ(form.Font.Name(), L"Verdana");
        EXPECT_EQ(form.Font.Size(), std::min(desktopPoints, 9));
        EXPECT_EQ(label.Font.Name(), L"Verdana");
        EXPECT_EQ(label.Font.Size(), form.Font.Size());
    }
}

} // namespace
