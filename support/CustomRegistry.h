// Registry reads, writes and deletes with defaults. Every call opens its own
// key, does one thing, closes the key and never raises: reads fall back to
// the caller's default, writes and deletes that fail change nothing. Writes
// and deletes also say whether they succeeded, for the callers that depend
// on it; every other caller simply ignores the answer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The access mask that opens a key in the view the caller means: the 32-bit
// view (where the product key and the catalogue live) or, with
// Use64BitView, the 64-bit one. Both builds of the program land in the same
// places: the 32-bit build passes no view flag for the 32-bit view, the
// 64-bit build has to name it.
REGSAM RegistryViewAccess(REGSAM Access, bool Use64BitView);

std::wstring ReadRegString(HKEY Root, const std::wstring& Key, const std::wstring& Name,
                           const std::wstring& Default, bool Use64BitView);
int32_t ReadRegInteger(HKEY Root, const std::wstring& Key, const std::wstring& Name, int32_t Default,
                       bool Use64BitView);
bool ReadRegBool(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Default,
                 bool Use64BitView);

bool WriteRegString(HKEY Root, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value,
                    bool Use64BitView);
bool WriteRegInteger(HKEY Root, const std::wstring& Key, const std::wstring& Name, int32_t Value,
                     bool Use64BitView);
bool WriteRegBinary(HKEY Root, const std::wstring& Key, const std::wstring& Name, const uint8_t* Value,
                    size_t Count, bool Use64BitView);
bool WriteRegBool(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Value,
                  bool Use64BitView);

// A value exactly as the registry holds it, its type and its bytes, or the
// fact that there is none (its key or the value itself is missing).
struct RegValue {
    bool Exists = false;
    DWORD Type = REG_NONE;
    std::vector<uint8_t> Data;
};

// Reads the value whole, at any size. No answer where it cannot be told what
// is there: a key that exists but may not be read, a query that fails for any
// reason other than "not found".
std::optional<RegValue> ReadRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name,
                                     bool Use64BitView);
// Stores Value's type and bytes, creating the key as the other writes do.
bool WriteRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name, const RegValue& Value,
                   bool Use64BitView);

// True when the value is gone afterwards: deleted, or never there.
bool DeleteRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64BitView);

// Whether the key can be opened, or created, for writing values, as a write
// would open it. Creates the key when it is missing, and writes nothing.
bool CanWriteRegKey(HKEY Root, const std::wstring& Key, bool Use64BitView);
