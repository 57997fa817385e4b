#include "platform/ApplicationEventLog.h"

#include "platform/ErrorText.h"
#include "platform/UniqueHandle.h"

#include <utility>

namespace sweepora {

namespace {

// ReportEventW refuses a longer insert.
constexpr std::size_t kMaxInsertCharacters = 31839;

// The process's user, so that the log's User column names who ran the program.
std::vector<BYTE> ProcessUserSid()
{
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    UniqueKernelHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, info.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
    if (!::IsValidSid(sid)) return {};
    const BYTE* first = static_cast<const BYTE*>(sid);
    return {first, first + ::GetLengthSid(sid)};
}

} // namespace

ApplicationEventLog::ApplicationEventLog(FailureFn failed) : userSid_(ProcessUserSid()), failed_(std::move(failed))
{
    source_ = ::RegisterEventSourceW(nullptr, kEventSourceName);
    if (!source_) Fail("the Application log could not be opened", ::GetLastError());
}

ApplicationEventLog::~ApplicationEventLog()
{
    if (source_) ::DeregisterEventSource(source_);
}

void ApplicationEventLog::Report(EventKind kind, DWORD id, const std::vector<std::wstring>& inserts)
{
    if (!source_) return;
    std::vector<std::wstring> kept;
    std::vector<const wchar_t*> strings;
    kept.reserve(inserts.size());
    for (const std::wstring& insert : inserts) {
        kept.push_back(insert.substr(0, kMaxInsertCharacters));
        strings.push_back(kept.back().c_str());
    }
    const PSID user = userSid_.empty() ? nullptr : userSid_.data();
    if (!::ReportEventW(source_, static_cast<WORD>(kind), 0, id, user, static_cast<WORD>(strings.size()), 0,
                        strings.empty() ? nullptr : strings.data(), nullptr))
        Fail("an event could not be written to the Application log", ::GetLastError());
}

void ApplicationEventLog::Fail(const char* what, DWORD error)
{
    if (told_ || !failed_) return;
    told_ = true;
    failed_(std::string(what) + ": " + ErrorText(error));
}

} // namespace sweepora
