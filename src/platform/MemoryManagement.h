#pragma once
#include <cstddef>
#include <string>

namespace sweepora {

// One page-locked block outside the heap, sized anew for each variable-size record a
// platform call fills in. Empty (Handle() null) or holding one block; never copied.
class clsMemoryManagement {
public:
    clsMemoryManagement() = default;
    ~clsMemoryManagement();
    clsMemoryManagement(const clsMemoryManagement&) = delete;
    clsMemoryManagement& operator=(const clsMemoryManagement&) = delete;

    // Releases the block held, then takes a fresh zeroed one of `lCount` bytes; a size the
    // system refuses (0 among them) leaves the object empty. A block that cannot be
    // locked is kept, unlocked.
    void Allocate(std::size_t lCount);

    // The block's address for a platform call; null when empty.
    void* Handle() const { return block_; }

    // Copies `lLength` bytes from the start of the block to `hWritePointer`. Nothing is
    // copied without a block, past its end or to a null address.
    void ReadFrom(void* hWritePointer, std::size_t lLength) const;

    // The reverse: `lLength` bytes from `hReadPointer` into the start of the block.
    void WriteTo(const void* hReadPointer, std::size_t lLength);

    // The NUL-terminated text at `hStartPointer`, at most `lMax` characters. Inside the
    // block it never reads past the block's end; elsewhere only committed, readable pages.
    // Empty for a null or unreadable address.
    std::string ExtractString(const void* hStartPointer, std::size_t lMax) const;

    // Unlocks and frees the block; nothing when empty.
    void ReleaseMemory();

private:
    void* block_ = nullptr;
    std::size_t size_ = 0;
    bool locked_ = false;
};

} // namespace sweepora
