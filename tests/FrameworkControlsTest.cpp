// The framework's controls as the windows use them: windowless painting and
// mouse routing, sizes of labels, the common controls' state, keyboard
// handling like a dialog's, and the popup menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/Bitmaps.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace {

class TTestForm : public TForm {
  public:
    using TForm::TForm;
    std::wstring ClassName() const override { return L"TFrameworkTestForm"; }
};

std::unique_ptr<TTestForm> NewForm(int width, int height) {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->BorderStyle = TFormBorderStyle::bsSingle;
    form->SetClientSize(width, height);
    return form;
}

// A picture of one premultiplied 0xAARRGGBB value.
PngPicture SolidPicture(int width, int height, std::uint32_t pixel) {
    PngPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.HasAlpha = (pixel >> 24) != 0xFF;
    picture.Pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), pixel);
    return picture;
}

TImage& AddImage(TForm& form, TWinControl& parent, RECT bounds, std::uint32_t pixel) {
    TImage& image = form.Create<TImage>(L"");
    image.SetStretch(true);
    image.SetPicture(SolidPicture(4, 4, pixel));
    image.SetParent(&parent);
    image.SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    return image;
}

// The format of a top-down 32-bit bitmap of the size.
BITMAPINFO TopDownFormat(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// What a window's client area looks like, painted into a bitmap of our own.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info = TopDownFormat(width, height);
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        dc_.reset(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~Canvas() { SelectObject(dc_.get(), old_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.get(); }
    // As 0xRRGGBB.
    std::uint32_t At(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }

  private:
    int width_;
    UniqueGdiObject bitmap_;
    UniqueMemoryDc dc_;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

bool Near(std::uint32_t rgb, std::uint32_t expected, int tolerance = 3) {
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((rgb >> shift) & 0xFF),
                  b = static_cast<int>((expected >> shift) & 0xFF);
        if (a - b > tolerance || b - a > tolerance) return false;
    }
    return true;
}

constexpr std::uint32_t OpaqueRed = 0xFFFF0000, OpaqueBlue = 0xFF0000FF;

// ---- Windowless controls: painting ----

TEST(GraphicControls, LaterControlPaintsOverTheEarlier) {
    auto form = NewForm(100, 60);
    AddImage(*form, *form, {10, 10, 40, 40}, OpaqueRed);
    AddImage(*form, *form, {30, 30, 60, 55}, OpaqueBlue);
    Canvas canvas(100, 60);
    form->PaintTo(canvas.Dc());
    EXPECT_EQ(canvas.At(15, 15), 0xFF0000u);
    EXPECT_EQ(canvas.At(35, 35), 0x0000FFu); // the overlap shows the later one
    EXPECT_EQ(canvas.At(55, 50), 0x0000FFu);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(canvas.At(2, 2),
              static_cast<std::uint32_t>(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face)));
}

TEST(GraphicControls, PicturesBlendByTheirAlpha) {
    auto form = NewForm(60, 30);
    AddImage(*form, *form, {0, 0, 60, 30}, OpaqueRed);
    AddImage(*form, *form, {10, 0, 30, 30}, 0x80000080); // blue at half coverage, premultiplied
    AddImage(*form, *form, {40, 0, 60, 30}, 0x00000000); // fully transparent
    Canvas canvas(60, 30);
    form->PaintTo(canvas.Dc());
    EXPECT_TRUE(Near(canvas.At(20, 15), 0x7F0080)) << std::hex << canvas.At(20, 15);
    EXPECT_EQ(canvas.At(50, 15), 0xFF0000u);
}

TEST(GraphicControls, TransparentLabelShowsWhatLiesBelowBetweenItsLetters) {
    auto form = NewForm(200, 40);
    AddImage(*form, *form, {0, 0, 200, 40}, OpaqueRed);
    TLabel& transparent = form->Create<TLabel>(L"Transparent");
    transparent.SetParent(form.get());
    transparent.SetCaption(L"i i");
    transparent.SetTransparent(true);
    transparent.SetBounds(0, 0, 0, 0);
    TLabel& solid = form->Create<TLabel>(L"Solid");
    solid.SetParent(form.get());
    solid.SetCaption(L"i i");
    solid.SetColor(0x00FF00); // green
    solid.SetBounds(100, 0, 0, 0);

    Canvas canvas(200, 40);
    form->PaintTo(canvas.Dc());
    // The blank between the two letters.
    const int gapX = transparent.Width() / 2, gapY = transparent.Height() / 2;
    EXPECT_EQ(canvas.At(gapX, gapY), 0xFF0000u);
    EXPECT_EQ(canvas.At(100 + gapX, gapY), 0x00FF00u);
    EXPECT_EQ(canvas.At(100 + solid.Width() + 2, gapY), 0xFF0000u);
}

TEST(GraphicControls, LabelWithoutColourOfItsOwnFillsWithItsParentsColour) {
    auto form = NewForm(100, 40);
    TPanel& panel = form->Create<TPanel>(L"Panel");
    panel.SetBevelOuter(TBevelCut::bvNone);
    panel.SetParentBackground(false);
    panel.SetColor(0x00FFFF); // yellow
    panel.SetParent(form.get());
    panel.SetBounds(0, 0, 100, 40);
    TLabel& label = form->Create<TLabel>(L"Label");
    label.SetParent(&panel);
    label.SetCaption(L"  ");
    label.SetBounds(0, 0, 0, 0);
    Canvas canvas(100, 40);
    panel.PaintTo(canvas.Dc());
    EXPECT_TRUE(label.ParentColor());
    EXPECT_EQ(canvas.At(1, 1), 0xFFFF00u); // RGB(255, 255, 0) read back as 0xRRGGBB
}

TEST(GraphicControls, BevelsDrawEtchedLinesOnTheirSide) {
    auto form = NewForm(40, 40);
    form->SetColor(0xFFFFFF);
    TBevel& top = form->Create<TBevel>(L"Top");
    top.SetShape(TBevelShape::bsTopLine);
    top.SetParent(form.get());
    top.SetBounds(0, 0, 40, 5);
    TBevel& right = form->Create<TBevel>(L"Right");
    right.SetShape(TBevelShape::bsRightLine);
    right.SetParent(form.get());
    right.SetBounds(10, 10, 2, 20);
    Canvas canvas(40, 40);
    form->PaintTo(canvas.Dc());
    EXPECT_NE(canvas.At(20, 0), 0xFFFFFFu); // the shadow line on top
    EXPECT_EQ(canvas.At(20, 3), 0xFFFFFFu); // nothing below it
    EXPECT_NE(canvas.At(10, 20), 0xFFFFFFu);
}

// ---- Windowless controls: the mouse ----

struct Counts {
    int enter = 0, leave = 0, click = 0;
};

void Watch(TControl& control, Counts& counts) {
    control.OnMouseEnter = [&counts](TComponent*) { ++counts.enter; };
    control.OnMouseLeave = [&counts](TComponent*) { ++counts.leave; };
    control.OnClick = [&counts](TComponent*) { ++counts.click; };
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

TEST(GraphicControls, HoverEntersAndLeavesOnceEach) {
    auto form = NewForm(100, 40);
    TImage& a = AddImage(*form, *form, {0, 0, 20, 20}, OpaqueRed);
    TImage& b = AddImage(*form, *form, {30, 0, 50, 20}, OpaqueBlue);
    Counts ca, cb;
    Watch(a, ca);
    Watch(b, cb);
    const HWND h = form->Handle();

    SendMessageW(h, WM_MOUSEMOVE, 0, At(5, 5));
    SendMessageW(h, WM_MOUSEMOVE, 0, At(6, 7));
    SendMessageW(h, WM_MOUSEMOVE, 0, At(19, 19));
    EXPECT_EQ(ca.enter, 1);
    EXPECT_EQ(ca.leave, 0);

    SendMessageW(h, WM_MOUSEMOVE, 0, At(35, 5));
    EXPECT_EQ(ca.leave, 1);
    EXPECT_EQ(cb.enter, 1);

    SendMessageW(h, WM_MOUSEMOVE, 0, At(90, 30)); // over nothing
    EXPECT_EQ(cb.leave, 1);
    SendMessageW(h, WM_MOUSEMOVE, 0, At(40, 10));
    EXPECT_EQ(cb.enter, 2);
    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(cb.leave, 2);
    EXPECT_EQ(ca.enter, 1);
    EXPECT_EQ(ca.leave, 1);
}

TEST(GraphicControls, ClickGoesToTheTopmostControlUnderThePointer) {
    auto form = NewForm(100, 60);
    TImage& image = AddImage(*form, *form, {0, 0, 60, 60}, OpaqueRed);
    TLabel& label = form->Create<TLabel>(L"Label");
    label.SetParent(form.get());
    label.SetCaption(L"Home");
    label.SetTransparent(true);
    label.SetBounds(10, 10, 0, 0);
    Counts ci, cl;
    Watch(image, ci);
    Watch(label, cl);
    const HWND h = form->Handle();

    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(12, 12));
    SendMessageW(h, WM_LBUTTONUP, 0, At(12, 12));
    EXPECT_EQ(cl.click, 1);
    EXPECT_EQ(ci.click, 0);

    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 50));
    SendMessageW(h, WM_LBUTTONUP, 0, At(50, 50));
    EXPECT_EQ(ci.click, 1);

    // Pressed on one control and released on another: no click at all.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(12, 12));
    SendMessageW(h, WM_LBUTTONUP, 0, At(50, 50));
    EXPECT_EQ(cl.click, 1);
    EXPECT_EQ(ci.click, 1);

    // A disabled control takes no clicks.
    label.SetEnabled(false);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(12, 12));
    SendMessageW(h, WM_LBUTTONUP, 0, At(12, 12));
    EXPECT_EQ(cl.click, 1);
}

