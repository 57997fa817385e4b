#include "platform/MemoryManagement.h"

#include "CacheSeeding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

using sweepora::clsMemoryManagement;

TEST(MemoryManagement, StatesBoundedCopiesAndTextInBounds)
{
    clsMemoryManagement buffer;
    char dest[8] = "unset!";
    // Nothing, and more than the system gives: nothing held, so nothing copied.
    for (const std::size_t size : {std::size_t{0}, ~std::size_t{0} / 2}) {
        buffer.ReadFrom(dest, 4);
        buffer.Allocate(size);
        EXPECT_EQ(buffer.Handle(), nullptr) << size;
    }
    buffer.ReadFrom(dest, 4);
    EXPECT_STREQ(dest, "unset!");

    buffer.Allocate(16);
    ASSERT_NE(buffer.Handle(), nullptr);
    EXPECT_EQ(std::memcmp(buffer.Handle(), "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16), 0);
    buffer.WriteTo("0123456789abcdefXYZ", 17); // longer than the block: refused
    buffer.WriteTo(nullptr, 4);
    buffer.WriteTo("0123456789abcdef", 16);
    buffer.ReadFrom(dest, 17);
    EXPECT_STREQ(dest, "unset!");
    buffer.ReadFrom(nullptr, 4);
    buffer.ReadFrom(dest, 7);
    EXPECT_EQ(std::string(dest, 7), "0123456");


    // Text inside the block stops at its end; outside it, at the terminator or the maximum.
    EXPECT_EQ(buffer.ExtractString(nullptr, 100), "");
    buffer.Allocate(8);
    buffer.WriteTo("abcdefgh", 8); // no terminator inside the block
    const char* block = static_cast<const char*>(buffer.Handle());
    EXPECT_EQ(buffer.ExtractString(block + 2, 100), "cdefgh");
    EXPECT_EQ(buffer.ExtractString(block, 3), "abc");
    EXPECT_EQ(buffer.ExtractString("outside the block", 100), "outside the block");
    EXPECT_EQ(buffer.ExtractString("outside the block", 7), "outside");
    // An address nothing is mapped at reads as empty text instead of faulting.
    EXPECT_EQ(buffer.ExtractString(reinterpret_cast<const void*>(std::uintptr_t{0x10}), 100), "");

    buffer.ReleaseMemory();
    buffer.ReleaseMemory();
    EXPECT_EQ(buffer.Handle(), nullptr);
}

TEST(MemoryManagement, ManyAllocationsReserveNoMoreAddressSpace)
{
    clsMemoryManagement buffer;
    buffer.Allocate(4096);
    const unsigned long long before = sweepora::seed::ReservedAddressSpace();
    for (std::size_t i = 0; i < 20000; ++i) buffer.Allocate(4096 + (i % 7) * 5000);
    buffer.Allocate(4096);
    EXPECT_LE(sweepora::seed::ReservedAddressSpace(), before + 1024 * 1024);
}
