#pragma once
#include "erasure/ProtectedPlaces.h"
#include "erasure/TargetEraser.h"

namespace sweepora {

// The guard every plugin and definition runs under: this machine's protected places.
class PlaceGuard final : public TargetGuard {
public:
    explicit PlaceGuard(ProtectedPlaces places) : places_(std::move(places)) {}

    FolderVerdict JudgeFolder(const std::wstring& canonicalFolder, const std::vector<std::wstring>& masks, bool recurse,
                              bool removeSelf) const override;
    std::string FileRefusal(const std::wstring& canonicalFolder, const std::wstring& name) const override;
    std::string WildcardRefusal(const std::wstring& canonicalParent, bool namedFollows) const override;
    std::string RegistryRefusal(const RegistryTarget& target) const override;

private:
    ProtectedPlaces places_;
};

} // namespace sweepora
