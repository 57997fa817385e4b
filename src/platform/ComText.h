#pragma once
// Texts for COM interfaces: a BSTR and a VARIANT that free what they hold.
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <oleauto.h>

#include <string>

namespace sweepora {

struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type b) { ::SysFreeString(b); }
};
using Bstr = UniqueHandle<BstrTraits>;

// Null only when out of memory, which COM reads as an empty text.
inline Bstr MakeBstr(const std::string& utf8)
{
    const std::wstring wide = WideFromUtf8(utf8);
    return Bstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

// By the BSTR's length, not its first null: a BSTR may hold nulls. Empty for a null BSTR.
inline std::string TextOf(BSTR b) { return b ? Utf8FromWide(b, ::SysStringLen(b)) : std::string(); }
inline std::string TextOf(const Bstr& b) { return TextOf(b.get()); }

// Empty (VT_EMPTY, "not given" to most interfaces), a text or a number.
class Variant {
public:
    Variant() { ::VariantInit(&v_); }
    explicit Variant(const std::string& text) : Variant()
    {
        v_.vt = VT_BSTR;
        v_.bstrVal = MakeBstr(text).release();
    }
    explicit Variant(LONG number) : Variant()
    {
        v_.vt = VT_I4;
        v_.lVal = number;
    }
    ~Variant() { ::VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    const VARIANT& get() const { return v_; }

private:
    VARIANT v_;
};

} // namespace sweepora