// ---- Labels ----

TEST(Label, AutoSizeFollowsTheTextAndFont) {
    TTestForm form(nullptr);
    TLabel& label = form.Create<TLabel>(L"Label");
    label.SetBounds(16, 98, 0, 0);
    EXPECT_EQ(label.Left(), 16);
    EXPECT_GT(label.Height(), 0);
    const int blank = label.Width();
    EXPECT_GT(blank, 0); // an empty label keeps a blank's size

    label.SetCaption(L"Choose a link below");
    const int narrow = label.Width();
    EXPECT_GT(narrow, blank);
    label.Font.SetStyle(fsBold);
    label.Font.SetHeight(-16);
    EXPECT_GT(label.Width(), narrow);
    EXPECT_GE(label.Height(), 16);
    EXPECT_EQ(label.Left(), 16);
}

TEST(Label, RightJustifiedLabelGrowsLeftwardsFromItsRightEdge) {
    TTestForm form(nullptr);
    TLabel& label = form.Create<TLabel>(L"Faster");
    label.SetAlignment(TAlignment::taRightJustify);
    label.SetBounds(304, 292, 3, 0);
    EXPECT_EQ(label.Left() + label.Width(), 307);
    label.SetCaption(L"Maximum Boost");
    EXPECT_EQ(label.Left() + label.Width(), 307);
    EXPECT_LT(label.Left(), 250);
    label.SetCaption(L"Max");
    EXPECT_EQ(label.Left() + label.Width(), 307);
}

