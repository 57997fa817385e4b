#include "engine/Eradication.h"

#include "engine/Timestamp.h"
#include "storage/Paths.h"
#include "storage/Text.h"
#include "storage/UniqueHandle.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace sweepora {

namespace {

constexpr DWORD kBlock = 1024;
// Blocks per write: the same bytes land where 1024-byte writes would put them.
constexpr std::uint64_t kBlocksPerWrite = 256;
// How long the overwrite may run before it lets the message queue in.
constexpr ULONGLONG kYieldEveryMs = 15;

// Counters are 32-bit; sizes beyond that wrap instead of overflowing.
void AddWrapping(std::int32_t& counter, std::int64_t delta)
{
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + static_cast<std::uint32_t>(delta));
}

std::string ErrorText(DWORD code)
{
    char* buffer = nullptr;
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : "Error " + std::to_string(code);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The last character of today's day count plus the time of day minus a random fraction:
// in practice a decimal digit that changes from pass to pass.
char PatternCharacter(std::mt19937& random)
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

bool WriteAt(HANDLE file, std::uint64_t position, const char* bytes, DWORD length)
{
    // The position travels with the write: one call instead of a seek and a write.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD written = 0;
    return ::WriteFile(file, bytes, length, &written, &at) && written == length;
}

// One pass: every block written with A, then with B at the same place, the file grown to
// whole blocks; flushed, so that each pass reaches the disk.
void OverwritePass(Session& s, HANDLE file, std::uint64_t blocks, char a, char b)
{
    // Small files are the common case: never fill more pattern than the file needs.
    const std::size_t runLength = static_cast<std::size_t>(std::min(kBlocksPerWrite, blocks) * kBlock);
    const std::string runA(runLength, a);
    const std::string runB(runLength, b);
    ULONGLONG lastYield = ::GetTickCount64();
    for (std::uint64_t block = 0; block < blocks; block += kBlocksPerWrite) {
        const std::uint64_t count = std::min(kBlocksPerWrite, blocks - block);
        const DWORD length = static_cast<DWORD>(count * kBlock);
        const std::uint64_t position = block * kBlock;
        // Write failures are not fatal: the pass goes on with the next run of blocks.
        WriteAt(file, position, runA.data(), length);
        WriteAt(file, position, runB.data(), length);
        if (::GetTickCount64() - lastYield >= kYieldEveryMs) {
            s.host.YieldToQueue();
            lastYield = ::GetTickCount64();
        }
    }
    ::FlushFileBuffers(file);
}

} // namespace

void EradicateFile(Session& s, const std::string& filePath, std::int16_t passes)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!FileExists(filePath) || !::GetFileAttributesExA(filePath.c_str(), GetFileExInfoStandard, &info)) return;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    const std::int64_t size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    AddWrapping(s.run.files, 1);
    AddWrapping(s.run.spaceSaved, size);

    std::string error;
    if (s.run.live) {
        // Overwriting a link would overwrite what it points to: only the link goes.
        const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        const std::uint64_t blocks = static_cast<std::uint64_t>(size) / kBlock + 1;
        std::mt19937 random;
        for (int pass = 1; !link && pass <= passes; ++pass) {
            random.seed(static_cast<std::mt19937::result_type>(::GetTickCount64()));
            const char a = PatternCharacter(random);
            const char b = PatternCharacter(random);
            error.clear();
            // Refused as Windows refuses it, also where the process could write it anyway
            // (an administrator on some file systems, root under Wine).
            if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
                error = ErrorText(ERROR_ACCESS_DENIED);
                break;
            }
            UniqueFile file(::CreateFileA(filePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                error = ErrorText(::GetLastError());
                break;
            }
            OverwritePass(s, file.get(), blocks, a, b);
            file.reset();
            if (s.run.abort) break;
            error.clear();
            s.host.YieldToQueue();
        }
        if (error.empty() && !s.run.abort && !::DeleteFileA(filePath.c_str())) error = ErrorText(::GetLastError());
    }

    if (!error.empty()) {
        s.log.AddLogEntry(filePath, error);
        AddWrapping(s.run.spaceSaved, -size);
        AddWrapping(s.run.files, -1);
    } else if (s.run.abort) {
        s.log.AddLogEntry(filePath + " **** aborted by user", TimestampText());
    } else {
        s.log.AddLogEntry(filePath + " eradicated", TimestampText());
    }
}

bool IsInArray(const std::vector<std::string>& list, const std::string& name, const YieldFn& yield)
{
    for (const std::string& element : list) {
        const bool match = element == TrimBlanks(name);
        if (yield) yield();
        if (match) return true;
    }
    return false;
}

void EradicateFolder(Session& s, std::string& folderPath, bool removeFolder, bool removeSubfolders)
{
    std::vector<std::string> visited = {".", ".."};
    if (folderPath.empty()) return;
    folderPath = AddBackslash(folderPath);
    const YieldFn yield = s.Yielder();
    yield();

    // The folder's entries as they are now: each is handled once, whatever the nested
    // walks and deletions do to the listing meanwhile.
    struct Entry {
        std::string name;
        DWORD attributes;
    };
    std::vector<Entry> entries;
    {
        WIN32_FIND_DATAA data;
        UniqueFind find(::FindFirstFileA((folderPath + "*").c_str(), &data));
        if (find) {
            do {
                if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
                entries.push_back({data.cFileName, data.dwFileAttributes});
            } while (::FindNextFileA(find.get(), &data));
        }
    }

    for (const Entry& entry : entries) {
        if (s.run.abort) break;
        const bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (entry.name == "." || entry.name == ".." || (isFolder && IsInArray(visited, entry.name, yield))) {
            yield();
            continue;
        }
        std::string full = folderPath + entry.name;
        if (isFolder && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // A junction or link: never followed; the link itself goes with the subfolders.
            if (removeSubfolders) {
                if (s.run.live) ::RemoveDirectoryA(full.c_str());
                s.log.AddLogEntry(AddBackslash(full), TimestampText());
            }
        } else if (isFolder) {
            full += "\\";
            EradicateFolder(s, full, removeSubfolders, removeSubfolders);
            visited.push_back(entry.name);
        } else {
            EradicateFile(s, full, s.settings.NoOverWrites);
        }
        yield();
    }

    if (removeFolder && !s.run.abort) {
        if (s.run.live) ::RemoveDirectoryA(folderPath.c_str());
        s.log.AddLogEntry(folderPath, TimestampText());
    }
}

void CleanCustomDirs(Session& s)
{
    for (const std::string& folder : s.settings.CustomDirList) {
        std::string path = folder;
        EradicateFolder(s, path, true, true);
        s.host.YieldToQueue();
        if (s.run.abort) break;
    }
}

void EradicateChosenFile(Session& s)
{
    std::string chosen;
    if (!s.desktop.ChooseFileToOpen("All Files(*.*)|*.*", OFN_HIDEREADONLY, chosen)) return;
    if (!TrimBlanks(chosen).empty()) EradicateFile(s, chosen, s.settings.NoOverWrites);
}

} // namespace sweepora
