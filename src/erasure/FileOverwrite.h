#pragma once
#include "platform/ErrorText.h"
#include "platform/FolderListing.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sweepora {

struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool operator==(const Extent& o) const { return offset == o.offset && length == o.length; }
};

// One alternate data stream of a file: its name as the system spells it (":name:$DATA").
struct StreamInfo {
    std::wstring name;
    std::uint64_t size = 0;
};

// The file-system calls an overwrite makes, behind one seam, so that a full disk, a
// stream or a sparse file can be shown where the platform cannot make one.
class EraseIo {
public:
    virtual ~EraseIo() = default;
    // ERROR_SUCCESS, or why not every byte was written.
    virtual DWORD Write(HANDLE file, std::uint64_t offset, const char* bytes, DWORD length) const;
    virtual DWORD Flush(HANDLE file) const;
    // The alternate streams; none where the file system has none.
    virtual std::vector<StreamInfo> Streams(HANDLE file) const;
    // The ranges that hold data; nothing means all of it. Only asked of sparse files.
    virtual std::optional<std::vector<Extent>> AllocatedRanges(HANDLE file, std::uint64_t length,
                                                               DWORD& error) const;
    // What the open file is; false, with the last error set, when the system cannot say.
    virtual bool Facts(HANDLE file, FileFacts& facts) const;
    // Gives the open file a new full path; ERROR_SUCCESS or why not.
    virtual DWORD Rename(HANDLE file, const std::wstring& name) const;
    // Marks the open file for deletion; ERROR_SUCCESS or why not.
    virtual DWORD Delete(HANDLE file) const;
};

// The real calls.
const EraseIo& SystemEraseIo();

constexpr std::uint64_t kOverwriteBlock = 1024;

// What each pass writes: the file's own bytes first (only the allocated ranges when they
// are given), then the padding up to a whole number of blocks (length / block + 1 blocks).
std::vector<Extent> OverwriteExtents(std::uint64_t length, const std::vector<Extent>* allocated);

struct OverwriteOutcome {
    bool aborted = false;
    std::string incomplete; // why not every pass reached every byte; empty when all did
};

// `passes` passes over the open file, each block written with one pattern character and
// then another, flushed after each pass. A failed write or flush ends the passes.
// `yield` runs every few milliseconds and after each pass; `aborted` is asked after each pass.
OverwriteOutcome OverwriteFile(HANDLE file, const std::vector<Extent>& extents, int passes, const EraseIo& io,
                               const std::function<void()>& yield, const std::function<bool()>& aborted);

} // namespace sweepora
