// Direct registry access for tests: set up values of any type and read back
// exactly what the program stored, in the 32-bit view unless told otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"

namespace testreg {

struct Value {
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    std::wstring Text() const;  // REG_SZ data up to its NUL
    uint32_t Dword() const;
};

void Set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size,
         REGSAM view = KEY_WOW64_32KEY);
void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
               REGSAM view = KEY_WOW64_32KEY);
void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value,
              REGSAM view = KEY_WOW64_32KEY);
std::optional<Value> Get(HKEY root, const std::wstring& path, const std::wstring& name,
                         REGSAM view = KEY_WOW64_32KEY);
bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_32KEY);
void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view = KEY_WOW64_32KEY);
void DeleteTree(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_32KEY);

// For as long as it lives, everyone may read the key (created if missing) and
// nobody may change it, as for a user without administrator rights; then the
// key's own security comes back.
class ReadOnlyKey {
  public:
    ReadOnlyKey(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_32KEY);
    ~ReadOnlyKey();
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;
    // Whether the key really is read-only now.
    bool Applied() const { return applied_; }

  private:
    UniqueRegKey key_;
    std::vector<uint8_t> saved_;
    bool applied_ = false;
};

} // namespace testreg
