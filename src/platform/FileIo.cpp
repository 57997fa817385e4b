#include "platform/FileIo.h"

#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <algorithm>

namespace sweepora {

bool ReadWholeFile(const std::string& path, std::string& contents)
{
    UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string data;
    char chunk[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return false;
        if (read == 0) break;
        data.append(chunk, read);
    }
    contents.swap(data);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents)
{
    UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteOpenFile(file.get(), contents) == ERROR_SUCCESS;
}

DWORD ReadOpenFile(HANDLE file, std::uint64_t limit, std::string& bytes)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) return ::GetLastError();
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return ERROR_FILE_TOO_LARGE;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!::ReadFile(file, &bytes[done], want, &read, nullptr)) return ::GetLastError();
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return ERROR_SUCCESS;
}

DWORD WriteOpenFile(HANDLE file, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file, bytes.data() + done, want, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return ERROR_SUCCESS;
}

} // namespace sweepora
