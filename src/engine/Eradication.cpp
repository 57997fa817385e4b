#include "engine/Eradication.h"

#include "erasure/FileOverwrite.h"
#include "engine/Timestamp.h"
#include "platform/FolderListing.h"
#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "erasure/ProtectedFolders.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <commdlg.h>

#include <cstdio>
#include <random>

namespace sweepora {

namespace {

// What the walk or the caller knows of one file before it is opened.
struct Target {
    std::string display;   // UTF-8, as the log shows it
    std::wstring longPath; // what is opened: the folder's final path and the listed name
    ListedEntry entry;     // fileId 0: not known
    DWORD* failure = nullptr; // receives the error of a logged failure
};

// Counters are 32-bit; sizes beyond that wrap instead of overflowing.
void AddWrapping(std::int32_t& counter, std::int64_t delta)
{
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + static_cast<std::uint32_t>(delta));
}

// Counted before the passes, as the run always has, and set back when it was not erased.
void Count(Session& s, std::uint64_t size, int sign = 1)
{
    AddWrapping(s.run.files, sign);
    AddWrapping(s.run.spaceSaved, sign * static_cast<std::int64_t>(size));
}

std::wstring GoneKey(std::wstring path)
{
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return UpperCaseWide(std::move(path));
}

// A test run treats what it already counted as erased as gone, so that its lines are the
// live run's: a file erased in a folder's walk is not found again by a plugin.
bool GoneInPreview(const Session& s, const std::wstring& longPath)
{
    if (s.run.live || s.run.previewGone.empty()) return false;
    std::wstring key = GoneKey(longPath);
    for (;;) {
        if (s.run.previewGone.count(key)) return true;
        const std::size_t slash = key.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash < 7) return false;
        key.resize(slash);
    }
}

void RememberGone(Session& s, const std::wstring& longPath)
{
    if (!s.run.live) s.run.previewGone.insert(GoneKey(longPath));
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

void LogFailure(Session& s, const Target& t, DWORD error)
{
    if (t.failure) *t.failure = error;
    s.log.AddLogEntry(t.display, ErrorText(error));
}

bool DeleteThrough(HANDLE file, DWORD& error)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) return true;
    error = ::GetLastError();
    return false;
}

bool RenameThrough(HANDLE file, const std::wstring& name)
{
    // A plain name renames within the same folder.
    std::vector<std::uint64_t> buffer((sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t)) / 8 + 1);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    name.copy(info->FileName, name.size());
    return ::SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size() * 8)) != FALSE;
}

// The name is a trace too: the file is emptied and renamed to a random name of the same
// length, then to a one-character one, before it goes. A failure here leaves the
// overwritten data gone all the same, so it only ends the scrubbing.
void ScrubName(HANDLE file, std::size_t nameLength)
{
    FILE_END_OF_FILE_INFO end = {};
    ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
    static constexpr wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, 35);
    for (std::size_t length : {nameLength, std::size_t{1}}) {
        bool renamed = false;
        for (int attempt = 0; attempt < 5 && !renamed; ++attempt) {
            std::wstring name(length, L'0');
            for (wchar_t& c : name) c = kAlphabet[pick(random)];
            renamed = RenameThrough(file, name);
        }
        if (!renamed || nameLength == 1) return;
    }
}

std::size_t NameLength(const std::wstring& longPath)
{
    const std::size_t slash = longPath.find_last_of(L'\\');
    return slash == std::wstring::npos ? longPath.size() : longPath.size() - slash - 1;
}