TEST(Label, FixedSizeWrappingLabelKeepsItsBounds) {
    TTestForm form(nullptr);
    TLabel& label = form.Create<TLabel>(L"Description");
    label.SetAutoSize(false);
    label.SetWordWrap(true);
    label.SetBounds(16, 25, 550, 36);
    label.SetCaption(std::wstring(400, L'x'));
    EXPECT_EQ(label.Width(), 550);
    EXPECT_EQ(label.Height(), 36);
}

TEST(Label, AmpersandMarksAnAcceleratorOnlyWithShowAccelChar) {
    TTestForm form(nullptr);
    TLabel& label = form.Create<TLabel>(L"Label");
    label.SetCaption(L"A&&B&C");
    const int withAccelerators = label.Width();
    label.SetShowAccelChar(false);
    EXPECT_GT(label.Width(), withAccelerators); // every ampersand is drawn
}

// ---- Panels ----

TEST(Panel, AlignedClientPanelFillsTheForm) {
    auto form = NewForm(200, 100);
    TPanel& panel = form->Create<TPanel>(L"Panel");
    panel.SetParent(form.get());
    panel.SetAlign(TAlign::alClient);
    EXPECT_EQ(panel.Left(), 0);
    EXPECT_EQ(panel.Top(), 0);
    EXPECT_EQ(panel.Width(), 200);
    EXPECT_EQ(panel.Height(), 100);
    form->SetClientSize(300, 120);
    EXPECT_EQ(panel.Width(), 300);
    EXPECT_EQ(panel.Height(), 120);
    RECT r;
    GetWindowRect(panel.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 300);
}

