#include "browsers/ChromiumDownloadRecords.h"

#include "erasure/StoreRewrite.h"
#include "formats/LevelDb.h"
#include "formats/ProtoBuffer.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sweepora {

namespace {

constexpr char kDownloadPrefix[] = "21_download,";
// Messages inside messages: a download record nests two or three deep.
constexpr int kMaxDepth = 8;

bool LooksLikeAddress(const std::string& text)
{
    const std::size_t scheme = text.find("://");
    if (scheme == std::string::npos || scheme == 0 || scheme > 16) return false;
    for (const char c : text)
        if (c <= 0x20 || c >= 0x7f) return false;
    return true;
}

// The addresses anywhere in a protocol buffer: every length-delimited field that reads as
// an address, or else as a message of its own.
void CollectAddresses(const std::string& message, int depth, std::vector<std::string>& addresses)
{
    std::vector<std::string> found;
    const bool whole = ForEachProtoField(message, [&](const ProtoField& field) {
        if (field.wireType != 2) return;
        if (LooksLikeAddress(field.bytes))
            found.push_back(field.bytes);
        else if (depth < kMaxDepth)
            CollectAddresses(field.bytes, depth + 1, found);
    });
    // Bytes that only look like a message for a while are text or a blob.
    if (whole) addresses.insert(addresses.end(), found.begin(), found.end());
}

} // namespace

std::vector<StoreOutcome> CleanChromiumDownloadRecords(EraseContext& context, const BrowserProfile& profile,
                                                       const KeptAddress& kept)
{
    std::wstring folder = profile.folder;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    folder += L"shared_proto_db";
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    StoreOutcome outcome;
    outcome.store = "shared_proto_db downloads";
    LevelDbStore store;
    if (LevelDbOutcome read = store.Open(folder, context.run.live); !read) {
        if (read.problem == LevelDbProblem::Missing) return {};
        outcome.problem = read.reason;
        return {outcome};
    }
    std::vector<LevelDbEntry> keep;
    std::size_t unread = 0;
    for (const LevelDbEntry& entry : store.Entries()) {
        if (entry.key.compare(0, sizeof kDownloadPrefix - 1, kDownloadPrefix) != 0) {
            keep.push_back(entry);
            continue;
        }
        std::vector<std::string> addresses;
        CollectAddresses(entry.value, 0, addresses);
        bool stays = addresses.empty();
        for (const std::string& address : addresses) stays = stays || (kept && kept(address));
        if (addresses.empty()) ++unread;
        if (stays)
            keep.push_back(entry);
        else
            ++outcome.rows;
    }
    if (unread) outcome.unknown = "left alone: " + std::to_string(unread) + " download record(s) naming no address";
    if (outcome.rows == 0) {
        EraseLevelDbStrays(context, store);
        return {outcome};
    }
    if (std::string problem = RewriteLevelDbStore(context, store, keep, [&] { return ProfileInUse(profile); });
        !problem.empty()) {
        outcome.problem = problem;
        outcome.rows = 0;
    }
    return {outcome};
}

} // namespace sweepora
