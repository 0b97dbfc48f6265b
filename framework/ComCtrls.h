// The common controls: image lists, combo boxes with images, track bars and
// progress bars.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Controls.h"

struct ImageListTraits {
    static HIMAGELIST invalid() { return nullptr; }
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;

// Small pictures of one size with alpha, for the items of lists.
class TImageList : public TComponent {
  public:
    explicit TImageList(TComponent* owner);

    // The size of every image; fixed once the first image is added.
    int Width = 16;
    int Height = 16;

    // Adds the PNG of an RCDATA resource of Module; returns its index, or -1
    // when it is missing, damaged or not of the list's size.
    int AddPngResource(HMODULE module, const std::wstring& name);
    int Count() const;
    HIMAGELIST Handle() const { return list_.get(); }

  private:
    UniqueImageList list_;
};

enum class TComboBoxExStyle { csExDropDown, csExDropDownList };

struct TComboExItem {
    std::wstring Caption;
    int ImageIndex = -1;
    int SelectedImageIndex = -1;
};

// A combo box whose items carry a picture from an image list.
class TComboBoxEx : public TWinControl {
  public:
    explicit TComboBoxEx(TComponent* owner);

    TComboBoxExStyle Style = TComboBoxExStyle::csExDropDownList;
    // How many items the opened list shows without scrolling.
    int DropDownCount = 8;

    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);

    void AddItem(const std::wstring& caption, int imageIndex, int selectedImageIndex);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const TComboExItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }

    // The selected position, -1 for none; setting a position outside the
    // list clears the selection. Follows the user's choice.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    // Height is the closed box's; the window also holds the opened list.
    void SetBounds(int left, int top, int width, int height) override;

  protected:
    bool PublishesFont() const override { return true; }
    void CreateParams(WindowParams& params) override;
    void HandleCreated() override;
    bool ReflectCommand(WORD code) override;

  private:
    void InsertItemIntoWindow(int index);
    int WindowHeight() const { return Height() * (DropDownCount + 1); }

    TImageList* images_ = nullptr;
    std::vector<TComboExItem> items_;
    int itemIndex_ = -1;
};

enum class TTickMark { tmBottomRight, tmTopLeft, tmBoth };

// A horizontal slider over a range of whole numbers.
class TTrackBar : public TWinControl {
  public:
    explicit TTrackBar(TComponent* owner);

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    // Always within Min..Max; follows the user's dragging and keys.
    int Position() const { return position_; }
    void SetPosition(int value);
    // How far Page Up and Page Down move the thumb.
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    TTickMark TickMarks = TTickMark::tmBottomRight;
    // The thumb's length across the bar, in pixels.
    int ThumbLength() const { return thumbLength_; }
    void SetThumbLength(int value);

  protected:
    void CreateParams(WindowParams& params) override;
    void HandleCreated() override;
    bool ReflectScroll(WORD code) override;

  private:
    void ClampPosition();

    int min_ = 0, max_ = 10, position_ = 0, pageSize_ = 2, thumbLength_ = 20;
};

// A bar that shows how much of an operation is done.
class TProgressBar : public TWinControl {
  public:
    explicit TProgressBar(TComponent* owner);

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    // A continuous bar instead of blocks.
    bool Smooth = false;

  protected:
    void CreateParams(WindowParams& params) override;
    void HandleCreated() override;

  private:
    int min_ = 0, max_ = 100, position_ = 0;
};
