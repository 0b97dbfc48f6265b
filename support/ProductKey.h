// The product's own registry key: HKEY_LOCAL_MACHINE, 32-bit view, and the
// names of the values it keeps there.
#pragma once

#include <windows.h>

#include <string>

inline const HKEY ProductKeyRoot = HKEY_LOCAL_MACHINE;
inline constexpr wchar_t ProductKeyLiteral[] = L"\\Software\\Brenlow\\Hastrel\\";

// Program-wide path of the product key; the program block assigns it before
// its first registry call, every other user passes it unchanged.
inline std::wstring ProductKeyPath = ProductKeyLiteral;

// The originals of the tuned values that have no backup of their own among
// the product key's values, each under its Windows value name; a subkey of
// the product key.
inline std::wstring OriginalsKeyPath() {
    std::wstring path = ProductKeyPath;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + L"Originals\\";
}

namespace ProductValue {
inline constexpr wchar_t Language[] = L"Language";
inline constexpr wchar_t InstalledDate[] = L"InstalledDate";
inline constexpr wchar_t Updated[] = L"Updated";
inline constexpr wchar_t UpdatedDate[] = L"UpdatedDate";
inline constexpr wchar_t InternetType[] = L"InternetType";
inline constexpr wchar_t ProcessorType[] = L"ProcessorType";
inline constexpr wchar_t SpeedSetting[] = L"SpeedSetting";
inline constexpr wchar_t Restore[] = L"Restore"; // the applied flag
} // namespace ProductValue
