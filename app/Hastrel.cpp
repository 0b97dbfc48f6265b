// The program block: stamps the install and update dates, hands over to a
// running instance, or creates the three windows and runs the message loop.
#include <windows.h>

#include "app/DornithAboutForm.h"
#include "app/DornithForm.h"
#include "app/DornithSettingsForm.h"
#include "support/ProductKey.h"
#include "framework/DateTime.h"
#include "framework/Forms.h"
#include "support/CustomRegistry.h"
#include "support/NativeHandCursor.h"
#include "support/NativeHintWindow.h"
#include "support/SystemLibrary.h"

namespace {

std::wstring InstalledDateText;

std::wstring NowInStartupLayout() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateTimeToText(now, StartupFormatSettings());
}

// Restores and raises the main window of a running instance, if there is one.
bool FindRunningInstance(const std::wstring& windowClass, bool bringForward) {
    try {
        HWND window = FindWindowW(windowClass.c_str(), nullptr);
        if (!window) return false;
        if (bringForward) {
            ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything could load a library on the program's behalf.
    RestrictLibrarySearch();

    // The platform units start before the program block and end after it, in reverse order.
    StartNativeHandCursor();
    StartNativeHintWindow();

    ProductKeyPath = ProductKeyLiteral;

    InstalledDateText =
        ReadRegString(ProductKeyRoot, ProductKeyPath, ProductValue::InstalledDate, L"", false);
    if (InstalledDateText.empty()) {
        InstalledDateText = NowInStartupLayout();
        WriteRegString(ProductKeyRoot, ProductKeyPath, ProductValue::InstalledDate, InstalledDateText, false);
    }

    if (ReadRegBool(ProductKeyRoot, ProductKeyPath, ProductValue::Updated, false, false)) {
        WriteRegBool(ProductKeyRoot, ProductKeyPath, ProductValue::Updated, false, false);
        WriteRegString(ProductKeyRoot, ProductKeyPath, ProductValue::UpdatedDate, NowInStartupLayout(),
                       false);
    }

    if (!FindRunningInstance(L"TKVMainForm", true)) {
        Application.Initialize();
        Application.MainFormOnTaskBar = true;
        Application.CreateForm(KVMainForm);
        Application.CreateForm(KVAboutForm);
        Application.CreateForm(KVSettingsForm);
        Application.Run();
    }

    EndNativeHintWindow();
    EndNativeHandCursor();
    return 0;
}
