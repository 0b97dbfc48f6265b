#include "support/Seams.h"

#include <shellapi.h>

#include "support/Sound.h"

namespace {

std::optional<TMonitor> NearestMonitor(POINT point) {
    return Screen.MonitorFromPoint(point, TMonitorDefaultTo::mdNearest);
}

} // namespace

ExitWindowsFunction ExitWindowsCall = ExitWindowsEx;
ShellExecuteFunction ShellExecuteCall = ShellExecuteW;
HtmlHelpFunction HtmlHelpCallOverride = nullptr;
const wchar_t* HtmlHelpLibraryName = L"hhctrl.ocx";
PlaySoundFunction PlaySoundCall = PlaySystemSound;
MessageBoxFunction MessageBoxCall = MessageBoxW;
SendMessageFunction SendToolTipMessageCall = SendMessageW;
GetDoubleClickTimeFunction GetDoubleClickTimeCall = GetDoubleClickTime;
GetCursorPosFunction GetCursorPosCall = GetCursorPos;
MonitorFromPointFunction MonitorFromPointCall = NearestMonitor;
