#include "erasure/RefusalText.h"

#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/WideText.h"

namespace sweepora {

namespace {

std::string WithoutBackslash(std::string path)
{
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

} // namespace

std::string SpelledRefusal(std::string why, const std::wstring& canonical, const std::string& shown)
{
    const std::string upper = WithoutBackslash(DisplayPath(canonical)), spelled = WithoutBackslash(shown);
    const std::size_t at = why.find(upper);
    if (!upper.empty() && at != std::string::npos && SamePath(WideFromUtf8(upper), WideFromUtf8(spelled)))
        why.replace(at, upper.size(), spelled);
    return why;
}

} // namespace sweepora
