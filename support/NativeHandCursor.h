// The system's own hand cursor for every control whose cursor is crHandPoint.
#pragma once

// Unit start: crHandPoint becomes the shared system hand cursor.
void StartNativeHandCursor();
// Unit end: nothing to undo.
void EndNativeHandCursor();
