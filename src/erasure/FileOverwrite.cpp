#include "erasure/FileOverwrite.h"

#include "platform/ErrorText.h"

#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace sweepora {

namespace {

// Blocks per write: the same bytes land where 1024-byte writes would put them.
constexpr std::uint64_t kBlocksPerWrite = 256;
// How long a pass may run before it lets the message queue in.
constexpr ULONGLONG kYieldEveryMs = 15;

// The last character of today's day count plus the time of day minus a random fraction:
// in practice a decimal digit that changes from pass to pass.
char PatternCharacter(std::minstd_rand& random)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME ft;
    ::SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    // Days from 30 December 1899 to 1 January 1601 is -109205.
    const double days = static_cast<double>(t.QuadPart / 864000000000ULL) - 109205.0;
    const double seconds = now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + (now.wMilliseconds / 10) / 100.0;
    const double value = days + seconds - std::uniform_real_distribution<double>(0.0, 1.0)(random);
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    const std::string s(text);
    return s.empty() ? '0' : s.back();
}

} // namespace

DWORD EraseIo::Write(HANDLE file, std::uint64_t offset, const char* bytes, DWORD length) const
{
    // A seek and a plain write: a position given in an OVERLAPPED costs Wine a request to
    // its server on every write, while the seek stays in the process.
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !::WriteFile(file, bytes, length, &written, nullptr))
        return ::GetLastError();
    return written == length ? ERROR_SUCCESS : ERROR_DISK_FULL;
}

DWORD EraseIo::Flush(HANDLE file) const
{
    return ::FlushFileBuffers(file) ? ERROR_SUCCESS : ::GetLastError();
}

std::vector<StreamInfo> EraseIo::Streams(HANDLE file) const
{
    std::vector<StreamInfo> streams;
    std::vector<std::uint64_t> buffer(4 * 1024);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
        if (::GetFileInformationByHandleEx(file, FileStreamInfo, buffer.data(), size)) break;
        // A file system without streams (FAT, or this platform) has nothing more to erase.
        if (::GetLastError() != ERROR_MORE_DATA || buffer.size() > (1u << 20)) return streams;
        buffer.resize(buffer.size() * 4);
    }
    const char* base = reinterpret_cast<const char*>(buffer.data());
    for (std::size_t at = 0;;) {
        const auto* s = reinterpret_cast<const FILE_STREAM_INFO*>(base + at);
        std::wstring name(s->StreamName, s->StreamNameLength / sizeof(wchar_t));
        if (!name.empty() && name != L"::$DATA")
            streams.push_back({std::move(name), static_cast<std::uint64_t>(s->StreamSize.QuadPart)});
        if (s->NextEntryOffset == 0) break;
        at += s->NextEntryOffset;
    }
    return streams;
}

std::optional<std::vector<Extent>> EraseIo::AllocatedRanges(HANDLE file, std::uint64_t length, DWORD& error) const
{
    std::vector<Extent> ranges;
    FILE_ALLOCATED_RANGE_BUFFER query = {};
    query.FileOffset.QuadPart = 0;
    query.Length.QuadPart = static_cast<LONGLONG>(length);
    std::vector<FILE_ALLOCATED_RANGE_BUFFER> out(512);
    for (;;) {
        DWORD bytes = 0;
        const BOOL ok = ::DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, out.data(),
                                          static_cast<DWORD>(out.size() * sizeof out[0]), &bytes, nullptr);
        const DWORD status = ok ? ERROR_SUCCESS : ::GetLastError();
        if (!ok && status != ERROR_MORE_DATA) {
            error = status;
            return std::nullopt;
        }
        const std::size_t count = bytes / sizeof out[0];
        for (std::size_t i = 0; i < count; ++i)
            ranges.push_back({static_cast<std::uint64_t>(out[i].FileOffset.QuadPart),
                              static_cast<std::uint64_t>(out[i].Length.QuadPart)});
        if (ok || count == 0) return ranges;
        const Extent& last = ranges.back();
        query.FileOffset.QuadPart = static_cast<LONGLONG>(last.offset + last.length);
        query.Length.QuadPart = static_cast<LONGLONG>(length - (last.offset + last.length));
    }
}

