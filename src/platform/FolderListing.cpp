#include "platform/FolderListing.h"

#include "platform/HostPlatform.h"

#include <windows.h>
#include <winternl.h>

#include <vector>

namespace sweepora {

namespace {

// The object's own name, "\\??\\C:\\...", for the long paths whose final path Wine will not
// give; on Windows the name is a device path and nothing is concluded from it.
std::wstring ObjectName(HANDLE handle)
{
    std::vector<std::uint64_t> buffer(8 * 1024);
    ULONG length = 0;
    const NTSTATUS status = ::NtQueryObject(handle, static_cast<OBJECT_INFORMATION_CLASS>(1), buffer.data(),
                                            static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t)), &length);
    if (status != 0) return {};
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
    std::wstring text(name->Buffer, name->Length / sizeof(wchar_t));
    if (text.compare(0, 4, L"\\??\\") != 0) return {};
    return L"\\\\?\\" + text.substr(4);
}

// "name. " and "name" are one name to the system; Wine also reports them without the blanks.
std::wstring WithoutTrailingBlanks(const std::wstring& path)
{
    std::wstring result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find(L'\\', start);
        std::wstring part = path.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        if (part != L"." && part != L"..")
            while (!part.empty() && (part.back() == L' ' || part.back() == L'.')) part.pop_back();
        result += part;
        if (slash == std::wstring::npos) return result;
        result += L'\\';
        start = slash + 1;
    }
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

struct BasicInformation {
    LARGE_INTEGER creation, lastAccess, lastWrite, change;
    ULONG attributes;
};
struct StandardInformation {
    LARGE_INTEGER allocation, endOfFile;
    ULONG links;
    BOOLEAN deletePending, directory;
};
constexpr int kFileBasicInformation = 4;
constexpr int kFileStandardInformation = 5;
constexpr int kFileInternalInformation = 6;

template <typename Record>
bool Query(HANDLE file, Record& record, int kind)
{
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status =
        ::NtQueryInformationFile(file, &io, &record, sizeof record, static_cast<FILE_INFORMATION_CLASS>(kind));
    if (status != 0) ::SetLastError(::RtlNtStatusToDosError(status));
    return status == 0;
}

const bool kUnderWine = RunningUnderWine();

} // namespace

// Three small records rather than the "all information" one, which also asks for the
// name and costs Wine another trip to its server.
bool QueryFileFacts(HANDLE file, FileFacts& facts)
{
    BasicInformation basic = {};
    StandardInformation standard = {};
    LARGE_INTEGER index = {};
    if (!Query(file, basic, kFileBasicInformation) || !Query(file, standard, kFileStandardInformation) ||
        !Query(file, index, kFileInternalInformation))
        return false;
    facts.attributes = basic.attributes;
    facts.size = static_cast<std::uint64_t>(standard.endOfFile.QuadPart);
    facts.links = standard.links;
    facts.fileId = static_cast<std::uint64_t>(index.QuadPart);
    return true;
}

std::wstring FinalPathOf(HANDLE handle)
{
    // Wine names the object "\\??\\C:\\..." already, and its final-path call adds a trip to
    // the mount manager; Windows names it by device, so there the final path is asked.
    if (kUnderWine) {
        const std::wstring name = ObjectName(handle);
        if (!name.empty()) return name;
    }
    std::wstring path(1024, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) break;
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n + 1);
    }
    return ObjectName(handle);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return EqualIgnoringCase(a, b) || EqualIgnoringCase(WithoutTrailingBlanks(a), WithoutTrailingBlanks(b));
}

FolderListing ListFolder(const std::wstring& longPath)
{
    FolderListing listing;
    listing.handle.reset(::CreateFileW(longPath.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!listing.handle) {
        listing.error = ::GetLastError();
        return listing;
    }
    FileFacts facts;
    if (!QueryFileFacts(listing.handle.get(), facts)) {
        listing.error = ::GetLastError();
        return listing;
    }
    if (!(facts.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        listing.error = ERROR_DIRECTORY;
        return listing;
    }
    if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        listing.isLink = true;
        return listing;
    }
    listing.finalPath = FinalPathOf(listing.handle.get());

    // Many entries per call, as a large fetch would bring them.
    std::vector<std::uint64_t> aligned(8 * 1024);
    char* buffer = reinterpret_cast<char*>(aligned.data());
    const DWORD bufferSize = static_cast<DWORD>(aligned.size() * sizeof(std::uint64_t));
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(listing.handle.get(), kind, buffer, bufferSize)) {
        kind = FileIdBothDirectoryInfo;
        for (std::size_t at = 0;;) {
            const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + at);
            std::wstring name(e->FileName, e->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                ListedEntry entry;
                entry.name = std::move(name);
                entry.attributes = e->FileAttributes;
                entry.size = static_cast<std::uint64_t>(e->EndOfFile.QuadPart);
                // For a reparse point the listing carries its tag where the EA size would be.
                entry.reparseTag = (e->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? e->EaSize : 0;
                entry.fileId = static_cast<std::uint64_t>(e->FileId.QuadPart);
                listing.entries.push_back(std::move(entry));
            }
            if (e->NextEntryOffset == 0) break;
            at += e->NextEntryOffset;
        }
    }
    const DWORD end = ::GetLastError();
    if (end != ERROR_NO_MORE_FILES) listing.error = end;
    return listing;
}

} // namespace sweepora
