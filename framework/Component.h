// Components with a name and an owner. An owner keeps every component it
// owns, in creation order, and frees them with itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TFont;

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    std::wstring Name;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    // Names compare without regard to the case of ASCII letters.
    TComponent* FindComponent(std::wstring_view name) const;

    // Creates a component owned by this one; the owner frees it.
    template <class T, class... Args> T& Create(std::wstring name, Args&&... args) {
        auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
        T& ref = *component;
        if (!name.empty()) ref.Name = std::move(name);
        owned_.push_back(std::move(component));
        return ref;
    }

    // Stand-ins for looking up the published properties "ParentFont" and
    // "Font" by name: null where the component's class has no such property.
    virtual const bool* ParentFontProperty() const { return nullptr; }
    virtual TFont* FontProperty() { return nullptr; }

private:
    TComponent* owner_;
    std::vector<TComponent*> components_;          // every owned component, in creation order
    std::vector<std::unique_ptr<TComponent>> owned_; // the ones this owner created and frees
};

// Lower-cases the ASCII letters A to Z only, as names and languages are compared.
std::wstring AsciiLower(std::wstring_view text);
bool SameTextAscii(std::wstring_view a, std::wstring_view b);
