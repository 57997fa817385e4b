#pragma once
#include "platform/EventReporter.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// The source name the installer registers, with sweepora-cli.exe as its message file.
constexpr const wchar_t* kEventSourceName = L"Sweepora";

// The Windows Application log, through the "Sweepora" source, for as long as this lives.
// Events carry the process's user. The first source that cannot be opened or event that
// is refused is handed to `failed` as one line (the console prints it; the window has
// nowhere to say it and passes nothing), and the run goes on.
class ApplicationEventLog final : public EventReporter {
public:
    using FailureFn = std::function<void(const std::string& line)>;

    explicit ApplicationEventLog(FailureFn failed = nullptr);
    ~ApplicationEventLog() override;
    ApplicationEventLog(const ApplicationEventLog&) = delete;
    ApplicationEventLog& operator=(const ApplicationEventLog&) = delete;

    void Report(EventKind kind, DWORD id, const std::vector<std::wstring>& inserts) override;

private:
    void Fail(const char* what, DWORD error);

    HANDLE source_ = nullptr;
    std::vector<BYTE> userSid_; // empty when the token could not be read
    FailureFn failed_;
    bool told_ = false;
};

} // namespace sweepora
