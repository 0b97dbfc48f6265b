#include "support/SystemFont.h"

#include "framework/Forms.h"

namespace {

// The layouts are drawn for text of this size; a larger desktop font would overflow them.
constexpr int MaxFormFontPoints = 9;

} // namespace

void ApplySystemFont(TForm* Form) {
    try {
        if (!Form) return;
        if (Form->Font.Size() > MaxFormFontPoints) Form->Font.SetSize(MaxFormFontPoints);

        const int count = Form->ComponentCount();
        for (int i = 0; i < count; ++i) {
            TComponent* component = Form->Components(i);
            const bool* parentFont = component->ParentFontProperty();
            if (parentFont && *parentFont) continue;
            TFont* font = component->FontProperty();
            if (!font) continue;
            font->SetName(Form->Font.Name());
            // Larger sizes are headings and stay; nothing is smaller than the form's text.
            if (font->Size() < Form->Font.Size()) font->SetSize(Form->Font.Size());
        }
    } catch (...) {
    }
}
