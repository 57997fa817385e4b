#include "erasure/FolderSwap.h"

#include "erasure/FolderWalk.h"
#include "erasure/InterruptedSwap.h"
#include "platform/ErrorText.h"
#include "platform/LongPath.h"

#include <windows.h>

namespace sweepora {

namespace {

std::wstring WithoutBackslash(std::wstring folder)
{
    while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

std::wstring FreshFolderOf(const std::wstring& folder) { return WithoutBackslash(folder) + L".sweepora-new"; }

std::wstring AsideFolderOf(const std::wstring& folder) { return WithoutBackslash(folder) + L".sweepora-old"; }

void EraseWholeFolder(EraseContext& context, const std::wstring& folder, const std::wstring& shownAs)
{
    WalkRequest request;
    request.folder = WithoutBackslash(folder);
    request.display = DisplayPath(shownAs.empty() ? request.folder : WithoutBackslash(shownAs)) + "\\";
    request.recurse = true;
    request.removeSubfolders = true;
    request.removeFolder = true;
    request.hiddenFiles = true;
    WalkFolder(context, request);
}

std::string RestoreFolderSwap(EraseContext& context, const std::wstring& folder)
{
    const std::wstring real = WithoutBackslash(folder);
    const std::wstring aside = AsideFolderOf(real);
    const std::wstring fresh = FreshFolderOf(real);
    switch (JudgeLeftOver(Exists(real), IsFolder(aside), IsFolder(fresh))) {
    case LeftOver::PutBack:
        // Cut short between the two renames: the old store is the whole one.
        if (!::MoveFileExW(aside.c_str(), real.c_str(), 0))
            return "an earlier clean left " + DisplayPath(aside) + " and it cannot be put back (" +
                   ErrorText(::GetLastError()) + ")";
        context.log.AddLogEntry(DisplayPath(real), "put back after an interrupted clean");
        break;
    case LeftOver::KeepBoth:
        return KeptBothText(real, aside, fresh);
    case LeftOver::EraseOld:
        // Cut short while the old store was being erased.
        EraseWholeFolder(context, aside);
        break;
    case LeftOver::Nothing:
        break;
    }
    if (IsFolder(fresh)) EraseWholeFolder(context, fresh);
    if (Exists(aside) || Exists(fresh))
        return "an earlier clean left " + DisplayPath(Exists(aside) ? aside : fresh) + ", which cannot be removed";
    return {};
}

std::string SwapInFreshFolder(EraseContext& context, const std::wstring& folder)
{
    const std::wstring real = WithoutBackslash(folder);
    const std::wstring aside = AsideFolderOf(real);
    const std::wstring fresh = FreshFolderOf(real);
    if (Exists(aside)) return DisplayPath(aside) + " is in the way";
    if (!::MoveFileExW(real.c_str(), aside.c_str(), 0))
        return "it cannot be moved aside (" + ErrorText(::GetLastError()) + ")";
    if (!::MoveFileExW(fresh.c_str(), real.c_str(), 0)) {
        const DWORD error = ::GetLastError();
        if (!::MoveFileExW(aside.c_str(), real.c_str(), 0))
            return "the new copy cannot be moved into place (" + ErrorText(error) +
                   "), and the old one cannot be put back from " + DisplayPath(aside);
        return "the new copy cannot be moved into place (" + ErrorText(error) + ")";
    }
    EraseWholeFolder(context, aside, real);
    return {};
}

} // namespace sweepora
