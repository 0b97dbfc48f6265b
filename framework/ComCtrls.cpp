#include "framework/ComCtrls.h"

#include <algorithm>

#include "framework/Bitmaps.h"

// ---- TImageList ----

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

int TImageList::AddPngResource(HMODULE module, const std::wstring& name) {
    const PngPicture picture = LoadPngResource(module, name);
    if (picture.Empty() || picture.Width != Width || picture.Height != Height) return -1;
    // The mask stands in for the alpha channel where the common controls
    // draw without it (Windows 2000); version 6 blends as before.
    if (!list_) list_.reset(ImageList_Create(Width, Height, ILC_COLOR32 | ILC_MASK, 4, 4));
    if (!list_) return -1;
    UniqueGdiObject bitmap = CreatePictureBitmap(picture, TAlphaForm::Straight);
    UniqueGdiObject mask = CreatePictureMask(picture);
    if (!bitmap || !mask) return -1;
    return ImageList_Add(list_.get(), static_cast<HBITMAP>(bitmap.get()), static_cast<HBITMAP>(mask.get()));
}

int TImageList::Count() const {
    return list_ ? ImageList_GetImageCount(list_.get()) : 0;
}

// ---- TComboBoxEx ----

TComboBoxEx::TComboBoxEx(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
}

void TComboBoxEx::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.className = WC_COMBOBOXEXW;
    params.style |=
        WS_VSCROLL | (Style == TComboBoxExStyle::csExDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    // The control tabs as one stop; the dialog manager must not look inside it.
    params.exStyle = 0;
    params.height = WindowHeight();
}

void TComboBoxEx::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    if (HandleAllocated()) MoveWindow(Handle(), left, top, width, WindowHeight(), TRUE);
}

void TComboBoxEx::HandleCreated() {
    const HWND h = Handle();
    if (images_) SendMessageW(h, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    for (int i = 0; i < ItemCount(); ++i)
        InsertItemIntoWindow(i);
    SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBoxEx::SetImages(TImageList* images) {
    images_ = images;
    if (HandleAllocated())
        SendMessageW(Handle(), CBEM_SETIMAGELIST, 0,
                     reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void TComboBoxEx::AddItem(const std::wstring& caption, int imageIndex, int selectedImageIndex) {
    items_.push_back({caption, imageIndex, selectedImageIndex});
    if (HandleAllocated()) InsertItemIntoWindow(ItemCount() - 1);
}

void TComboBoxEx::InsertItemIntoWindow(int index) {
    const TComboExItem& source = Item(index);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(source.Caption.c_str());
    item.iImage = source.ImageIndex;
    item.iSelectedImage = source.SelectedImageIndex;
    SendMessageW(Handle(), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TComboBoxEx::SetItemIndex(int index) {
    itemIndex_ = (index >= 0 && index < ItemCount()) ? index : -1;
    if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

bool TComboBoxEx::ReflectCommand(WORD code) {
    if (code != CBN_SELCHANGE) return false;
    itemIndex_ = static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
    return true;
}

// ---- TTrackBar ----

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
}

void TTrackBar::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.className = TRACKBAR_CLASSW;
    params.style |= TBS_HORZ | TBS_AUTOTICKS | TBS_FIXEDLENGTH;
    switch (TickMarks) {
    case TTickMark::tmBottomRight:
        params.style |= TBS_BOTTOM;
        break;
    case TTickMark::tmTopLeft:
        params.style |= TBS_TOP;
        break;
    case TTickMark::tmBoth:
        params.style |= TBS_BOTH;
        break;
    }
    params.exStyle = 0;
}

void TTrackBar::HandleCreated() {
    const HWND h = Handle();
    SendMessageW(h, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(h, TBM_SETRANGEMAX, FALSE, max_);
    SendMessageW(h, TBM_SETPAGESIZE, 0, pageSize_);
    SendMessageW(h, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(thumbLength_), 0);
    SendMessageW(h, TBM_SETTICFREQ, 1, 0);
    SendMessageW(h, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::ClampPosition() {
    position_ = std::clamp(position_, min_, std::max(min_, max_));
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(int value) {
    min_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETRANGEMIN, TRUE, min_);
    ClampPosition();
}

void TTrackBar::SetMax(int value) {
    max_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max_);
    ClampPosition();
}

void TTrackBar::SetPosition(int value) {
    position_ = value;
    ClampPosition();
}

void TTrackBar::SetPageSize(int value) {
    pageSize_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, pageSize_);
}

void TTrackBar::SetThumbLength(int value) {
    thumbLength_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(thumbLength_), 0);
}

bool TTrackBar::ReflectScroll(WORD /*code*/) {
    position_ = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
    return true;
}

// ---- TProgressBar ----

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {}

void TProgressBar::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.className = PROGRESS_CLASSW;
    if (Smooth) params.style |= PBS_SMOOTH;
    params.exStyle = 0;
}

void TProgressBar::HandleCreated() {
    const HWND h = Handle();
    SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int value) {
    min_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SetPosition(position_);
}

void TProgressBar::SetMax(int value) {
    max_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SetPosition(position_);
}

void TProgressBar::SetPosition(int value) {
    position_ = std::clamp(value, min_, std::max(min_, max_));
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}
