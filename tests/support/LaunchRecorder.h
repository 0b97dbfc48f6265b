// Puts recorders in place of the click sound, the shell and the help viewer
// for the life of one object, and logs in order what reached them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/Seams.h"

struct Launch {
    enum Kind { Click, Shell, Help } kind;
    HWND owner = nullptr; // the shell's owner window; the help viewer's caller
    std::wstring file;
    std::optional<std::wstring> parameters;
    bool operator==(const Launch&) const = default;
};

class LaunchRecorder {
  public:
    // realShell: the shell gets the calls too (the recorder still logs them).
    explicit LaunchRecorder(bool realShell = false);
    LaunchRecorder(const LaunchRecorder&) = delete;
    LaunchRecorder& operator=(const LaunchRecorder&) = delete;
    ~LaunchRecorder();

    const std::vector<Launch>& Log() const;
    void Clear();
    int Count(Launch::Kind kind) const;

  private:
    PlaySoundFunction savedSound_;
    ShellExecuteFunction savedShell_;
    HtmlHelpFunction savedHelp_;
};
