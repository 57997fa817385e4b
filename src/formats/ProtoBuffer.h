#pragma once
// Protocol buffer messages read without their schema: Chromium keeps service-worker
// registrations, Cache Storage indexes and download records so. Nothing here throws.
#include <cstdint>
#include <functional>
#include <string>

namespace sweepora {

struct ProtoField {
    std::uint32_t number = 0;
    int wireType = 0;          // 0 varint, 1 fixed 64, 2 length-delimited, 5 fixed 32
    std::uint64_t varint = 0;  // wire type 0
    std::string bytes;         // wire type 2
};

// Calls `visit` with each field of `message` in order. False when the bytes are not a
// whole message (a field cut short, an unknown wire type, field number 0); the fields
// before the fault have been visited.
bool ForEachProtoField(const std::string& message, const std::function<void(const ProtoField&)>& visit);

} // namespace sweepora
