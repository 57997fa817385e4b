#pragma once
#include "engine/Desktop.h"

#include <string>

namespace sweepora {

// The real desktop, except that ending the session is only written down: one line per
// call ("ExitWindowsSession 0") appended to a file. Chosen by the environment variable
// SWEEPORA_RECORD_SESSION_END, so that end-to-end tests can press the log-off hotkey.
// Minimising all windows is done and written down too.
class RecordingDesktop final : public Desktop {
public:
    RecordingDesktop(Desktop& real, std::string file) : real_(real), file_(std::move(file)) {}

    int MessageBox(const std::string& prompt, const std::string& title, UINT flags) override
    {
        return real_.MessageBox(prompt, title, flags);
    }
    bool ChooseFileToOpen(const std::string& filter, DWORD flags, std::string& path) override
    {
        return real_.ChooseFileToOpen(filter, flags, path);
    }
    bool ChooseFileToSave(const std::string& filter, DWORD flags, const std::string& defaultExtension,
                          std::string& path) override
    {
        return real_.ChooseFileToSave(filter, flags, defaultExtension, path);
    }
    std::string BrowseForFolder(const std::string& title) override { return real_.BrowseForFolder(title); }
    std::intptr_t ShellExecuteFile(const std::string& operation, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int showCommand) override
    {
        return real_.ShellExecuteFile(operation, file, parameters, directory, showCommand);
    }
    DWORD RunAndWait(const std::string& file, const std::string& parameters, const std::string& directory,
                     DWORD timeoutMs, const std::function<void()>& whileWaiting, DWORD& exitCode) override
    {
        return real_.RunAndWait(file, parameters, directory, timeoutMs, whileWaiting, exitCode);
    }
    void MinimizeAllWindows(int flag) override;
    void ExitWindowsSession(UINT flags) override;
    void ShowInTaskList(const std::string& osName, bool shown) override { real_.ShowInTaskList(osName, shown); }
    void NotifyShellOfChanges() override { real_.NotifyShellOfChanges(); }

private:
    void Record(const std::string& line) const;

    Desktop& real_;
    std::string file_;
};

} // namespace sweepora
