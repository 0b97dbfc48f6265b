// What the native hint window asks of Windows, replaceable so that tests can
// see the messages sent to the tooltip and place hints on a screen of their
// own: Wine's tooltips adjust and clamp differently from Windows'.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/Forms.h"

using SendMessageFunction = LRESULT(WINAPI*)(HWND window, UINT message, WPARAM wp, LPARAM lp);
using GetDoubleClickTimeFunction = UINT(WINAPI*)();
using GetCursorPosFunction = BOOL(WINAPI*)(LPPOINT point);
using MonitorFromPointFunction = std::optional<TMonitor> (*)(POINT point);

// SendMessageW, for every message sent to a tooltip, unless a test has put its own function here.
extern SendMessageFunction SendToolTipMessageCall;
// GetDoubleClickTime unless a test has put its own function here.
extern GetDoubleClickTimeFunction GetDoubleClickTimeCall;
// GetCursorPos unless a test has put its own function here.
extern GetCursorPosFunction GetCursorPosCall;
// Screen.MonitorFromPoint with the nearest-monitor rule unless a test has put its own function here.
extern MonitorFromPointFunction MonitorFromPointCall;
