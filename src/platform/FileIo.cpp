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
    if (!file) return false;
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), contents.data() + done, want, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace sweepora
