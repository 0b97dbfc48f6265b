#include "support/Sound.h"

#include <windows.h>
#include <mmsystem.h>

#include "support/Seams.h"

void PlayClickSound() {
    try {
        // Synchronous on purpose: whatever the click accompanies follows its end.
        PlaySoundCall(L"click", GetModuleHandleW(nullptr), SND_RESOURCE | SND_SYNC);
    } catch (...) {
    }
}
