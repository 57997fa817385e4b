#include "erasure/FileEraser.h"

#include "platform/ErrorText.h"
#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <cstdio>
#include <random>

namespace sweepora {

namespace {

// Counted before the passes, as the run always has, and set back when it was not erased.
// A file deleted without passes is counted apart as well: its content is still on the disk.
void Count(RunState& run, std::uint64_t size, bool overwritten, int sign = 1)
{
    run.files += sign;
    run.spaceSaved += sign * static_cast<std::int64_t>(size);
    if (!overwritten) run.filesNotOverwritten += sign;
}

// What the log says of a file that went: only passes make it "eradicated".
void LogGone(EraseContext& c, const ListedFile& f, const std::string& timestamp)
{
    if (c.passes > 0)
        c.log.AddLogEntry(f.display + " eradicated", timestamp);
    else
        c.log.AddLogEntry(f.display + " deleted, not overwritten",
                          timestamp +
                              " (no overwrite passes: the content stays on the disk until other data covers it)");
}

std::wstring GoneKey(std::wstring path)
{
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return UpperCaseWide(std::move(path));
}

bool IsLinkTag(DWORD tag)
{
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0xA000001D /* LX_SYMLINK */;
}

// Why a reparse point that is not a link is left alone: opening it could fetch or
// rebuild data that is not in the file itself.
std::string ReparseReason(DWORD tag)
{
    if (tag == IO_REPARSE_TAG_DEDUP) return "a deduplicated file: its data is shared with other files";
    // The cloud tags are 0x9000001A with a variant in bits 12 to 15.
    if ((tag & 0xFFFF0FFF) == 0x9000001A || tag == 0x9000701A) return "a cloud placeholder: its data may not be on this disk";
    if (tag == IO_REPARSE_TAG_HSM || tag == IO_REPARSE_TAG_HSM2) return "a file moved to remote storage";
    if (tag == 0x80000017 /* WOF */) return "a file compressed by the system: its data is not in the file itself";
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(tag));
    return std::string("a reparse point of a kind this program does not know (tag 0x") + hex + ")";
}

// Why passes written through the file would land on new clusters and leave the old ones:
// the file system compresses or encrypts what is written.
std::string UnreachableReason(DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_COMPRESSED)
        return "the file is compressed, so the passes would be written to new clusters, not over the old data";
    if (attributes & FILE_ATTRIBUTE_ENCRYPTED)
        return "the file is encrypted, so the passes would be written to new clusters, not over the old data";
    return {};
}

DWORD LogFailure(EraseContext& c, const ListedFile& f, DWORD error)
{
    c.log.AddLogEntry(f.display, ErrorText(error));
    return error;
}

bool DeleteThrough(const EraseIo& io, HANDLE file, DWORD& error)
{
    error = io.Delete(file);
    return error == ERROR_SUCCESS;
}

// The name is a trace too: the file is emptied and renamed to a random name of the same
// length, then to a one-character one, before it goes. The overwritten data is gone
// whether or not this works, so a failure only ends the scrubbing; it returns why.
std::string ScrubName(const EraseIo& io, HANDLE file, const std::wstring& longPath)
{
    FILE_END_OF_FILE_INFO end = {};
    ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
    static constexpr wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::minstd_rand random(std::random_device{}() % 2147483646 + 1);
    std::uniform_int_distribution<int> pick(0, 35);
    // A full path: a bare name is taken relative to the current folder on some systems,
    // which would move the file out of its folder, or fail across drives.
    const std::size_t slash = longPath.find_last_of(L'\\');
    const std::wstring folder = longPath.substr(0, slash + 1);
    const std::size_t nameLength = longPath.size() - slash - 1;
    for (std::size_t length : {nameLength, std::size_t{1}}) {
        bool renamed = false;
        DWORD error = ERROR_SUCCESS;
        for (int attempt = 0; attempt < 5 && !renamed; ++attempt) {
            std::wstring name(length, L'0');
            for (wchar_t& c : name) c = kAlphabet[pick(random)];
            error = io.Rename(file, folder + name);
            renamed = error == ERROR_SUCCESS;
        }
        if (!renamed) return ErrorText(error);
        if (nameLength == 1) break;
    }
    return {};
}

