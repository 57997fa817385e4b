#pragma once
// Replaces a folder by a new one built beside it, for stores that are rewritten whole
// rather than edited in place: the old folder is renamed aside, the new one renamed into
// its place, then the old one is erased file by file. Either name always holds a whole
// store; a swap cut short is put back by RestoreFolderSwap.
#include "erasure/EraseContext.h"

#include <string>

namespace sweepora {

// Where the new folder is built, and where the old one waits to be erased.
std::wstring FreshFolderOf(const std::wstring& folder);
std::wstring AsideFolderOf(const std::wstring& folder);

// Undoes what an interrupted swap left, by JudgeLeftOver's rule: an aside folder with the
// real one missing is put back; one beside a real folder made since stays with it and the
// fresh one (the reason names which is which); a leftover fresh folder, or an aside one whose
// replacement is in place, is erased.
// Empty when the folder is as it should be, else why not.
std::string RestoreFolderSwap(EraseContext& context, const std::wstring& folder);

// Puts FreshFolderOf(folder) in the place of `folder` and erases the old one through the
// folder walk. Empty on success (the old files that could not be erased have their own
// lines), else why the folder was left as it was.
std::string SwapInFreshFolder(EraseContext& context, const std::wstring& folder);

// Erases a folder and everything in it, as a left-over fresh folder is. The log names the
// files below `shownAs` when given: an old copy is named where its data lived, so that a
// test run, which erases nothing and walks the folder itself, shows the same lines.
void EraseWholeFolder(EraseContext& context, const std::wstring& folder, const std::wstring& shownAs = {});

} // namespace sweepora
