#pragma once
// Interface pointers owned like handles: one reference, released when the owner goes.
#include "platform/UniqueHandle.h"

#include <unknwn.h>

namespace sweepora {

template <typename Interface>
struct ComTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { p->Release(); }
};

template <typename Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;

} // namespace sweepora
