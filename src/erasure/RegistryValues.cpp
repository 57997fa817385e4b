#include "erasure/RegistryValues.h"

#include <cstdint>

namespace sweepora {

void EraseValues(EraseContext& c, HKEY key, const std::function<bool(const std::string& name)>& keep)
{
    if (!key || !c.run.live) return;
    // A 16-bit index, as the lists have always been walked; the next value moves into the
    // index of a deleted one.
    std::int16_t index = 0;
    for (LONG result = ERROR_SUCCESS; result == ERROR_SUCCESS && !c.run.abort;) {
        char name[256] = {};
        DWORD length = 255;
        result = ::RegEnumValueA(key, static_cast<DWORD>(static_cast<std::uint16_t>(index)), name, &length, nullptr,
                                 nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) break;
        const std::string text(name, length);
        if (keep && keep(text))
            ++index;
        else
            result = ::RegDeleteValueA(key, text.c_str());
    }
}

} // namespace sweepora
