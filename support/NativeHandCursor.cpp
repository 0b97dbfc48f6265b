#include "support/NativeHandCursor.h"

#include <windows.h>

#include "framework/Forms.h"

void StartNativeHandCursor() {
    try {
        Screen.SetCursors(crHandPoint, LoadCursorW(nullptr, IDC_HAND));
    } catch (...) {
    }
}

void EndNativeHandCursor() {}
