#include "iea/ProtectedStorageForms.h"

#include <windows.h>
#include <objbase.h>
#include <pstore.h>

#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace sweepora::iea {

namespace {

// The item type under which Internet Explorer stores AutoComplete data.
constexpr GUID kAutoCompleteType = {0xe161255a, 0x37c3, 0x11d2, {0xbc, 0xaa, 0x00, 0xc0, 0x4f, 0xd9, 0x29, 0xdb}};

using CreateInstanceFn = HRESULT(WINAPI*)(IPStore**, PST_PROVIDERID*, void*, DWORD);

struct Releaser {
    void operator()(IUnknown* p) const { p->Release(); }
};
template <typename T>
using ComRef = std::unique_ptr<T, Releaser>;

struct LibraryFree {
    void operator()(HMODULE m) const { ::FreeLibrary(m); }
};

std::vector<GUID> Subtypes(IPStore& store)
{
    std::vector<GUID> subtypes;
    IEnumPStoreTypes* raw = nullptr;
    if (FAILED(store.EnumSubtypes(PST_KEY_CURRENT_USER, &kAutoCompleteType, 0, &raw)) || raw == nullptr)
        return subtypes;
    const ComRef<IEnumPStoreTypes> found(raw);
    GUID subtype;
    DWORD fetched = 0;
    while (found->Next(1, &subtype, &fetched) == S_OK && fetched == 1) subtypes.push_back(subtype);
    return subtypes;
}

std::vector<std::wstring> ItemNames(IPStore& store, const GUID& subtype)
{
    std::vector<std::wstring> names;
    IEnumPStoreItems* raw = nullptr;
    if (FAILED(store.EnumItems(PST_KEY_CURRENT_USER, &kAutoCompleteType, &subtype, 0, &raw)) || raw == nullptr)
        return names;
    const ComRef<IEnumPStoreItems> found(raw);
    LPWSTR name = nullptr;
    DWORD fetched = 0;
    while (found->Next(1, &name, &fetched) == S_OK && fetched == 1) {
        if (name != nullptr) names.emplace_back(name);
        ::CoTaskMemFree(name);
        name = nullptr;
    }
    return names;
}

// Form fields are stored under the field's name; saved passwords under the site's address.
bool IsFormEntry(const std::wstring& name) { return name.find(L"://") == std::wstring::npos; }

} // namespace

bool ClearProtectedStorageForms()
{
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree> library(::LoadLibraryA("pstorec.dll"));
    if (!library) return true;
    const auto create =
        reinterpret_cast<CreateInstanceFn>(reinterpret_cast<void (*)()>(::GetProcAddress(library.get(), "PStoreCreateInstance")));
    if (create == nullptr) return true;

    IPStore* raw = nullptr;
    // Wine ships the library without the service behind it: that is absent too.
    if (FAILED(create(&raw, nullptr, nullptr, 0)) || raw == nullptr) return true;
    const ComRef<IPStore> store(raw);

    bool allGone = true;
    for (const GUID& subtype : Subtypes(*store)) {
        // Collected first: deleting while enumerating would skip entries.
        for (const std::wstring& name : ItemNames(*store, subtype)) {
            if (!IsFormEntry(name)) continue;
            if (FAILED(store->DeleteItem(PST_KEY_CURRENT_USER, &kAutoCompleteType, &subtype, name.c_str(), nullptr,
                                         0)))
                allGone = false;
        }
    }
    return allGone;
}

} // namespace sweepora::iea
