#include "support/CustomRegistry.h"

#include "framework/Handles.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

// No more access than each call needs: a key that grants just that still works.
constexpr REGSAM ReadAccess = KEY_QUERY_VALUE; // 0x0001
constexpr REGSAM WriteAccess = KEY_SET_VALUE;  // 0x0002, also for deletes

REGSAM Mask(REGSAM base, bool use64BitView) {
    return RegistryViewAccess(base, use64BitView);
}

// Callers write paths with a leading backslash; the registry wants them
// relative to the root. Only one is dropped; a trailing one is kept.
std::wstring RelativePath(const std::wstring& key) {
    return (!key.empty() && key.front() == L'\\') ? key.substr(1) : key;
}

// Opens an existing key; never creates one. The registry's answer in *Result.
UniqueRegKey OpenExisting(HKEY root, const std::wstring& key, REGSAM access, LONG* result = nullptr) {
    UniqueRegKey k;
    const LONG rc = RegOpenKeyExW(root, RelativePath(key).c_str(), 0, access, k.receive());
    if (rc != ERROR_SUCCESS) k.reset();
    if (result) *result = rc;
    return k;
}

UniqueRegKey OpenForWriting(HKEY root, const std::wstring& key, bool use64BitView) {
    UniqueRegKey k;
    const std::wstring path = RelativePath(key);
    LONG rc;
    if (path.empty())
        rc = RegOpenKeyExW(root, nullptr, 0, Mask(WriteAccess, use64BitView), k.receive());
    else
        rc = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             Mask(WriteAccess, use64BitView), nullptr, k.receive(), nullptr);
    if (rc != ERROR_SUCCESS) k.reset();
    return k;
}

bool SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size, bool use64BitView) {
    UniqueRegKey k = OpenForWriting(root, key, use64BitView);
    return k && RegSetValueExW(k.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
                    ERROR_SUCCESS;
}

// Data of any type as bytes; no data is still given a valid pointer.
bool SetBytes(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const uint8_t* data,
              size_t count, bool use64BitView) {
    static const uint8_t none = 0;
    return count <= MAXDWORD &&
           SetValue(root, key, name, type, count ? data : &none, static_cast<DWORD>(count), use64BitView);
}

// The value's type and all of its bytes; the registry's answer otherwise.
LONG QueryWhole(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between two queries; ask again with the size it has now.
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        data.resize(size);
        if (size == 0) return ERROR_SUCCESS;
        rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            return rc;
        }
    }
    return rc;
}

// A REG_DWORD of at most four bytes; anything else (missing key or value,
// another type, longer data) is no value at all.
std::optional<int32_t> QueryDword(HKEY root, const std::wstring& key, const std::wstring& name,
                                  bool use64BitView) {
    const std::optional<RegValue> v = ReadRegValue(root, key, name, use64BitView);
    if (!v || !v->Exists || v->Type != REG_DWORD || v->Data.size() > sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    if (!v->Data.empty()) memcpy(&value, v->Data.data(), v->Data.size());
    return static_cast<int32_t>(value);
}

} // namespace

REGSAM RegistryViewAccess(REGSAM Access, bool Use64BitView) {
    if (Use64BitView) return Access | KEY_WOW64_64KEY;
#ifdef _WIN64
    // A 64-bit process sees the 64-bit view unless it asks for the other one.
    return Access | KEY_WOW64_32KEY;
#else
    return Access;
#endif
}

std::wstring ReadRegString(HKEY Root, const std::wstring& Key, const std::wstring& Name,
                           const std::wstring& Default, bool Use64BitView) {
    try {
        const std::optional<RegValue> v = ReadRegValue(Root, Key, Name, Use64BitView);
        if (!v || !v->Exists || (v->Type != REG_SZ && v->Type != REG_EXPAND_SZ)) return Default;
        const std::vector<uint8_t>& data = v->Data;
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        if (!text.empty()) memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos) text.resize(nul);
        return text.empty() ? Default : text;
    } catch (...) {
        return Default;
    }
}

int32_t ReadRegInteger(HKEY Root, const std::wstring& Key, const std::wstring& Name, int32_t Default,
                       bool Use64BitView) {
    try {
        return QueryDword(Root, Key, Name, Use64BitView).value_or(Default);
    } catch (...) {
        return Default;
    }
}

bool ReadRegBool(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Default,
                 bool Use64BitView) {
    try {
        const std::optional<int32_t> value = QueryDword(Root, Key, Name, Use64BitView);
        return value ? *value != 0 : Default;
    } catch (...) {
        return Default;
    }
}

bool WriteRegString(HKEY Root, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value,
                    bool Use64BitView) {
    try {
        return SetValue(Root, Key, Name, REG_SZ, Value.c_str(),
                        static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)), Use64BitView);
    } catch (...) {
        return false;
    }
}

bool WriteRegInteger(HKEY Root, const std::wstring& Key, const std::wstring& Name, int32_t Value,
                     bool Use64BitView) {
    try {
        const DWORD data = static_cast<DWORD>(Value);
        return SetValue(Root, Key, Name, REG_DWORD, &data, sizeof(data), Use64BitView);
    } catch (...) {
        return false;
    }
}

bool WriteRegBinary(HKEY Root, const std::wstring& Key, const std::wstring& Name, const uint8_t* Value,
                    size_t Count, bool Use64BitView) {
    try {
        return SetBytes(Root, Key, Name, REG_BINARY, Value, Count, Use64BitView);
    } catch (...) {
        return false;
    }
}

bool WriteRegBool(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Value,
                  bool Use64BitView) {
    return WriteRegInteger(Root, Key, Name, Value ? 1 : 0, Use64BitView);
}

std::optional<RegValue> ReadRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name,
                                     bool Use64BitView) {
    try {
        LONG opened = ERROR_SUCCESS;
        UniqueRegKey k = OpenExisting(Root, Key, Mask(ReadAccess, Use64BitView), &opened);
        if (opened == ERROR_FILE_NOT_FOUND) return RegValue{};
        if (!k) return std::nullopt;
        RegValue value;
        const LONG rc = QueryWhole(k.get(), Name, value.Type, value.Data);
        if (rc == ERROR_FILE_NOT_FOUND) return RegValue{};
        if (rc != ERROR_SUCCESS) return std::nullopt;
        value.Exists = true;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

bool WriteRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name, const RegValue& Value,
                   bool Use64BitView) {
    try {
        return Value.Exists &&
               SetBytes(Root, Key, Name, Value.Type, Value.Data.data(), Value.Data.size(), Use64BitView);
    } catch (...) {
        return false;
    }
}

bool DeleteRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64BitView) {
    try {
        LONG opened = ERROR_SUCCESS;
        UniqueRegKey k = OpenExisting(Root, Key, Mask(WriteAccess, Use64BitView), &opened);
        if (opened == ERROR_FILE_NOT_FOUND) return true;
        // A key that may be read but not changed still shows whether there is anything to delete.
        if (!k) {
            const std::optional<RegValue> value = ReadRegValue(Root, Key, Name, Use64BitView);
            return value && !value->Exists;
        }
        const LONG rc = RegDeleteValueW(k.get(), Name.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    } catch (...) {
        return false;
    }
}

bool CanWriteRegKey(HKEY Root, const std::wstring& Key, bool Use64BitView) {
    try {
        return static_cast<bool>(OpenForWriting(Root, Key, Use64BitView));
    } catch (...) {
        return false;
    }
}
