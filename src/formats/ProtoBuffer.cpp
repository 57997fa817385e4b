#include "formats/ProtoBuffer.h"

namespace sweepora {

bool ForEachProtoField(const std::string& message, const std::function<void(const ProtoField&)>& visit)
{
    std::size_t pos = 0;
    const auto varint = [&](std::uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64 && pos < message.size(); shift += 7) {
            const auto b = static_cast<unsigned char>(message[pos++]);
            value |= static_cast<std::uint64_t>(b & 0x7f) << shift;
            if (!(b & 0x80)) return true;
        }
        return false;
    };
    while (pos < message.size()) {
        std::uint64_t tag = 0;
        if (!varint(tag) || (tag >> 3) == 0 || (tag >> 3) > 0x1fffffff) return false;
        ProtoField field;
        field.number = static_cast<std::uint32_t>(tag >> 3);
        field.wireType = static_cast<int>(tag & 7);
        switch (field.wireType) {
        case 0:
            if (!varint(field.varint)) return false;
            break;
        case 1:
        case 5: {
            const std::size_t size = field.wireType == 1 ? 8 : 4;
            if (message.size() - pos < size) return false;
            pos += size;
            break;
        }
        case 2: {
            std::uint64_t size = 0;
            if (!varint(size) || size > message.size() - pos) return false;
            field.bytes = message.substr(pos, static_cast<std::size_t>(size));
            pos += static_cast<std::size_t>(size);
            break;
        }
        default:
            return false;
        }
        visit(field);
    }
    return true;
}

} // namespace sweepora
