#include "support/NativeHandCursor.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Forms.h"

namespace {

TEST(NativeHandCursor, HandPointBecomesTheSystemHand) {
    Screen.SetCursors(crHandPoint, LoadCursorW(nullptr, IDC_ARROW));
    StartNativeHandCursor();
    EXPECT_EQ(Screen.Cursors(crHandPoint), LoadCursorW(nullptr, IDC_HAND));
}

} // namespace
