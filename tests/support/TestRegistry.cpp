#include "support/TestRegistry.h"

#include <sddl.h>

#include <cstring>

#include "framework/Handles.h"

namespace testreg {

namespace {
std::wstring Relative(const std::wstring& path) {
    return !path.empty() && path[0] == L'\\' ? path.substr(1) : path;
}
} // namespace

std::wstring Value::Text() const {
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    const size_t nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

uint32_t Value::Dword() const {
    uint32_t v = 0;
    memcpy(&v, data.data(), data.size() < 4 ? data.size() : 4);
    return v;
}

void Set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
         DWORD size, REGSAM view) {
    UniqueRegKey key;
    if (RegCreateKeyExW(root, Relative(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        key.receive(), nullptr) == ERROR_SUCCESS)
        RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
               REGSAM view) {
    Set(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
        view);
}

void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value, REGSAM view) {
    Set(root, path, name, REG_DWORD, &value, sizeof(value), view);
}

std::optional<Value> Get(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, Relative(path).c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    Value v;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.data.resize(size);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &v.type, v.data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.data.resize(size);
    return v;
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view) {
    UniqueRegKey key;
    return RegOpenKeyExW(root, Relative(path).c_str(), 0, KEY_READ | view, key.receive()) == ERROR_SUCCESS;
}

void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, Relative(path).c_str(), 0, KEY_ALL_ACCESS | view, key.receive()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), name.c_str());
}

void DeleteTree(HKEY root, const std::wstring& path, REGSAM view) {
    const std::wstring rel = Relative(path);
    UniqueRegKey key;
    if (RegOpenKeyExW(root, rel.c_str(), 0, KEY_ALL_ACCESS | view, key.receive()) != ERROR_SUCCESS) return;
    for (;;) {
        wchar_t child[256];
        DWORD len = 256;
        if (RegEnumKeyExW(key.get(), 0, child, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring sub = rel;
        if (!sub.empty() && sub.back() != L'\\') sub += L'\\';
        DeleteTree(root, sub + child, view);
    }
    key.reset();
    std::wstring trimmed = rel;
    while (!trimmed.empty() && trimmed.back() == L'\\')
        trimmed.pop_back();
    RegDeleteKeyExW(root, trimmed.c_str(), view, 0);
}

namespace {
// Protected, so that nothing inherited from the parent key adds a right.
bool SetDacl(HKEY key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return false;
    const bool set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    return set;
}
} // namespace

KeySecurity::KeySecurity(HKEY root, const std::wstring& path, const wchar_t* sddl, REGSAM view) {
    // The handle keeps the right to give the key its security back.
    if (RegCreateKeyExW(root, Relative(path).c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC | view, nullptr,
                        key_.receive(), nullptr) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (size == 0 ||
        RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
        saved_.clear();
    applied_ = SetDacl(key_.get(), sddl);
}

KeySecurity::~KeySecurity() {
    if (!key_) return;
    if (saved_.empty() ||
        RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data()) != ERROR_SUCCESS)
        SetDacl(key_.get(), L"D:P(A;;KA;;;WD)");
}

ReadOnlyKey::ReadOnlyKey(HKEY root, const std::wstring& path, REGSAM view)
    : KeySecurity(root, path, L"D:P(A;;KR;;;WD)", view) {
    UniqueRegKey probe;
    applied_ = applied_ && RegOpenKeyExW(root, Relative(path).c_str(), 0, KEY_SET_VALUE | view,
                                         probe.receive()) == ERROR_ACCESS_DENIED;
}

} // namespace testreg
