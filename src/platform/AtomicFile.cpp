#include "platform/AtomicFile.h"

#include "platform/FileIo.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace sweepora {

namespace {

// Unique per process and call, so two writers of one report never share a temporary file.
std::wstring TemporaryName(const std::wstring& target)
{
    static std::atomic<unsigned> counter{0};
    return target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L".tmp";
}

// Removes the temporary file through a handle of our own, so only that file can go.
void Discard(const std::wstring& temporary)
{
    const UniqueFile doomed(::CreateFileW(temporary.c_str(), DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, const AtomicWriteStep& write)
{
    const std::wstring target = LongPath(path);
    const std::wstring temporary = TemporaryName(target);
    {
        UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        const DWORD written = write ? write(file.get(), bytes) : WriteOpenFile(file.get(), bytes);
        if (written != ERROR_SUCCESS || !::FlushFileBuffers(file.get())) {
            file.reset();
            Discard(temporary);
            return false;
        }
    }
    // A collector copying the old report holds it open for a moment: wait rather than fail.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (attempt >= 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) break;
        ::Sleep(25);
    }
    Discard(temporary);
    return false;
}

} // namespace sweepora
