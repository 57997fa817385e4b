#pragma once
#include "engine/Desktop.h"
#include "platform/ShellNotify.h"

namespace sweepora {

// A desktop for unattended work: every question answered No, every dialog cancelled,
// no program started (a helper that was to run says it was cancelled), no window touched
// and the session left alone. The shell is still told of changes: that belongs to the
// clean, not to a conversation.
class SilentDesktop final : public Desktop {
public:
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDNO; }
    bool ChooseFileToOpen(const std::string&, DWORD, std::string&) override { return false; }
    bool ChooseFileToSave(const std::string&, DWORD, const std::string&, std::string&) override { return false; }
    std::string BrowseForFolder(const std::string&) override { return {}; }
    std::intptr_t ShellExecuteFile(const std::string&, const std::string&, const std::string&,
                                   const std::string&, int) override
    {
        return 0;
    }
    DWORD RunAndWait(const std::string&, const std::string&, const std::string&, DWORD, const std::function<void()>&,
                     DWORD&) override
    {
        return ERROR_CANCELLED;
    }
    void MinimizeAllWindows(int) override {}
    void ExitWindowsSession(UINT) override {}
    void ShowInTaskList(const std::string&, bool) override {}
    void NotifyShellOfChanges() override { NotifyShell(); }
};

} // namespace sweepora
