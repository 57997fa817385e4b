#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace sweepora {

// Side effects on the user's desktop. The Win32 implementation lives with the shell;
// tests use a double, so that no test shows a box, opens a dialog or starts a program.
// Every text of the boxes, the dialogs and the folder browser, paths included, is UTF-8 both
// ways, so a name in any script passes whole; ShellExecuteFile's texts too.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A modal message box; `flags` and the result are the MB_ and ID values.
    virtual int MessageBox(const std::string& prompt, const std::string& title, UINT flags) = 0;

    // The Open dialog. `filter` uses "|" between its parts ("All Files(*.*)|*.*");
    // `flags` are OFN_ values. False when cancelled.
    virtual bool ChooseFileToOpen(const std::string& filter, DWORD flags, std::string& path) = 0;
    // The Save dialog; `defaultExtension` (without the dot) is added to a name typed without one.
    virtual bool ChooseFileToSave(const std::string& filter, DWORD flags, const std::string& defaultExtension,
                                  std::string& path) = 0;
    // The shell's folder browser, file-system folders only: the folder with a trailing
    // backslash, or empty when cancelled.
    virtual std::string BrowseForFolder(const std::string& title) = 0;

    // ShellExecute (a macro name, hence the suffix); the result is its instance value
    // (above 32 on success).
    virtual std::intptr_t ShellExecuteFile(const std::string& operation, const std::string& file,
                                       const std::string& parameters, const std::string& directory,
                                       int showCommand) = 0;

    // Starts a program hidden and waits up to `timeoutMs` for it to end, calling
    // `whileWaiting` whenever messages arrive meanwhile. ERROR_SUCCESS with its exit code in
    // `exitCode`; otherwise why it could not be started, or WAIT_TIMEOUT when it had not
    // ended by then (it is left running).
    virtual DWORD RunAndWait(const std::string& file, const std::string& parameters, const std::string& directory,
                             DWORD timeoutMs, const std::function<void()>& whileWaiting, DWORD& exitCode) = 0;

    // Minimise all windows (0) or undo it (any other value), through the taskbar.
    virtual void MinimizeAllWindows(int flag) = 0;
    // ExitWindowsEx with the EWX_ flags; the system may refuse, and nobody asks.
    virtual void ExitWindowsSession(UINT flags) = 0;
    // Tells Explorer and the Start menu that settings and lists they show changed, so that
    // they read them again. Never waits long on a window that does not answer.
    virtual void NotifyShellOfChanges() = 0;
    // This process's entry in the task list (Ctrl+Alt+Del); only the 9x family, which
    // `osName` tells apart, can hide it.
    virtual void ShowInTaskList(const std::string& osName, bool shown) = 0;
};

} // namespace sweepora
