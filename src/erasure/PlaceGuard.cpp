#include "erasure/PlaceGuard.h"

#include "erasure/TargetGuards.h"
#include "platform/LongPath.h"
#include "platform/WideText.h"

namespace sweepora {

FolderVerdict PlaceGuard::JudgeFolder(const std::wstring& canonical, const std::vector<std::wstring>& masks,
                                      bool recurse, bool removeSelf) const
{
    FolderVerdict v;
    v.recurse = recurse;
    v.remove = removeSelf;
    const std::string why = ProtectedFolderReason(canonical, places_);
    if (why.empty()) {
        v.masks = masks;
        return v;
    }
    const std::string where = DisplayPath(canonical);
    if (recurse || removeSelf) {
        v.refusals.push_back(where + ": only files named by a fixed mask may go here, not the folders below, " + why);
        v.recurse = v.remove = false;
        return v;
    }
    for (const std::wstring& mask : masks) {
        if (MaskMatchesEverything(Utf8FromWide(mask)))
            v.refusals.push_back(where + Utf8FromWide(mask) + ": a mask for every file, " + why);
        else
            v.masks.push_back(mask);
    }
    return v;
}

std::string PlaceGuard::FileRefusal(const std::wstring&, const std::wstring&) const
{
    return {};
}

std::string PlaceGuard::WildcardRefusal(const std::wstring& canonicalParent, bool) const
{
    const std::string why = ProtectedFolderReason(canonicalParent, places_);
    return why.empty() ? why : DisplayPath(canonicalParent) + ": a wildcard may not reach this folder, " + why;
}

std::string PlaceGuard::RegistryRefusal(const RegistryTarget& target) const
{
    return RegistryKeyRefusal(target.key);
}

} // namespace sweepora
