#include "erasure/FileReplace.h"

#include "erasure/FileEraser.h"
#include "erasure/InterruptedSwap.h"
#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace sweepora {

namespace {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string NameOf(const std::wstring& path)
{
    const std::string shown = DisplayPath(path);
    return shown.substr(shown.find_last_of('\\') + 1);
}

std::wstring Upper(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

// Empty when `path` is a plain file with one name and exactly `expected` as its bytes.
std::string Unchanged(const std::wstring& path, const std::string& expected)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return "it cannot be read (" + ErrorText(::GetLastError()) + ")";
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info))
        return "it cannot be read (" + ErrorText(::GetLastError()) + ")";
    // Replacing a link or one name of several would leave the shared bytes behind.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1)
        return "it is a link or has other names";
    // A link to a file looks like a plain file on some systems: its final path gives it away.
    const std::size_t slash = path.find_last_of(L'\\');
    UniqueFile folder(::CreateFileW(path.substr(0, slash + 1).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::wstring final = FinalPathOf(file.get()), folderFinal = folder ? FinalPathOf(folder.get()) : L"";
    if (!final.empty() && !folderFinal.empty() &&
        Upper(final) != Upper(AddBackslashW(folderFinal) + path.substr(slash + 1)))
        return "it is a link";
    const std::uint64_t size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size != expected.size()) return "it changed while it was being cleaned";
    std::string bytes;
    if (const DWORD error = ReadOpenFile(file.get(), expected.size(), bytes); error == ERROR_FILE_TOO_LARGE)
        return "it changed while it was being cleaned";
    else if (error != ERROR_SUCCESS)
        return "it cannot be read (" + ErrorText(error) + ")";
    if (bytes != expected) return "it changed while it was being cleaned";
    return {};
}

// Writes `bytes` to a file that must not exist yet, through to the disk.
std::string WriteNew(const std::wstring& path, const std::string& bytes, DWORD attributes)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  attributes | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) return "its new copy cannot be made (" + ErrorText(::GetLastError()) + ")";
    if (const DWORD error = WriteOpenFile(file.get(), bytes); error != ERROR_SUCCESS)
        return "its new copy cannot be written (" + ErrorText(error) + ")";
    if (!::FlushFileBuffers(file.get())) return "its new copy cannot be flushed (" + ErrorText(::GetLastError()) + ")";
    return {};
}

// Erases a leftover sibling; empty when it is gone.
std::string EraseSibling(EraseContext& context, const std::wstring& path)
{
    if (!Exists(path)) return {};
    const DWORD error = EraseNamedFile(context, DisplayPath(path));
    if (error == ERROR_SUCCESS) return {};
    return NameOf(path) + " cannot be erased (" + ErrorText(error) + ")";
}

bool Move(const std::wstring& from, const std::wstring& to)
{
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

} // namespace

std::wstring ReplacementName(const std::wstring& path) { return path + L".sweepora-new"; }
std::wstring SetAsideName(const std::wstring& path) { return path + L".sweepora-old"; }

std::string RecoverReplace(EraseContext& context, const std::wstring& path)
{
    if (!context.run.live) return {};
    const std::wstring fresh = ReplacementName(path), aside = SetAsideName(path);
    switch (JudgeLeftOver(Exists(path), Exists(aside), Exists(fresh))) {
    case LeftOver::PutBack:
        // Interrupted between the two moves: the original goes back, so no user data is
        // lost; this run edits it again.
        if (!Move(aside, path))
            return "an earlier clean was interrupted and " + NameOf(aside) + " cannot be put back (" +
                   ErrorText(::GetLastError()) + ")";
        break;
    case LeftOver::KeepBoth:
        return KeptBothText(path, aside, fresh);
    case LeftOver::Nothing:
    case LeftOver::EraseOld:
        break;
    }
    // What is left is either an edited copy never put in place or the original's old bytes.
    if (std::string problem = EraseSibling(context, fresh); !problem.empty()) return problem;
    return EraseSibling(context, aside);
}

ReplaceOutcome ReplaceFileBytes(EraseContext& context, const std::wstring& path, const std::string& expected,
                                const std::string& bytes)
{
    ReplaceOutcome outcome;
    if (!context.run.live) {
        outcome.problem = "a test run replaces nothing";
        return outcome;
    }
    if ((outcome.problem = RecoverReplace(context, path)) != "") return outcome;
    if ((outcome.problem = Unchanged(path, expected)) != "") return outcome;

    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES
                           ? FILE_ATTRIBUTE_NORMAL
                           : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    const std::wstring fresh = ReplacementName(path), aside = SetAsideName(path);
    if (std::string problem = WriteNew(fresh, bytes, kept ? kept : FILE_ATTRIBUTE_NORMAL); !problem.empty()) {
        outcome.problem = problem;
        EraseSibling(context, fresh);
        return outcome;
    }
    // Looked at again just before the move, so that a write by someone else is not lost.
    std::string changed = Unchanged(path, expected);
    if (changed.empty() && !Move(path, aside))
        changed = "it cannot be moved aside (" + ErrorText(::GetLastError()) + ")";
    if (!changed.empty()) {
        outcome.problem = changed;
        EraseSibling(context, fresh);
        return outcome;
    }
    if (!Move(fresh, path)) {
        const DWORD error = ::GetLastError();
        if (!Move(aside, path)) {
            outcome.problem = "its new copy cannot be put in place (" + ErrorText(error) +
                              ") and the original stays as " + NameOf(aside) + " until the next clean puts it back";
            return outcome;
        }
        outcome.problem = "its new copy cannot be put in place (" + ErrorText(error) + ")";
        EraseSibling(context, fresh);
        return outcome;
    }
    outcome.replaced = true;
    if (std::string problem = EraseSibling(context, aside); !problem.empty())
        outcome.problem = "the old copy " + problem.substr(NameOf(aside).size() + 1);
    return outcome;
}

} // namespace sweepora
