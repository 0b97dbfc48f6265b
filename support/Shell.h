// Handing files, web addresses and programs to the shell, and help topics to
// the HTML Help viewer. Fire and forget: nothing is reported.
#pragma once

#include <string>

void ShellOpen(const std::wstring& FileName, const std::wstring& Parameters);
void ShellOpenDetached(const std::wstring& FileName, const std::wstring& Parameters);
void OpenDocument(const std::wstring& FileName);
void ShowHelpTopic(const std::wstring& HelpFile, const std::wstring& Topic);
// The folder of the running executable, with its trailing backslash; empty
// when Windows cannot tell the program's own path.
std::wstring ExecutableFolder();
