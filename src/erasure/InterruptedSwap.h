#pragma once
// The one rule for what an interrupted replace leaves, of a file or of a folder: the
// original set aside, the new copy made beside it, and whatever now has the real name.
#include <string>

namespace sweepora {

enum class LeftOver {
    Nothing,  // no original set aside: only a new copy may be left, which holds nothing of its own
    PutBack,  // the real name is free: the set-aside original goes back there
    EraseOld, // the new copy reached the real name: the set-aside original is the old data to erase
    KeepBoth, // the real name was taken while the new copy waited, so the set-aside copy may be
              // the only original: both stay, for the user to choose, and the new copy stays
              // too, as the mark that tells this state from EraseOld at the next clean
};

// `current`: something has the real name; `setAside`: the original waits under its aside
// name; `newCopy`: the new copy is still under its own name, never put in place.
LeftOver JudgeLeftOver(bool current, bool setAside, bool newCopy);

// What the log says of a KeepBoth: which copy is which, and that they stay.
std::string KeptBothText(const std::wstring& current, const std::wstring& setAside, const std::wstring& newCopy);

} // namespace sweepora
