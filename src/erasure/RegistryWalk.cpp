#include "erasure/RegistryWalk.h"

#include "erasure/MatchingFiles.h"
#include "erasure/RegistryOpen.h"
#include "platform/WideText.h"

namespace sweepora {

namespace {

constexpr REGSAM kWalkAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

class Walker {
public:
    Walker(const RegistryWalkRequest& request, const std::atomic<bool>& abortFlag) : r_(request), abort_(abortFlag) {}

    // `key` is open on the parts found so far; `next` is the pattern part to take.
    void Walk(HKEY key, WalkedKey& found, std::size_t next)
    {
        if (abort_) return;
        if (next == r_.parts.size()) {
            const std::string why = r_.judge ? r_.judge(found.text) : std::string();
            if (!why.empty())
                r_.refuse(why);
            else
                r_.visit(found);
            return;
        }
        const std::string& part = r_.parts[next];
        if (!HasWildcard(std::string_view(part))) {
            Step(key, part, found, next);
            return;
        }
        const std::wstring pattern = WideFromUtf8(part);
        // Named first: whatever the visits delete, the list stays as it was found.
        for (const std::wstring& name : SubkeyNames(key))
            if (LongNameMatches(name, pattern)) Step(key, Utf8FromWide(name), found, next);
    }

private:
    void Step(HKEY key, const std::string& name, WalkedKey& found, std::size_t next)
    {
        if (abort_) return;
        OpenedKey child = OpenKeyWithoutLinks(key, {name}, kWalkAccess);
        found.parts.push_back(name);
        const std::string text = found.text;
        found.text += "\\" + name;
        if (child.state == OpenedKey::State::Link)
            r_.refuse(found.text + " is a registry link, and a link is never gone through or erased");
        else if (child.state == OpenedKey::State::Opened)
            Walk(child.handle, found, next + 1);
        // A key that is missing or that cannot be read matches nothing.
        found.text = text;
        found.parts.pop_back();
    }

    const RegistryWalkRequest& r_;
    const std::atomic<bool>& abort_;
};

} // namespace

void WalkRegistryPattern(const RegistryWalkRequest& request, const std::atomic<bool>& abortFlag)
{
    if (!request.namesValue && !request.parts.empty() && HasWildcard(std::string_view(request.parts.back()))) {
        request.refuse("a wildcard in the last part of a key would choose what goes whole");
        return;
    }
    WalkedKey found{request.rootText, {}};
    Walker(request, abortFlag).Walk(request.root, found, 0);
}

} // namespace sweepora
