#pragma once
// A user file rewritten in full without a moment where it is half written: the new bytes
// go to a sibling, the original is moved aside and the sibling put in its place, and the
// aside copy is then erased so that what the edit removed is overwritten on the disk.
#include "erasure/EraseContext.h"

#include <string>

namespace sweepora {

struct ReplaceOutcome {
    bool replaced = false; // the new bytes are in place
    std::string problem;   // why the file stayed as it was, or what went wrong once replaced
};

// The sibling names a replace uses, and a run interrupted between its steps leaves.
std::wstring ReplacementName(const std::wstring& path); // "<path>.sweepora-new"
std::wstring SetAsideName(const std::wstring& path);    // "<path>.sweepora-old"

// Puts back what an interrupted replace of `path` left, by JudgeLeftOver's rule: an
// original still set aside while `path` is missing goes back in place; one beside a `path`
// made since stays with it and the edited copy (the reason names which is which), at every
// clean until the user removes one; otherwise the leftover
// siblings are erased. Empty when nothing is left over or all of it was dealt with,
// otherwise why not.
std::string RecoverReplace(EraseContext& context, const std::wstring& path);

// Replaces the file at `path` ("\\?\" form) by `bytes`, provided it still holds exactly
// `expected` (what the caller edited): a file that changed meanwhile, is a link or has
// other names, or cannot be moved, stays as it was. The new file is written through and
// flushed before the original moves; the original is then erased through EraseNamedFile,
// which logs its line. A live run only: the caller counts in a test run.
ReplaceOutcome ReplaceFileBytes(EraseContext& context, const std::wstring& path, const std::string& expected,
                                const std::string& bytes);

} // namespace sweepora
