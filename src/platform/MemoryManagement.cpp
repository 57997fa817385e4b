#include "platform/MemoryManagement.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace sweepora {

namespace {

bool IsReadable(const MEMORY_BASIC_INFORMATION& region)
{
    if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return false;
    return (region.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Locks the block; when the working-set minimum is what refuses it, raises that minimum
// by the block's size once and tries again.
bool LockBlock(void* block, std::size_t size)
{
    if (::VirtualLock(block, size)) return true;
    if (::GetLastError() != ERROR_WORKING_SET_QUOTA) return false;
    SIZE_T minimum = 0;
    SIZE_T maximum = 0;
    if (!::GetProcessWorkingSetSize(::GetCurrentProcess(), &minimum, &maximum)) return false;
    // The lock also pins a few pages of bookkeeping; a little headroom spares a second raise.
    const SIZE_T grow = size + 16 * 4096;
    if (!::SetProcessWorkingSetSize(::GetCurrentProcess(), minimum + grow, std::max(maximum, minimum + grow) + grow))
        return false;
    return ::VirtualLock(block, size) != FALSE;
}

} // namespace

clsMemoryManagement::~clsMemoryManagement() { ReleaseMemory(); }

void clsMemoryManagement::Allocate(std::size_t lCount)
{
    ReleaseMemory();
    if (lCount == 0) return;
    // Read and write only: the block holds records, never code.
    block_ = ::VirtualAlloc(nullptr, lCount, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block_) return;
    size_ = lCount;
    locked_ = LockBlock(block_, size_);
}

void clsMemoryManagement::ReadFrom(void* hWritePointer, std::size_t lLength) const
{
    if (!block_ || !hWritePointer || lLength > size_) return;
    std::memmove(hWritePointer, block_, lLength);
}

void clsMemoryManagement::WriteTo(const void* hReadPointer, std::size_t lLength)
{
    if (!block_ || !hReadPointer || lLength > size_) return;
    std::memmove(block_, hReadPointer, lLength);
}

std::string clsMemoryManagement::ExtractString(const void* hStartPointer, std::size_t lMax) const
{
    const char* start = static_cast<const char*>(hStartPointer);
    if (!start || lMax == 0) return {};
    const char* blockStart = static_cast<const char*>(block_);
    if (block_ && start >= blockStart && start < blockStart + size_) {
        const std::size_t room = std::min<std::size_t>(lMax, blockStart + size_ - start);
        const void* end = std::memchr(start, '\0', room);
        return std::string(start, end ? static_cast<const char*>(end) - start : room);
    }
    // Elsewhere: region by region, as far as the pages stay committed and readable.
    std::string text;
    const char* at = start;
    while (text.size() < lMax) {
        MEMORY_BASIC_INFORMATION region = {};
        if (::VirtualQuery(at, &region, sizeof region) != sizeof region || !IsReadable(region)) break;
        const char* regionEnd = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        const std::size_t room = std::min<std::size_t>(lMax - text.size(), regionEnd - at);
        const void* end = std::memchr(at, '\0', room);
        if (end) return text.append(at, static_cast<const char*>(end) - at);
        text.append(at, room);
        at += room;
    }
    return text;
}

void clsMemoryManagement::ReleaseMemory()
{
    if (!block_) return;
    if (locked_) ::VirtualUnlock(block_, size_);
    ::VirtualFree(block_, size_, MEM_DECOMMIT);
    ::VirtualFree(block_, 0, MEM_RELEASE);
    block_ = nullptr;
    size_ = 0;
    locked_ = false;
}

} // namespace sweepora
