#include "erasure/InterruptedSwap.h"

#include "platform/LongPath.h"

namespace sweepora {

LeftOver JudgeLeftOver(bool current, bool setAside, bool newCopy)
{
    if (!setAside) return LeftOver::Nothing;
    if (!current) return LeftOver::PutBack;
    // The new copy leaves its own name only by taking the real one; while it still has
    // its own, what holds the real name came from elsewhere (the application, meanwhile).
    return newCopy ? LeftOver::KeepBoth : LeftOver::EraseOld;
}

std::string KeptBothText(const std::wstring& current, const std::wstring& setAside, const std::wstring& newCopy)
{
    return "an earlier clean was cut short: " + DisplayPath(setAside) + " is the original from before it, and " +
           DisplayPath(current) + " was made since by another program; both are kept, as either may be the one " +
           "to keep (" + DisplayPath(newCopy) + ", the cleaned copy, stays until one of them is removed)";
}

} // namespace sweepora
