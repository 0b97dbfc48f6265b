// The click that accompanies buttons and links.
#pragma once

#include <windows.h>

// Plays the CLICK wave resource and returns when it has finished.
void PlayClickSound();

// PlaySoundW of winmm, which is loaded from the system folder on the first
// call and, while that fails, tried again on each later one. What the click
// sound calls unless a test replaces it.
BOOL WINAPI PlaySystemSound(LPCWSTR Sound, HMODULE Module, DWORD Flags);
