#include "framework/Menus.h"

#include "framework/Forms.h"

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

namespace {

struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;

struct AlignmentFlag {
    TPopupAlignment Alignment;
    UINT Flag;
};
constexpr AlignmentFlag AlignmentFlags[] = {
    {TPopupAlignment::paLeft, TPM_LEFTALIGN},
    {TPopupAlignment::paRight, TPM_RIGHTALIGN},
    {TPopupAlignment::paCenter, TPM_CENTERALIGN},
};

struct AnimationFlag {
    TMenuAnimation Animation;
    UINT Flag;
};
constexpr AnimationFlag AnimationFlags[] = {
    {maLeftToRight, TPM_HORPOSANIMATION},
    {maRightToLeft, TPM_HORNEGANIMATION},
    {maTopToBottom, TPM_VERPOSANIMATION},
    {maBottomToTop, TPM_VERNEGANIMATION},
    {maNone, TPM_NOANIMATION},
};

// The window that owns the menu while it is open: the form the menu belongs
// to, or else the application's window.
HWND MenuOwnerWindow(const TComponent& menu) {
    for (TComponent* c = menu.Owner(); c; c = c->Owner())
        if (auto* form = dynamic_cast<TForm*>(c); form && form->HandleAllocated()) return form->Handle();
    return Application.Handle();
}

} // namespace

void TPopupMenu::Popup(int X, int Y) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    for (size_t i = 0; i < Items.size(); ++i) {
        const std::wstring& caption = Items[i]->Caption;
        if (caption == L"-")
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu.get(), MF_STRING, i + 1, caption.c_str());
    }
    UINT flags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_TOPALIGN;
    flags |= TrackButton == TTrackButton::tbLeftButton ? TPM_LEFTBUTTON : TPM_RIGHTBUTTON;
    for (const AlignmentFlag& row : AlignmentFlags)
        if (row.Alignment == Alignment) flags |= row.Flag;
    for (const AnimationFlag& row : AnimationFlags)
        if (MenuAnimation & row.Animation) flags |= row.Flag;
    const int chosen =
        static_cast<int>(TrackPopupMenu(menu.get(), flags, X, Y, 0, MenuOwnerWindow(*this), nullptr));
    menu.reset();
    // The item list may have changed while the menu was open.
    if (chosen > 0 && static_cast<size_t>(chosen) <= Items.size())
        Items[static_cast<size_t>(chosen) - 1]->Click();
}
