#include "safelists/TypedUrlLoader.h"

#include "platform/RegistryAccess.h"
#include "platform/UniqueHandle.h"
#include "safelists/HistoryLoader.h"
#include "safelists/SafeListFile.h"

namespace sweepora {

void LoadTypedUrls(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                   const std::vector<std::string>& browserTyped)
{
    LoadSafeSide(page, folders, kSafeUrlsFile, yield);
    page.clean.Clear();

    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, kWriteAccess, key.put()) == ERROR_SUCCESS) {
        for (DWORD index = 0;; ++index) {
            char name[256] = {};
            DWORD nameLength = 255;
            if (::RegEnumValueA(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            page.clean.Add(GetRegString(HKEY_CURRENT_USER, kTypedUrlsKey, std::string(name, nameLength)));
            if (yield) yield();
        }
    }
    RemoveKeptEntries(page.clean, page.safe, yield);
    AddUnlisted(page, browserTyped, yield);
}

} // namespace sweepora
