#include "erasure/StoreRewrite.h"

#include "erasure/FileEraser.h"
#include "platform/LongPath.h"

namespace sweepora {

std::string RewriteLevelDbStore(EraseContext& context, LevelDbStore& store, const std::vector<LevelDbEntry>& keep,
                                const std::function<std::string()>& stillFree)
{
    // Listed before the rewrite: after it, nothing names them.
    const std::vector<std::wstring> obsolete = store.Obsolete();
    if (context.run.live)
        if (LevelDbOutcome replaced = store.Replace(keep, stillFree); !replaced) return replaced.reason;
    for (const std::wstring& path : obsolete) EraseNamedFile(context, DisplayPath(path));
    return {};
}

void EraseLevelDbStrays(EraseContext& context, const LevelDbStore& store)
{
    for (const std::wstring& path : store.Strays()) EraseNamedFile(context, DisplayPath(path));
}

} // namespace sweepora
