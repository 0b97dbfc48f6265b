#include "support/Sound.h"

#include <mmsystem.h>

#include "support/Seams.h"
#include "support/SystemLibrary.h"

void PlayClickSound() {
    try {
        // Synchronous on purpose: whatever the click accompanies follows its end.
        PlaySoundCall(L"click", GetModuleHandleW(nullptr), SND_RESOURCE | SND_SYNC);
    } catch (...) {
    }
}

BOOL WINAPI PlaySystemSound(LPCWSTR Sound, HMODULE Module, DWORD Flags) {
    try {
        static PlaySoundFunction playSound = nullptr;
        if (!playSound)
            playSound = EntryPoint<PlaySoundFunction>(LoadSystemLibrary(L"winmm.dll"), "PlaySoundW");
        return playSound ? playSound(Sound, Module, Flags) : FALSE;
    } catch (...) {
        return FALSE;
    }
}
