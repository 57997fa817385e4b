#include "erasure/IndexDatFile.h"

#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sweepora {

DWORD OverwriteIndexDat(const EraseContext& context, const std::string& path)
{
    // Not shared: the library must not write between the spaces.
    UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return ::GetLastError();
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file.get(), &info)) return ::GetLastError();
    // The spaces belong in this file only.
    if (info.nNumberOfLinks > 1 || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !SamePath(FinalPathOf(file.get()), LongPath(path)))
        return ERROR_CANNOT_MAKE;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) return ::GetLastError();
    if (!context.run.live) return ERROR_SUCCESS;
    static constexpr DWORD kBlock = 64 * 1024;
    const std::vector<char> spaces(kBlock, ' ');
    for (std::int64_t left = size.QuadPart; left > 0;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(left, kBlock));
        DWORD written = 0;
        if (!::WriteFile(file.get(), spaces.data(), chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        left -= written;
    }
    if (!::FlushFileBuffers(file.get())) return ::GetLastError();
    return ERROR_SUCCESS;
}

} // namespace sweepora