// Every alternate stream gets the same passes; a stream that cannot be opened, or that
// turns out to belong to another file, makes the overwrite incomplete.
OverwriteOutcome OverwriteStreams(Session& s, const Target& t, HANDLE file, const FileFacts& facts,
                                  int passes)
{
    OverwriteOutcome outcome;
    for (const StreamInfo& stream : s.eraseIo->Streams(file)) {
        const std::string streamName = Utf8FromWide(stream.name);
        UniqueFile handle(::CreateFileW((t.longPath + stream.name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
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
        outcome = OverwriteFile(handle.get(), OverwriteExtents(stream.size, nullptr), passes, *s.eraseIo, s.Yielder(),
                                [&s] { return s.run.abort.load(); });
        if (!outcome.incomplete.empty()) outcome.incomplete = "stream " + streamName + ", " + outcome.incomplete;
        if (outcome.aborted || !outcome.incomplete.empty()) return outcome;
    }
    return outcome;
}

OverwriteOutcome Overwrite(Session& s, const Target& t, HANDLE file, const FileFacts& facts, int passes)
{
    std::optional<std::vector<Extent>> ranges;
    if (facts.attributes & FILE_ATTRIBUTE_SPARSE_FILE) {
        // Only what is allocated: writing the holes of a huge sparse file could fill the disk.
        DWORD error = ERROR_SUCCESS;
        ranges = s.eraseIo->AllocatedRanges(file, facts.size, error);
        if (!ranges) {
            OverwriteOutcome unknown;
            unknown.incomplete = "the sparse file's allocated ranges could not be read: " + ErrorText(error);
            return unknown;
        }
    }
    OverwriteOutcome outcome =
        OverwriteFile(file, OverwriteExtents(facts.size, ranges ? &*ranges : nullptr), passes, *s.eraseIo,
                      s.Yielder(), [&s] { return s.run.abort.load(); });
    if (outcome.aborted || !outcome.incomplete.empty()) return outcome;
    return OverwriteStreams(s, t, file, facts, passes);
}

// A link found in a listing: only the link goes, never what it points to.
bool RemoveLink(Session& s, const Target& t)
{
    if (s.run.live) {
        UniqueFile link(::CreateFileW(t.longPath.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        DWORD error = ::GetLastError();
        if (!link || !DeleteThrough(link.get(), error)) {
            LogFailure(s, t, error);
            return false;
        }
    }
    RememberGone(s, t.longPath);
    s.log.AddLogEntry(t.display + " link removed", "its target was not touched");
    return true;
}

// A linked folder: the link goes with the subfolders, never what it points to.
bool RemoveFolderLink(Session& s, const Target& t)
{
    // Wine removes an empty target in the link's place and keeps the link.
    if (RunningUnderWine()) {
        s.log.AddLogEntry(t.display + " left in place",
                          "a linked folder: this system would remove its target instead of the link");
        return false;
    }
    if (s.run.live) {
        if (!::RemoveDirectoryW(t.longPath.c_str())) {
            LogFailure(s, t, ::GetLastError());
            return false;
        }
    }
    RememberGone(s, t.longPath);
    s.log.AddLogEntry(t.display + " link removed", "its target was not touched");
    return true;
}

// True when the file is gone (or, in a test run, would be).
bool EraseTarget(Session& s, const Target& t, int passes)
{
    if (GoneInPreview(s, t.longPath)) return true;
    const ListedEntry& e = t.entry;
    if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (IsLinkTag(e.reparseTag)) return RemoveLink(s, t);
        s.log.AddLogEntry(t.display + " left alone", ReparseReason(e.reparseTag));
        return false;
    }
    const bool live = s.run.live;
    // Refused as Windows refuses it, also where the process could write it anyway
    // (an administrator on some file systems, root under Wine).
    if (live && (e.attributes & FILE_ATTRIBUTE_READONLY)) {
        LogFailure(s, t, ERROR_ACCESS_DENIED);
        return false;
    }
    DWORD access = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    if (live) access |= DELETE | (passes > 0 ? GENERIC_READ | GENERIC_WRITE : 0);
    const DWORD share = live ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(::CreateFileW(t.longPath.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FileFacts facts;
    if (!file || !QueryFileFacts(file.get(), facts)) {
        const DWORD error = ::GetLastError();
        // Gone since the folder was listed: nothing left to erase, nothing to say.
        if (error == ERROR_FILE_NOT_FOUND) return true;
        LogFailure(s, t, error);
        return false;
    }
    if ((e.fileId != 0 && facts.fileId != e.fileId) ||
        (facts.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        s.log.AddLogEntry(t.display + " left in place", "it was replaced after the folder was listed");
        return false;
    }
    // Some links show as plain files in a listing; the handle then names the target.
    const std::wstring final = FinalPathOf(file.get());
    if (!SamePath(final, t.longPath)) {
        s.log.AddLogEntry(t.display + " left in place",
                          final.empty() ? "the system cannot say which file this name opens"
                                        : "a link to " + DisplayPath(final) + ": its target was not touched");
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    if (facts.links > 1) {
        // Overwriting would overwrite every other name's data too.
        if (live && !DeleteThrough(file.get(), error)) {
            LogFailure(s, t, error);
            return false;
        }
        RememberGone(s, t.longPath);
        s.log.AddLogEntry(t.display + " removed, not overwritten",
                          "one of " + std::to_string(facts.links) +
                              " names of the file: the other names still hold the data");
        return true;
    }
    const std::uint64_t size = facts.size;
    Count(s, size);
    if (!live) {
        RememberGone(s, t.longPath);
        s.log.AddLogEntry(t.display + " eradicated", TimestampText());
        return true;
    }
    OverwriteOutcome outcome;
    if (passes > 0) outcome = Overwrite(s, t, file.get(), facts, passes);
    if (outcome.aborted) {
        s.log.AddLogEntry(t.display + " **** aborted by user", TimestampText());
        return false;
    }
    if (passes > 0) ScrubName(file.get(), NameLength(t.longPath));
    if (!DeleteThrough(file.get(), error)) {
        Count(s, size, -1);
        LogFailure(s, t, error);
        return false;
    }
    file.reset();
    if (!outcome.incomplete.empty()) {
        Count(s, size, -1);
        s.log.AddLogEntry(t.display + " deleted, but the overwrite was incomplete", outcome.incomplete);
        return true;
    }
    s.log.AddLogEntry(t.display + " eradicated", TimestampText());
    return true;
}

std::string NotRemovedReason(DWORD error)
{
    if (error == ERROR_DIR_NOT_EMPTY) return "Not removed: not empty, something inside was kept";
    return "Not removed: " + ErrorText(error);
}

// A walked folder goes once its walk is over; in a test run it is taken as gone when its
// contents would all have gone, and otherwise `notEmptied` says why it would stay.
bool RemoveFolder(Session& s, const std::string& display, const std::wstring& longPath, bool emptied,
                  DWORD notEmptied)
{
    if (s.run.live) {
        if (!::RemoveDirectoryW(longPath.c_str())) {
            s.log.AddLogEntry(display, NotRemovedReason(::GetLastError()));
            return false;
        }
    } else if (!emptied) {
        s.log.AddLogEntry(display, NotRemovedReason(notEmptied));
        return false;
    }
    RememberGone(s, longPath);
    s.log.AddLogEntry(display, TimestampText());
    return true;
}

// Returns true when the folder's contents are all gone (or, in a test run, would be).
bool WalkFolder(Session& s, const std::string& display, const std::wstring& longPath, bool removeFolder,
                bool removeSubfolders, bool top)
{
    if (GoneInPreview(s, longPath)) return true;
    const YieldFn yield = s.Yielder();
    yield();
    FolderListing listing = ListFolder(longPath);
    if (listing.isLink) {
        s.log.AddLogEntry(display, "Not cleaned: the folder is a link, which is never followed");
        return false;
    }
    // Below the chosen folder every name comes from a listing, so the system's own name
    // for the folder must be the one the walk built; anything else came through a link.
    if (!top && !listing.finalPath.empty() && !SamePath(listing.finalPath, longPath)) {
        s.log.AddLogEntry(display, "Not cleaned: reached through a link to " + DisplayPath(listing.finalPath));
        return false;
    }
    const std::wstring base = listing.finalPath.empty() ? longPath : listing.finalPath;
    bool emptied = listing.error == ERROR_SUCCESS;
    for (const ListedEntry& entry : listing.entries) {
        if (s.run.abort) break;
        if (entry.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
            emptied = false;
            continue;
        }
        Target t{display + Utf8FromWide(entry.name), AddBackslashW(base) + entry.name, entry};
        const bool folder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            t.display += "\\";
            emptied = (removeSubfolders && RemoveFolderLink(s, t)) && emptied;
        } else if (folder) {
            emptied = WalkFolder(s, t.display + "\\", t.longPath, removeSubfolders, removeSubfolders, false) &&
                      removeSubfolders && emptied;
        } else {
            emptied = EraseTarget(s, t, s.settings.Passes()) && emptied;
        }
        yield();
    }
    listing.handle.reset();
    if (!removeFolder || s.run.abort) return false;
    return RemoveFolder(s, display, longPath, emptied, listing.error == ERROR_SUCCESS ? ERROR_DIR_NOT_EMPTY : listing.error);
}

} // namespace

DWORD EradicateFile(Session& s, const std::string& filePath, std::int16_t passes)
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
    ListedEntry entry;
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.reparseTag = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
    DWORD failure = ERROR_SUCCESS;
    // A file left in place for its own reason (a link, a replaced file) has no error code.
    if (!EraseTarget(s, Target{filePath, AddBackslashW(folder) + entry.name, entry, &failure}, passes) &&
        failure == ERROR_SUCCESS)
        failure = ERROR_CANNOT_MAKE;
    return failure;
}

void EradicateFolder(Session& s, std::string& folderPath, bool removeFolder, bool removeSubfolders)
{
    if (folderPath.empty()) return;
    folderPath = AddBackslash(folderPath);
    WalkFolder(s, folderPath, LongPath(folderPath), removeFolder, removeSubfolders, true);
}

bool RemoveWalkedFolder(Session& s, const std::string& folderPath, bool emptied)
{
    const std::wstring longPath = LongPath(folderPath);
    if (GoneInPreview(s, longPath)) return true;
    return RemoveFolder(s, folderPath, longPath, emptied, ERROR_DIR_NOT_EMPTY);
}

void CleanCustomDirs(Session& s)
{
    // The administrator's folders join the user's, each folder once.
    std::vector<std::string> folders = s.settings.CustomDirList;
    for (const std::string& folder : s.settings.PolicyCustomDirList) {
        bool listed = false;
        for (const std::string& own : folders) listed = listed || EqualsIgnoringCase(own, folder);
        if (!listed) folders.push_back(folder);
    }
    for (const std::string& folder : folders) {
        const std::string refusal = CustomDirRefusal(folder);
        if (!refusal.empty()) {
            s.log.AddLogEntry(folder, "Skipped: " + refusal);
        } else {
            std::string path = folder;
            EradicateFolder(s, path, true, true);
        }
        s.host.YieldToQueue();
        if (s.run.abort) break;
    }
}

void EradicateChosenFile(Session& s)
{
    std::string chosen;
    if (!s.desktop.ChooseFileToOpen("All Files(*.*)|*.*", OFN_HIDEREADONLY, chosen)) return;
    if (!TrimBlanks(chosen).empty()) EradicateFile(s, chosen, s.settings.Passes());
}

} // namespace sweepora
