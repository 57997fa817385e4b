#pragma once
// Shared helpers for the tests: throwaway registry keys and folders, doubles for the run
// host and the desktop, and a session over them.
#include "engine/Desktop.h"
#include "engine/RunHost.h"
#include "engine/Session.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sweepora::test {

using Texts = std::vector<std::string>;

// The helpers below own something outside the process: copying them would let it go twice.
struct NoCopy {
    NoCopy() = default;
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

void DeleteKeyTree(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
void WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
void WriteRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
// Value names of the key in enumeration order; empty when the key is missing.
std::vector<std::string> ValueNames(HKEY root, const std::string& path);

// Deletes <root>\<path> with everything below it, now and when it goes.
struct ScratchKey : NoCopy {
    explicit ScratchKey(std::string path, HKEY root = HKEY_CURRENT_USER) : path_(std::move(path)), root_(root)
    {
        DeleteKeyTree(root_, path_);
    }
    ~ScratchKey() { DeleteKeyTree(root_, path_); }

private:
    std::string path_;
    HKEY root_;
};

// A registry link at HKCU\<link> to HKCU\<target>, made as Windows makes one
// (REG_OPTION_CREATE_LINK and a REG_LINK SymbolicLinkValue); removed as a link when it goes.
class RegistryLink : NoCopy {
public:
    RegistryLink(std::string link, const std::string& target);
    ~RegistryLink();

private:
    std::string link_;
};

// A folder at a given place, emptied and made now, removed with its files when it goes.
struct ScratchFolder : NoCopy {
    explicit ScratchFolder(std::string path);
    ~ScratchFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A fresh folder under the temporary folder, with a name no one holds.
std::string FreshTempPath();
struct TempFolder : ScratchFolder {
    TempFolder() : ScratchFolder(FreshTempPath()) {}
};

// The variable's value; empty when it is not set.
std::string EnvironmentText(const char* name);

// Points an environment variable of this process (and of the programs it starts)
// elsewhere for the scope.
struct ScopedEnvironment : NoCopy {
    ScopedEnvironment(const char* name, const std::string& value)
        : name_(name), old_(EnvironmentText(name)), wasSet_(::GetEnvironmentVariableA(name, nullptr, 0) > 0)
    {
        ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnvironment() { ::SetEnvironmentVariableA(name_, wasSet_ ? old_.c_str() : nullptr); }

private:
    const char* name_;
    std::string old_;
    bool wasSet_;
};

std::string ReadFileBytes(const std::string& path);
// Every file below `dir` with its bytes, by path relative to `dir`; a folder as "<folder>".
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeFolder(const std::string& dir);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// A file of tests/support/data (browser schemas and rows), built into the test programs;
// fails the test and gives "" when there is none of that name.
std::string TestData(const std::string& name);
// Lays out in `dir` the files of an embedded data folder (as a test program's
// sweepora_embed_folder gives them) that lie below `prefix`, folders made as needed.
void UnpackFolder(const std::vector<std::pair<std::string, std::string>>& files, const std::string& prefix,
                  const std::string& dir);

// Starts a program hidden and waits up to a minute for it; its standard output and error
// go to a file beside it (under Wine a pipe can outlive the program). Throws when it
// cannot be started or does not end.
struct ProgramResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
};
ProgramResult RunProgram(const std::string& exe, const std::string& args);

// Records what the engine asks of its host; `onYield` lets a test act "during" a run.
class FakeHost final : public RunHost {
public:
    void YieldToQueue() override
    {
        ++yields;
        if (onYield) onYield();
    }
    void SelectStatusTab() override { events.push_back("status tab"); }
    void RunStarted() override { events.push_back("started"); }
    void RunFinished(bool rearm) override { events.push_back(rearm ? "finished, rearm" : "finished"); }

    int yields = 0;
    std::vector<std::string> events;
    std::function<void()> onYield;
};

// Answers boxes and dialogs from a script and records what was asked and launched.
class FakeDesktop final : public Desktop {
public:
    struct Box { std::string prompt, title; UINT flags; };
    struct Dialog { std::string filter; DWORD flags; };
    struct Launch { std::string operation, file, parameters, directory; int showCommand; };

    int MessageBox(const std::string& prompt, const std::string& title, UINT flags) override
    {
        asked.push_back({prompt, title, flags});
        return answer;
    }
    bool ChooseFileToOpen(const std::string& filter, DWORD flags, std::string& path) override
    {
        dialogs.push_back({filter, flags});
        return Take(chosenFiles, path);
    }
    bool ChooseFileToSave(const std::string& filter, DWORD flags, const std::string&, std::string& path) override
    {
        dialogs.push_back({filter, flags});
        return Take(savedFiles, path);
    }
    std::string BrowseForFolder(const std::string&) override
    {
        std::string folder;
        Take(chosenFolders, folder);
        return folder;
    }
    std::intptr_t ShellExecuteFile(const std::string& operation, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int showCommand) override
    {
        launched.push_back({operation, file, parameters, directory, showCommand});
        return launchResult;
    }
    DWORD RunAndWait(const std::string& file, const std::string& parameters, const std::string& directory,
                     DWORD, const std::function<void()>&, DWORD& exitCode) override
    {
        launched.push_back({"run", file, parameters, directory, SW_HIDE});
        exitCode = runExitCode;
        return runResult;
    }
    void MinimizeAllWindows(int flag) override
    {
        minimized.push_back(flag);
        if (onMinimize) onMinimize();
    }
    void ExitWindowsSession(UINT flags) override { sessionEnds.push_back(flags); }
    void ShowInTaskList(const std::string&, bool shown) override { taskListEntry.push_back(shown); }
    void NotifyShellOfChanges() override { ++shellNotices; }

    int answer = IDNO;
    std::vector<bool> taskListEntry;
    std::vector<Box> asked;
    // Each Open dialog takes the next of these; with none left it is cancelled.
    std::vector<std::string> chosenFiles;
    // Each Save dialog and each folder browser takes the next of these; none left is a cancel.
    std::vector<std::string> savedFiles, chosenFolders;
    std::vector<Dialog> dialogs;
    std::vector<int> minimized;
    std::function<void()> onMinimize;
    std::vector<UINT> sessionEnds;
    int shellNotices = 0;
    std::intptr_t launchResult = 42;
    DWORD runResult = ERROR_SUCCESS; // what RunAndWait answers, and the exit code it hands back
    DWORD runExitCode = 0;
    std::vector<Launch> launched;

private:
    static bool Take(std::vector<std::string>& queue, std::string& taken)
    {
        if (queue.empty()) return false;
        taken = queue.front();
        queue.erase(queue.begin());
        return true;
    }
};

// Calls back on every line the log takes while it lives.
class LineWatcher final : public LogObserver, NoCopy {
public:
    LineWatcher(ActivityLog& log, std::function<void()> onLine) : log_(log), onLine_(std::move(onLine))
    {
        log_.AddObserver(this);
    }
    ~LineWatcher() override { log_.RemoveObserver(this); }
    void LineAdded(const LogLine&) override { onLine_(); }
    void Cleared() override {}

private:
    ActivityLog& log_;
    std::function<void()> onLine_;
};

// Empties the browser's URL history now and when it goes.
struct ScratchHistory : NoCopy {
    ScratchHistory();
    ~ScratchHistory();
};

// The addresses in the URL history, sorted.
std::vector<std::string> HistoryUrls();

// A test-mode session over a scratch settings store, its executable in a throwaway folder.
struct SessionFixture : ::testing::Test {
    ScratchKey storeKey{"Software\\SweeporaTests\\Session"};
    RegistrySettingsStore store{"Software\\SweeporaTests\\Session"};
    FakeHost host;
    FakeDesktop desktop;
    TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    // Every erase category off but these.
    void OnlyCategories(std::initializer_list<std::string AppSettings::*> on);
    // The task column of the log.
    std::vector<std::string> Tasks() const;
    // "task|status" of the last line, a timestamp shown as "@"; empty without a line.
    std::string Last() const;
};

} // namespace sweepora::test