TEST(Panel, PaintsItsOwnColourUnlessItShowsItsParents) {
    auto form = NewForm(40, 20);
    form->SetColor(0x0000FF);
    TPanel& panel = form->Create<TPanel>(L"Panel");
    panel.SetParent(form.get());
    panel.SetBounds(0, 0, 40, 20);
    panel.SetBevelOuter(TBevelCut::bvNone);
    panel.SetColor(0xFFFFFF);
    Canvas canvas(40, 20);
    panel.PaintTo(canvas.Dc());
    EXPECT_EQ(canvas.At(20, 10), 0xFF0000u); // the form's red (BGR 0x0000FF)
    panel.SetParentBackground(false);
    panel.PaintTo(canvas.Dc());
    EXPECT_EQ(canvas.At(20, 10), 0xFFFFFFu);
}

// ---- Common controls ----

TEST(ComboBoxEx, ItemIndexOutsideTheListClearsTheSelection) {
    auto form = NewForm(300, 100);
    TComboBoxEx& combo = form->Create<TComboBoxEx>(L"Combo");
    combo.SetParent(form.get());
    combo.SetBounds(10, 10, 200, 22);
    combo.AddItem(L"  one", 0, 0);
    combo.AddItem(L"  two", 0, 0);
    combo.SetItemIndex(1); // before the window exists
    const HWND h = combo.Handle();
    form->Handle();
    EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 1);
    combo.AddItem(L"  three", 0, 0);
    EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 3);

    combo.SetItemIndex(3);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), -1);
    combo.SetItemIndex(2);
    EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 2);
    combo.SetItemIndex(-7);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), -1);
}

TEST(ComboBoxEx, ItemIndexFollowsTheUsersChoice) {
    auto form = NewForm(300, 100);
    TComboBoxEx& combo = form->Create<TComboBoxEx>(L"Combo");
    combo.SetParent(form.get());
    combo.SetBounds(10, 10, 200, 22);
    for (const wchar_t* text : {L"a", L"b", L"c"})
        combo.AddItem(text, -1, -1);
    combo.SetItemIndex(0);
    form->Handle();
    const HWND list = reinterpret_cast<HWND>(SendMessageW(combo.Handle(), CBEM_GETCOMBOCONTROL, 0, 0));
    ASSERT_NE(list, nullptr);
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(combo.ItemIndex(), 1);
    SendMessageW(list, WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(combo.ItemIndex(), 2);
}

TEST(ComboBoxEx, ShowsTheImagesOfItsImageList) {
    auto form = NewForm(300, 100);
    TImageList& images = form->Create<TImageList>(L"Images");
    EXPECT_EQ(images.AddPngResource(GetModuleHandleW(nullptr), L"OSDESKTOP_PNG"), 0);
    EXPECT_EQ(images.AddPngResource(GetModuleHandleW(nullptr), L"OSSERVER_PNG"), 1);
    EXPECT_EQ(images.AddPngResource(GetModuleHandleW(nullptr), L"TOPLOGO_PNG"), -1); // not 16 x 16
    EXPECT_EQ(images.AddPngResource(GetModuleHandleW(nullptr), L"NO_SUCH_PICTURE"), -1);
    EXPECT_EQ(images.Count(), 2);
    TComboBoxEx& combo = form->Create<TComboBoxEx>(L"Combo");
    combo.SetImages(&images);
    combo.SetParent(form.get());
    combo.SetBounds(10, 10, 200, 22);
    form->Handle();
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(combo.Handle(), CBEM_GETIMAGELIST, 0, 0)),
              images.Handle());
}

// The colours of a bitmap, one 0x00RRGGBB value a pixel, top row first.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO format = TopDownFormat(width, height);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS) != height) return {};
    for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

