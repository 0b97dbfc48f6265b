// Libraries of Windows' own, taken from the system folder only. The program
// runs elevated, often from a folder that others can write to, so nothing
// beside it or in its current folder may stand in for one of them.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

// Loads FileName, a plain file name, by its full path in the system folder;
// the library's own dependencies are looked for there first as well. Null
// when it cannot be loaded, or when FileName holds a path of its own.
HMODULE LoadSystemLibrary(const std::wstring& FileName);

// Narrows every later search for a library to the system folder where
// Windows offers that, and takes the current folder out of the search.
// Called first thing at start-up.
void RestrictLibrarySearch();
