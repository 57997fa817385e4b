#pragma once
// A session with its plugin folder, for the plugin cases, and a runner host that records.
#include "engine/SessionPlugins.h"
#include "plugins/PluginRunner.h"
#include "storage/UniqueHandle.h"
#include "storage/WideText.h"

#include "support/TestSupport.h"

#include <stdexcept>

namespace sweepora::test {

struct PluginSession : SessionFixture {
    const std::string plugins = SessionPluginFolder(session);

    PluginSession() { ::CreateDirectoryA(plugins.c_str(), nullptr); }
    void Write(const std::string& file, const std::string& bytes) { WriteFileBytes(plugins + "\\" + file, bytes); }
    // Log lines as "task|status", a finished plugin's status shortened to "Completed".
    Texts Lines() const
    {
        Texts lines;
        for (const LogLine& l : session.log.Lines())
            lines.push_back(l.task + "|" + (l.status.rfind("Completed : ", 0) == 0 ? "Completed" : l.status));
        return lines;
    }
};

// Writes a file whose name the code page may not hold (UTF-8 path).
inline void WriteNamedFile(const std::string& path, const std::string& bytes)
{
    UniqueFile file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw std::runtime_error("cannot write " + path);
}

// Takes the files the runner hands over instead of erasing them.
class RecordingPluginHost final : public PluginRunHost {
public:
    const std::atomic<bool>& AbortFlag() const override { return abort; }
    bool Live() const override { return false; }
    void CountRegistryEntry() override {}
    void EradicateFile(const std::string& path) override { eradicated.push_back(path); }
    void YieldToQueue() override {}
    void AddLogEntry(const std::string& task, const std::string&) override { logged.push_back(task); }
    std::string TimestampText() const override { return "now"; }

    std::atomic<bool> abort{false};
    Texts eradicated, logged;
};

} // namespace sweepora::test