// Where the common controls draw without the alpha channel (Windows 2000),
// only the mask keeps the transparent corners of a list picture out.
TEST(ImageList, MasksTheTransparentPixelsOfItsPictures) {
    const PngPicture picture = LoadPngResource(GetModuleHandleW(nullptr), L"OSDESKTOP_PNG");
    ASSERT_EQ(picture.Width, 16);
    UniqueGdiObject mask = CreatePictureMask(picture);
    const auto bits = PixelsOf(static_cast<HBITMAP>(mask.get()), 16, 16);
    ASSERT_EQ(bits.size(), picture.Pixels.size());
    size_t transparent = 0;
    for (size_t i = 0; i < bits.size(); ++i) {
        const bool clear = picture.Pixels[i] >> 24 == 0;
        transparent += clear;
        EXPECT_EQ(bits[i], clear ? 0xFFFFFFu : 0u) << "pixel " << i % 16 << ", " << i / 16;
    }
    EXPECT_GT(transparent, 0u);
    EXPECT_LT(transparent, bits.size());

    // The list keeps a mask of its own, white where the picture is clear and
    // black where it is opaque.
    auto form = NewForm(100, 100);
    TImageList& images = form->Create<TImageList>(L"Images");
    ASSERT_EQ(images.AddPngResource(GetModuleHandleW(nullptr), L"OSDESKTOP_PNG"), 0);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(images.Handle(), 0, &info));
    BITMAP strip{};
    ASSERT_TRUE(info.hbmMask && GetObjectW(info.hbmMask, sizeof(strip), &strip)) << "the list has no mask";
    const auto listed = PixelsOf(info.hbmMask, strip.bmWidth, strip.bmHeight);
    ASSERT_FALSE(listed.empty());
    for (size_t i = 0; i < picture.Pixels.size(); ++i) {
        const std::uint32_t alpha = picture.Pixels[i] >> 24;
        const size_t x = info.rcImage.left + i % 16, y = info.rcImage.top + i / 16;
        if (alpha == 0 || alpha == 255) {
            EXPECT_EQ(listed[y * strip.bmWidth + x], alpha == 0 ? 0xFFFFFFu : 0u)
                << "pixel " << i % 16 << ", " << i / 16;
        }
    }
}

TEST(TrackBar, PositionStaysInRangeAndFollowsTheUser) {
    auto form = NewForm(300, 100);
    TTrackBar& bar = form->Create<TTrackBar>(L"Speed");
    bar.SetParent(form.get());
    bar.SetBounds(10, 10, 200, 44);
    bar.SetMin(0);
    bar.SetMax(1);
    bar.SetPageSize(1);
    bar.SetThumbLength(26);
    bar.TickMarks = TTickMark::tmBoth;
    bar.SetPosition(5);
    EXPECT_EQ(bar.Position(), 1);
    bar.SetPosition(-3);
    EXPECT_EQ(bar.Position(), 0);

    form->Handle();
    const HWND h = bar.Handle();
    EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & TBS_BOTH);
    EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & TBS_FIXEDLENGTH);
    EXPECT_EQ(SendMessageW(h, TBM_GETTHUMBLENGTH, 0, 0), 26);
    EXPECT_EQ(SendMessageW(h, TBM_GETPAGESIZE, 0, 0), 1);
    SendMessageW(h, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(bar.Position(), 1);
    SendMessageW(h, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(bar.Position(), 1);
    SendMessageW(h, WM_KEYDOWN, VK_HOME, 1);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetPosition(1);
    EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), 1);
}

TEST(ProgressBar, PositionStaysInRange) {
    auto form = NewForm(300, 100);
    TProgressBar& bar = form->Create<TProgressBar>(L"Progress");
    bar.Smooth = true;
    bar.Cursor = crHourGlass;
    bar.SetParent(form.get());
    bar.SetBounds(42, 59, 401, 17);
    bar.SetPosition(52);
    form->Handle();
    const HWND h = bar.Handle();
    EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & PBS_SMOOTH);
    EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 52);
    EXPECT_EQ(SendMessageW(h, PBM_GETRANGE, FALSE, 0), 100);
    bar.SetPosition(250);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 100);
    bar.SetPosition(0);
    EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 0);
}

// ---- Keyboard, as in a dialog ----

