#include "iea/IntelliForms.h"

#include "erasure/RegistryValues.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace sweepora::iea {

namespace {

// The helper has no log of its own: its exit status says whether the list went.
class QuietLog final : public EraseLog {
public:
    void AddLogEntry(const std::string&, const std::string&) noexcept override {}
};

} // namespace

bool ClearIntelliFormsStorage()
{
    UniqueKey key;
    const LONG opened = ::RegOpenKeyExA(HKEY_CURRENT_USER, kIntelliFormsStorageKey, 0,
                                        KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;

    // The erasure library deletes, as for every other list the run empties.
    RunState run;
    run.live = true;
    QuietLog log;
    EraseContext context{run, log, nullptr};
    EraseValues(context, key.get());
    DWORD left = 0;
    return ::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &left, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           left == 0;
}

} // namespace sweepora::iea
