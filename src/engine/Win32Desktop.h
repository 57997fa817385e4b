#pragma once
#include "engine/Desktop.h"
#include "platform/ShellNotify.h"

namespace sweepora {

// The real desktop: boxes and dialogs owned by the main window (or by no window).
class Win32Desktop final : public Desktop {
public:
    explicit Win32Desktop(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }

    int MessageBox(const std::string& prompt, const std::string& title, UINT flags) override;
    bool ChooseFileToOpen(const std::string& filter, DWORD flags, std::string& path) override;
    bool ChooseFileToSave(const std::string& filter, DWORD flags, const std::string& defaultExtension,
                          std::string& path) override;
    std::string BrowseForFolder(const std::string& title) override;
    std::intptr_t ShellExecuteFile(const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override;
    DWORD RunAndWait(const std::string& file, const std::string& parameters, const std::string& directory,
                     DWORD timeoutMs, const std::function<void()>& whileWaiting, DWORD& exitCode) override;
    void MinimizeAllWindows(int flag) override;
    void ExitWindowsSession(UINT flags) override;
    void ShowInTaskList(const std::string& osName, bool shown) override;
    void NotifyShellOfChanges() override { NotifyShell(); }

private:
    bool RunFileDialog(bool save, const std::string& filter, DWORD flags, const std::string& defaultExtension,
                       std::string& path);
    HWND owner_;
};

} // namespace sweepora