class Keyboard : public testing::Test {
  protected:
    void SetUp() override {
        form = NewForm(300, 200);
        panel = &form->Create<TPanel>(L"Panel");
        panel->SetParent(form.get());
        panel->SetBounds(0, 0, 300, 160);
        panel->TabOrder = 0;
        save = &AddButton(L"SaveButton", L"&Save", 10, 2);
        other = &AddButton(L"OtherButton", L"&Other", 50, 1);
        save->SetDefault(true);
        combo = &form->Create<TComboBoxEx>(L"Combo");
        combo->SetParent(panel);
        combo->SetBounds(10, 90, 150, 22);
        combo->AddItem(L"first", -1, -1);
        combo->TabOrder = 0;
        outside = &form->Create<TButton>(L"Outside");
        outside->SetParent(form.get());
        outside->SetCaption(L"O&utside");
        outside->SetBounds(10, 165, 80, 30);
        outside->TabOrder = 1;
        outside->OnClick = [this](TComponent*) { ++outsideClicks; };
        form->Show();
        Application.ProcessMessages();
    }
    TButton& AddButton(const wchar_t* name, const wchar_t* caption, int top, int tabOrder) {
        TButton& button = form->Create<TButton>(name);
        button.SetParent(panel);
        button.SetCaption(caption);
        button.SetBounds(200, top, 80, 30);
        button.TabOrder = tabOrder;
        int* count = button.Name == L"SaveButton" ? &saveClicks : &otherClicks;
        button.OnClick = [count](TComponent*) { ++*count; };
        return button;
    }
    static void Post(UINT msg, WPARAM key, LPARAM data = 1) {
        PostMessageW(GetFocus(), msg, key, data);
        Application.ProcessMessages();
    }
    static bool LooksDefault(TButton* button) {
        return (GetWindowLongW(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    }

    std::unique_ptr<TTestForm> form;
    TPanel* panel = nullptr;
    TButton *save = nullptr, *other = nullptr, *outside = nullptr;
    TComboBoxEx* combo = nullptr;
    int saveClicks = 0, otherClicks = 0, outsideClicks = 0;
};

TEST_F(Keyboard, ChildWindowsHaveDistinctControlIds) {
    std::vector<int> ids;
    for (TWinControl* c : std::initializer_list<TWinControl*>{panel, save, other, combo, outside})
        ids.push_back(GetDlgCtrlID(c->Handle()));
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_GE(ids[i], 100);
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(ids[i], ids[j]);
    }
}

TEST_F(Keyboard, FirstControlInTabOrderHasTheFocusAndTabFollowsTheOrder) {
    SetFocus(form->Handle());
    EXPECT_TRUE(IsChild(combo->Handle(), GetFocus()));
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(GetFocus(), other->Handle());
    EXPECT_TRUE(LooksDefault(other));
    EXPECT_FALSE(LooksDefault(save));
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(GetFocus(), save->Handle());
    EXPECT_FALSE(LooksDefault(other));
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(GetFocus(), outside->Handle());
    EXPECT_TRUE(LooksDefault(outside));
    EXPECT_FALSE(LooksDefault(save));
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(IsChild(combo->Handle(), GetFocus()));
    // Back outside the buttons, the default button wears the frame again.
    EXPECT_TRUE(LooksDefault(save));
    EXPECT_FALSE(LooksDefault(outside));
}

TEST_F(Keyboard, EnterOutsideAButtonPressesTheDefaultButton) {
    combo->SetFocus();
    EXPECT_TRUE(LooksDefault(save));
    Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(saveClicks, 1);
    EXPECT_EQ(otherClicks, 0);
}

TEST_F(Keyboard, EnterOnAButtonPressesThatButtonWhichLooksDefaultMeanwhile) {
    other->SetFocus();
    EXPECT_TRUE(LooksDefault(other));
    EXPECT_FALSE(LooksDefault(save));
    Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(saveClicks, 0);
    combo->SetFocus();
    EXPECT_TRUE(LooksDefault(save));
    EXPECT_FALSE(LooksDefault(other));
}

TEST_F(Keyboard, DisabledDefaultButtonIsNotPressed) {
    save->SetEnabled(false);
    combo->SetFocus();
    Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(saveClicks, 0);
}

TEST_F(Keyboard, AltAndAnAcceleratorPressTheButtonAnywhereOnTheForm) {
    combo->SetFocus();
    Post(WM_SYSKEYDOWN, 'O', 1 << 29);
    EXPECT_EQ(otherClicks, 1);
    Post(WM_SYSKEYDOWN, 'U', 1 << 29);
    EXPECT_EQ(outsideClicks, 1);
    Post(WM_SYSKEYDOWN, 'S', 1 << 29);
    EXPECT_EQ(saveClicks, 1);
    Post(WM_SYSKEYDOWN, 'X', 1 << 29);
    EXPECT_EQ(saveClicks + otherClicks + outsideClicks, 3);
}

// A press queued behind one that disabled the window reaches nothing.
TEST_F(Keyboard, InputQueuedForAWindowDisabledMeanwhileIsDropped) {
    other->SetFocus();
    const HWND button = other->Handle();
    for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP})
        PostMessageW(button, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
    PostMessageW(button, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(button, BM_CLICK, 0, 0);
    form->SetEnabled(false);
    Application.ProcessMessages();
    EXPECT_EQ(otherClicks, 0);
    form->SetEnabled(true);
    other->SetFocus();
    Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(otherClicks, 1) << "the window takes input again";
}

TEST_F(Keyboard, ApplicationEventsSeeEveryKeyDownFirst) {
    std::vector<WORD> seen;
    bool swallow = false;
    TApplicationEvents& events = form->Create<TApplicationEvents>(L"Events");
    events.OnShortCut = [&](TWMKey& msg, bool& handled) {
        seen.push_back(msg.CharCode);
        if (swallow) handled = true;
    };
    other->SetFocus();
    Post(WM_KEYDOWN, VK_F1);
    Post(WM_SYSKEYDOWN, 'O', 1 << 29);
    EXPECT_EQ(seen, (std::vector<WORD>{VK_F1, 'O'}));
    EXPECT_EQ(otherClicks, 1);
    swallow = true;
    Post(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(otherClicks, 1);
}

TEST(ModalResult, ClickingAButtonWithAResultClosesTheModalForm) {
    auto form = NewForm(200, 100);
    TButton& ok = form->Create<TButton>(L"OkButton");
    ok.SetParent(form.get());
    ok.SetBounds(10, 10, 80, 25);
    ok.ModalResult = mrOk;
    form->Handle();
    PostMessageW(ok.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST(ModalResult, AFailureInTheModalLoopGivesTheOtherWindowsBack) {
    auto owner = NewForm(200, 100);
    owner->Show();
    auto dialog = NewForm(100, 50);
    const auto savedShortCut = Application.OnShortCut;
    Application.OnShortCut = [](const MSG&) -> bool { throw std::runtime_error("the handler failed"); };
    PostMessageW(dialog->Handle(), WM_KEYDOWN, VK_F1, 1);
    EXPECT_THROW(dialog->ShowModal(), std::runtime_error);
    Application.OnShortCut = savedShortCut;
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
    // No longer modal: closing hides the form instead of waiting for a loop that has ended.
    dialog->Show();
    dialog->Close();
    EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
}

TEST(Button, ShieldAndDefaultStyle) {
    auto form = NewForm(200, 100);
    TButton& button = form->Create<TButton>(L"Updates");
    button.SetParent(form.get());
    button.SetBounds(10, 10, 150, 33);
    button.SetElevationRequired(true);
    button.SetDefault(true);
    form->Handle();
    EXPECT_EQ(GetWindowLongW(button.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(button.ElevationRequired());
    button.SetDefault(false);
    EXPECT_EQ(GetWindowLongW(button.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

// ---- The window procedure ----

// A control whose handler fails as its window goes.
template <class Base> class TThrowingAtDestroy : public Base {
  public:
    using Base::Base;

  protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NCDESTROY) throw std::runtime_error("the handler failed");
        return Base::WndProc(msg, wp, lp);
    }
};

template <class Control> void ExpectUnboundAfterAFailedDestroy() {
    auto form = NewForm(200, 100);
    Control& control = form->template Create<Control>(L"");
    control.SetParent(form.get());
    control.SetBounds(10, 10, 80, 25);
    const HWND first = control.Handle();
    ASSERT_TRUE(IsWindow(first));
    DestroyWindow(first);
    EXPECT_FALSE(control.HandleAllocated()) << "the object kept the handle of a destroyed window";
    // The next window is the object's own again.
    const HWND second = control.Handle();
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(TWinControl::FromHandle(second), &control);
}

TEST(WindowProcedure, AFailingDestroyHandlerStillUnbindsTheControl) {
    ExpectUnboundAfterAFailedDestroy<TThrowingAtDestroy<TPanel>>();  // a window of our own class
    ExpectUnboundAfterAFailedDestroy<TThrowingAtDestroy<TButton>>(); // a common control we subclass
}

// ---- Popup menu ----

void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
    EndMenu();
}

TEST(PopupMenu, ChosenItemsClickRunsAfterTheMenuCloses) {
    auto form = NewForm(200, 100);
    form->Show();
    TPopupMenu& menu = form->Create<TPopupMenu>(L"PopupMenu");
    menu.Alignment = TPopupAlignment::paRight;
    menu.TrackButton = TTrackButton::tbLeftButton;
    std::vector<std::wstring> clicked;
    for (const wchar_t* caption : {L"&Help", L"-", L"&Support"}) {
        TMenuItem& item = form->Create<TMenuItem>(L"");
        item.Caption = caption;
        item.OnClick = [&clicked, &item](TComponent* sender) {
            EXPECT_EQ(sender, &item);
            clicked.push_back(item.Caption);
        };
        menu.Add(item);
    }
    // Down, down over the separator, Enter; a timer ends the menu should the keys go astray.
    const HWND h = form->Handle();
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
        PostMessageW(h, WM_KEYDOWN, key, 1);
    const UINT_PTR timer = SetTimer(nullptr, 0, 5000, EndMenuTimer);
    RECT r;
    GetWindowRect(h, &r);
    menu.Popup(r.right, r.top + 20);
    KillTimer(nullptr, timer);
    EXPECT_EQ(clicked, (std::vector<std::wstring>{L"&Support"}));
}

// ---- Hints ----

std::vector<std::pair<RECT, std::wstring>> shownHints;

class TRecordingHintWindow : public THintWindow {
  public:
    using THintWindow::THintWindow;
    void ActivateHint(const RECT& Rect, const std::wstring& AHint) override {
        shownHints.emplace_back(Rect, AHint);
        THintWindow::ActivateHint(Rect, AHint);
    }
};

int hideRequests = 0;
void CountHideRequest(TApplication&) {
    ++hideRequests;
}

// Handles messages, the hint timer's among them, until the condition holds.
template <class Condition> bool PumpUntil(Condition done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Application.ProcessMessages();
    }
    return done();
}

TEST(Hints, ControlUnderTheMouseShowsItsShortHintBelowThePointer) {
    const THintWindowClass savedClass = HintWindowClass;
    HintWindowClass = HintWindowOf<TRecordingHintWindow>;
    Application.HintPause = 1;
    Application.HintHidePause = 600000;
    auto form = NewForm(200, 100);
    TImage& image = AddImage(*form, *form, {0, 0, 50, 50}, OpaqueRed);
    image.Hint = L"Short|Long";
    image.ShowHint = true;
    form->Show();
    const HWND h = form->Handle();

    PostMessageW(h, WM_MOUSEMOVE, 0, At(150, 80));
    PostMessageW(h, WM_MOUSEMOVE, 0, At(10, 20));
    ASSERT_TRUE(PumpUntil([] { return !shownHints.empty(); }));
    POINT expected{10, 20};
    ClientToScreen(h, &expected);
    EXPECT_EQ(shownHints[0].first.left, expected.x);
    EXPECT_EQ(shownHints[0].first.top, expected.y + GetSystemMetrics(SM_CYCURSOR));
    EXPECT_EQ(shownHints[0].second, L"Short");
    EXPECT_EQ(Application.Hint(), L"Long");

    // A key ends the hint, through the replaceable hide step.
    Application.HideHintHook = CountHideRequest;
    PostMessageW(h, WM_KEYDOWN, VK_SHIFT, 1);
    Application.ProcessMessages();
    EXPECT_EQ(hideRequests, 1);
    Application.HideHintHook = nullptr;

    // Shown again, then the mouse leaves the control: hidden, and Application.Hint empty.
    PostMessageW(h, WM_MOUSEMOVE, 0, At(12, 22));
    ASSERT_TRUE(PumpUntil([] { return shownHints.size() == 2; }));
    PostMessageW(h, WM_MOUSEMOVE, 0, At(150, 80));
    Application.ProcessMessages();
    EXPECT_EQ(Application.Hint(), L"");
    EXPECT_FALSE(IsWindowVisible(Application.HintWindow()->Handle()));

    // The control may go while its hint is pending.
    PostMessageW(h, WM_MOUSEMOVE, 0, At(10, 20));
    Application.ProcessMessages();
    form.reset();
    Application.ProcessMessages();

    HintWindowClass = savedClass;
    Application.SetShowHint(false);
    Application.SetShowHint(true);
    Application.HintPause = 500;
    Application.HintHidePause = 2500;
}

} // namespace