bool EraseIo::Facts(HANDLE file, FileFacts& facts) const
{
    return QueryFileFacts(file, facts);
}

DWORD EraseIo::Rename(HANDLE file, const std::wstring& name) const
{
    std::vector<std::uint64_t> buffer((sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t)) / 8 + 1);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    name.copy(info->FileName, name.size());
    return ::SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size() * 8))
               ? ERROR_SUCCESS
               : ::GetLastError();
}

DWORD EraseIo::Delete(HANDLE file) const
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) ? ERROR_SUCCESS
                                                                                                     : ::GetLastError();
}

const EraseIo& SystemEraseIo()
{
    static const EraseIo io;
    return io;
}

std::vector<Extent> OverwriteExtents(std::uint64_t length, const std::vector<Extent>* allocated)
{
    std::vector<Extent> extents;
    if (allocated) {
        for (const Extent& r : *allocated) {
            if (r.offset >= length || r.length == 0) continue;
            extents.push_back({r.offset, std::min(r.length, length - r.offset)});
        }
    } else if (length > 0) {
        extents.push_back({0, length});
    }
    const std::uint64_t end = (length / kOverwriteBlock + 1) * kOverwriteBlock;
    extents.push_back({length, end - length});
    return extents;
}

OverwriteOutcome OverwriteFile(HANDLE file, const std::vector<Extent>& extents, int passes, const EraseIo& io,
                               const std::function<void()>& yield, const std::function<bool()>& aborted)
{
    OverwriteOutcome outcome;
    std::uint64_t longest = 0;
    for (const Extent& e : extents) longest = std::max(longest, e.length);
    // Small files are the common case: never fill more pattern than the file needs.
    const std::size_t run = static_cast<std::size_t>(std::min(longest, kBlocksPerWrite * kOverwriteBlock));
    // Re-seeded from the timer every pass; a small generator, since a file of a few bytes
    // pays for the seeding as much as for its writes.
    std::minstd_rand random;
    std::string a, b;
    ULONGLONG lastYield = ::GetTickCount64();
    for (int pass = 1; pass <= passes; ++pass) {
        random.seed(static_cast<std::minstd_rand::result_type>(::GetTickCount64() % 2147483646 + 1));
        a.assign(run, PatternCharacter(random));
        b.assign(run, PatternCharacter(random));
        DWORD error = ERROR_SUCCESS;
        for (const Extent& e : extents) {
            for (std::uint64_t done = 0; done < e.length && error == ERROR_SUCCESS;) {
                const DWORD length = static_cast<DWORD>(std::min<std::uint64_t>(run, e.length - done));
                error = io.Write(file, e.offset + done, a.data(), length);
                if (error == ERROR_SUCCESS) error = io.Write(file, e.offset + done, b.data(), length);
                done += length;
                if (::GetTickCount64() - lastYield >= kYieldEveryMs) {
                    yield();
                    lastYield = ::GetTickCount64();
                }
            }
            if (error != ERROR_SUCCESS) break;
        }
        if (error == ERROR_SUCCESS) error = io.Flush(file);
        if (error != ERROR_SUCCESS) {
            outcome.incomplete = "pass " + std::to_string(pass) + " of " + std::to_string(passes) + ": " + ErrorText(error);
            return outcome;
        }
        if (aborted()) {
            outcome.aborted = true;
            return outcome;
        }
        yield();
        lastYield = ::GetTickCount64();
    }
    // The last yield may have brought an abort: the file then stays.
    outcome.aborted = passes > 0 && aborted();
    return outcome;
}

} // namespace sweepora
