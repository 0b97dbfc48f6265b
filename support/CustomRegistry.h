// Registry reads, writes and deletes with defaults. Every call opens its own
// key, does one thing, closes the key and never reports a failure: reads
// fall back to the caller's default, writes and deletes silently do nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

std::wstring ReadRegString(HKEY Root, const std::wstring& Key, const std::wstring& Name,
                           const std::wstring& Default, bool Use64BitView);
int32_t ReadRegInteger(HKEY Root, const std::wstring& Key, const std::wstring& Name, int32_t Default,
                       bool Use64BitView);
bool ReadRegBool(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Default,
                 bool Use64BitView);

void WriteRegString(HKEY Root, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value,
                    bool Use64BitView);
void WriteRegInteger(HKEY Root, const std::wstring& Key, const std::wstring& Name, int32_t Value,
                     bool Use64BitView);
void WriteRegBinary(HKEY Root, const std::wstring& Key, const std::wstring& Name, const uint8_t* Value,
                    size_t Count, bool Use64BitView);
void WriteRegBool(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Value, bool Use64BitView);

void DeleteRegValue(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64BitView);