// Every alternate stream gets the same passes; a stream that cannot be opened, or that
// turns out to belong to another file, makes the overwrite incomplete.
OverwriteOutcome OverwriteStreams(EraseContext& c, const ListedFile& f, HANDLE file, const FileFacts& facts)
{
    OverwriteOutcome outcome;
    for (const StreamInfo& stream : c.io->Streams(file)) {
        const std::string streamName = Utf8FromWide(stream.name);
        UniqueFile handle(::CreateFileW((f.longPath + stream.name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FileFacts streamFacts;
        if (!handle || !QueryFileFacts(handle.get(), streamFacts)) {
            outcome.incomplete = "stream " + streamName + ": " + ErrorText(::GetLastError());
            return outcome;
        }
        if (streamFacts.fileId != facts.fileId) {
            outcome.incomplete = "stream " + streamName + " is not part of this file";
            return outcome;
        }
        outcome = OverwriteFile(handle.get(), OverwriteExtents(stream.size, nullptr), c.passes, *c.io, c.yield,
                                [&c] { return c.run.abort.load(); });
        if (!outcome.incomplete.empty()) outcome.incomplete = "stream " + streamName + ", " + outcome.incomplete;
        if (outcome.aborted || !outcome.incomplete.empty()) return outcome;
    }
    return outcome;
}

OverwriteOutcome Overwrite(EraseContext& c, const ListedFile& f, HANDLE file, const FileFacts& facts)
{
    std::optional<std::vector<Extent>> ranges;
    if (facts.attributes & FILE_ATTRIBUTE_SPARSE_FILE) {
        // Only what is allocated: writing the holes of a huge sparse file could fill the disk.
        DWORD error = ERROR_SUCCESS;
        ranges = c.io->AllocatedRanges(file, facts.size, error);
        if (!ranges) {
            OverwriteOutcome unknown;
            unknown.incomplete = "the sparse file's allocated ranges could not be read: " + ErrorText(error);
            return unknown;
        }
    }
    OverwriteOutcome outcome = OverwriteFile(file, OverwriteExtents(facts.size, ranges ? &*ranges : nullptr), c.passes,
                                             *c.io, c.yield, [&c] { return c.run.abort.load(); });
    if (outcome.aborted || !outcome.incomplete.empty()) return outcome;
    return OverwriteStreams(c, f, file, facts);
}

// A link found in a listing: only the link goes, never what it points to.
DWORD RemoveLink(EraseContext& c, const ListedFile& f)
{
    if (c.run.live) {
        UniqueFile link(::CreateFileW(f.longPath.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        DWORD error = ::GetLastError();
        if (!link || !DeleteThrough(*c.io, link.get(), error)) return LogFailure(c, f, error);
    }
    RememberGone(c.run, f.longPath);
    c.log.AddLogEntry(f.display + " link removed", "its target was not touched");
    return ERROR_SUCCESS;
}

} // namespace

bool GoneInPreview(const RunState& run, const std::wstring& longPath)
{
    if (run.live || run.previewGone.empty()) return false;
    std::wstring key = GoneKey(longPath);
    for (;;) {
        if (run.previewGone.count(key)) return true;
        const std::size_t slash = key.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash < 7) return false;
        key.resize(slash);
    }
}

void RememberGone(RunState& run, const std::wstring& longPath)
{
    if (!run.live) run.previewGone.insert(GoneKey(longPath));
}

bool RemoveFolderLink(EraseContext& c, const ListedFile& f)
{
    // Wine removes an empty target in the link's place and keeps the link.
    if (RunningUnderWine()) {
        c.log.AddLogEntry(f.display + " left in place",
                          "a linked folder: this system would remove its target instead of the link");
        return false;
    }
    if (c.run.live && !::RemoveDirectoryW(f.longPath.c_str())) {
        LogFailure(c, f, ::GetLastError());
        return false;
    }
    RememberGone(c.run, f.longPath);
    c.log.AddLogEntry(f.display + " link removed", "its target was not touched");
    return true;
}

namespace {

DWORD EraseListed(EraseContext& c, const ListedFile& f)
{
    if (GoneInPreview(c.run, f.longPath)) return ERROR_SUCCESS;
    const ListedEntry& e = f.entry;
    if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (IsLinkTag(e.reparseTag)) return RemoveLink(c, f);
        c.log.AddLogEntry(f.display + " left alone", ReparseReason(e.reparseTag));
        return ERROR_CANNOT_MAKE;
    }
    const bool live = c.run.live;
    // Refused as Windows refuses it, also where the process could write it anyway (an
    // administrator on some file systems, root under Wine); a test run says so too.
    if (e.attributes & FILE_ATTRIBUTE_READONLY) return LogFailure(c, f, ERROR_ACCESS_DENIED);
    // A test run opens the file as the live run would, so a file in use is said in both.
    const DWORD access = FILE_READ_ATTRIBUTES | SYNCHRONIZE | DELETE | (c.passes > 0 ? GENERIC_READ | GENERIC_WRITE : 0);
    UniqueFile file(::CreateFileW(f.longPath.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    FileFacts facts;
    if (!file || !c.io->Facts(file.get(), facts)) {
        const DWORD error = ::GetLastError();
        // Gone since the folder was listed: nothing left to erase, nothing to say.
        if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        return LogFailure(c, f, error);
    }
    if ((e.fileId != 0 && facts.fileId != e.fileId) ||
        (facts.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        c.log.AddLogEntry(f.display + " left in place", "it was replaced after the folder was listed");
        return ERROR_CANNOT_MAKE;
    }
    // Some links show as plain files in a listing; the handle then names the target.
    const std::wstring final = FinalPathOf(file.get());
    if (!SamePath(final, f.longPath)) {
        c.log.AddLogEntry(f.display + " left in place",
                          final.empty() ? "the system cannot say which file this name opens"
                                        : "a link to " + DisplayPath(final) + ": its target was not touched");
        return ERROR_CANNOT_MAKE;
    }
    DWORD error = ERROR_SUCCESS;
    if (facts.links > 1) {
        // Overwriting would overwrite every other name's data too.
        if (live && !DeleteThrough(*c.io, file.get(), error)) return LogFailure(c, f, error);
        RememberGone(c.run, f.longPath);
        c.log.AddLogEntry(f.display + " removed, not overwritten",
                          "one of " + std::to_string(facts.links) + " names of the file: the other names still hold the data");
        return ERROR_SUCCESS;
    }
    const std::string unreachable = c.passes > 0 ? UnreachableReason(facts.attributes) : std::string();
    if (!unreachable.empty()) {
        // Deleted all the same, since the user asked for it gone, but not called eradicated.
        if (live && !DeleteThrough(*c.io, file.get(), error)) return LogFailure(c, f, error);
        RememberGone(c.run, f.longPath);
        c.log.AddLogEntry(f.display + " deleted, not overwritten", unreachable);
        return ERROR_SUCCESS;
    }
    const std::uint64_t size = facts.size;
    const bool overwritten = c.passes > 0;
    Count(c.run, size, overwritten);
    if (!live) {
        RememberGone(c.run, f.longPath);
        LogGone(c, f, TimestampText());
        return ERROR_SUCCESS;
    }
    OverwriteOutcome outcome;
    if (c.passes > 0) outcome = Overwrite(c, f, file.get(), facts);
    if (outcome.aborted) {
        Count(c.run, size, overwritten, -1);
        c.log.AddLogEntry(f.display + " **** aborted by user", TimestampText());
        return ERROR_OPERATION_ABORTED;
    }
    std::string nameKept;
    if (c.passes > 0 && outcome.incomplete.empty()) nameKept = ScrubName(*c.io, file.get(), f.longPath);
    if (!DeleteThrough(*c.io, file.get(), error)) {
        Count(c.run, size, overwritten, -1);
        return LogFailure(c, f, error);
    }
    file.reset();
    if (!outcome.incomplete.empty()) {
        Count(c.run, size, overwritten, -1);
        c.log.AddLogEntry(f.display + " deleted, but the overwrite was incomplete", outcome.incomplete);
        return ERROR_SUCCESS;
    }
    LogGone(c, f, nameKept.empty() ? TimestampText()
                                   : TimestampText() + " (its name was not scrubbed: " + nameKept + ")");
    return ERROR_SUCCESS;
}

} // namespace

DWORD EraseListedFile(EraseContext& c, const ListedFile& f)
{
    const DWORD result = EraseListed(c, f);
    if (result != ERROR_SUCCESS && result != ERROR_OPERATION_ABORTED) ++c.run.filesLeft;
    return result;
}

DWORD EraseNamedFile(EraseContext& c, const std::string& filePath)
{
    if (filePath.empty()) return ERROR_SUCCESS;
    const std::wstring longPath = LongPath(filePath);
    const std::size_t slash = longPath.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == longPath.size()) return ERROR_SUCCESS;
    // The listing of this one name: its attributes, its reparse tag and its long name.
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW(longPath.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_SUCCESS;
    find.reset();
    // The folder as the system names it, so the handle's own name can be checked against it.
    std::wstring folder = longPath.substr(0, slash);
    {
        UniqueFile handle(::CreateFileW(AddBackslashW(folder).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const std::wstring final = handle ? FinalPathOf(handle.get()) : std::wstring();
        if (!final.empty()) folder = final;
    }
    ListedFile f{filePath, AddBackslashW(folder) + data.cFileName, {}};
    // Named as the file system spells it, when the caller's spelling differs only in case.
    if (SamePath(f.longPath, longPath)) f.display = DisplayPath(f.longPath);
    f.entry.name = data.cFileName;
    f.entry.attributes = data.dwFileAttributes;
    f.entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    f.entry.reparseTag = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
    return EraseListedFile(c, f);
}

} // namespace sweepora
