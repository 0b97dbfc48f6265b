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
    std::wstring Text() const; // REG_SZ data up to its NUL
    uint32_t Dword() const;
};

void Set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
         DWORD size, REGSAM view = KEY_WOW64_32KEY);
void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
               REGSAM view = KEY_WOW64_32KEY);
void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value,
              REGSAM view = KEY_WOW64_32KEY);
std::optional<Value> Get(HKEY root, const std::wstring& path, const std::wstring& name,
                         REGSAM view = KEY_WOW64_32KEY);
bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_32KEY);
void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name,
                 REGSAM view = KEY_WOW64_32KEY);
void DeleteTree(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_32KEY);

// For as long as it lives, the key (created if missing) grants just what the
// security descriptor's DACL does, protected from what its parent passes
// on; then the key's own security comes back.
class KeySecurity {
  public:
    KeySecurity(HKEY root, const std::wstring& path, const wchar_t* sddl, REGSAM view = KEY_WOW64_32KEY);
    ~KeySecurity();
    KeySecurity(const KeySecurity&) = delete;
    KeySecurity& operator=(const KeySecurity&) = delete;
    bool Applied() const { return applied_; }

  protected:
    bool applied_ = false;

  private:
    UniqueRegKey key_;
    std::vector<uint8_t> saved_;
};

// Everyone may read the key and nobody may change it, as for a user without
// administrator rights.
class ReadOnlyKey : public KeySecurity {
  public:
    ReadOnlyKey(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_32KEY);
};

} // namespace testreg
