#include "erasure/RecycleBin.h"

#include "platform/WideText.h"

#include <shellapi.h>

namespace sweepora {

namespace {

bool Count(const std::wstring& root, std::int64_t& items, std::int64_t& bytes)
{
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(::SHQueryRecycleBinW(root.empty() ? nullptr : root.c_str(), &info))) return false;
    items = info.i64NumItems;
    bytes = info.i64Size;
    return true;
}

} // namespace

RecycleBinOutcome EraseRecycleBin(const EraseContext& context, const std::string& root, DWORD flags)
{
    RecycleBinOutcome outcome;
    const std::wstring wideRoot = WideFromUtf8(root); // a mounted folder's root may have any name
    outcome.counted = Count(wideRoot, outcome.before, outcome.bytes);
    outcome.after = outcome.before;
    if (!context.run.live || (outcome.counted && outcome.before == 0)) return outcome;
    outcome.result = ::SHEmptyRecycleBinW(nullptr, wideRoot.empty() ? nullptr : wideRoot.c_str(), flags);
    std::int64_t bytes = 0;
    outcome.counted = Count(wideRoot, outcome.after, bytes) && outcome.counted;
    return outcome;
}

} // namespace sweepora
