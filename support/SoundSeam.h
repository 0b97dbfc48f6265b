// The call that plays the click, replaceable so that tests can tell whether
// and when a handler clicked.
#pragma once

#include <windows.h>

using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR sound, HMODULE module, DWORD flags);

// PlaySoundW unless a test has put its own function here.
extern PlaySoundFunction PlaySoundCall;
