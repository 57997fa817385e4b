#include "erasure/PlaceGuard.h"

#include "erasure/FileGuard.h"
#include "erasure/RegistryGuard.h"

namespace sweepora {

FolderVerdict PlaceGuard::JudgeFolder(const std::wstring& canonical, const std::vector<std::wstring>& masks,
                                      bool recurse, bool removeSelf) const
{
    FolderJudgement j = sweepora::JudgeFolder(places_, canonical, masks, recurse, removeSelf);
    FolderVerdict v;
    v.masks = std::move(j.masks);
    v.recurse = j.recurse;
    v.remove = j.removeSelf;
    v.refusals = std::move(j.refusals);
    return v;
}

std::string PlaceGuard::FileRefusal(const std::wstring& canonicalFolder, const std::wstring& name) const
{
    return sweepora::FileRefusal(places_, canonicalFolder, name);
}

std::string PlaceGuard::WildcardRefusal(const std::wstring& canonicalParent, bool namedFollows) const
{
    return sweepora::WildcardRefusal(places_, canonicalParent, namedFollows);
}

std::string PlaceGuard::RegistryRefusal(const RegistryTarget& target) const
{
    return sweepora::RegistryRefusal(target.action, target.key, target.value);
}

} // namespace sweepora
