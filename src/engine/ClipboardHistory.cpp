#include "engine/ClipboardHistory.h"

#include "platform/ErrorText.h"

#include <windows.h>
#include <inspectable.h>

namespace sweepora {

namespace {

// The runtime's ABI as its metadata publishes it; MinGW's headers do not declare this class.
// Windows.ApplicationModel.DataTransfer.IClipboardStatics2: only the slots up to ClearHistory are used.
const IID kClipboardStatics2 = {0xD2AC1B6A, 0xD29F, 0x554B, {0xB3, 0x03, 0xF0, 0x45, 0x23, 0x45, 0xFE, 0x02}};

struct IClipboardStatics2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetHistoryItemsAsync(void** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearHistory(boolean* result) = 0;
};

constexpr wchar_t kClassName[] = L"Windows.ApplicationModel.DataTransfer.Clipboard";

using HString = struct HSTRING__*;
using RoInitializeFn = HRESULT(WINAPI*)(int);
using RoUninitializeFn = void(WINAPI*)();
using RoGetActivationFactoryFn = HRESULT(WINAPI*)(HString, REFIID, void**);
using WindowsCreateStringFn = HRESULT(WINAPI*)(const wchar_t*, UINT32, HString*);
using WindowsDeleteStringFn = HRESULT(WINAPI*)(HString);

constexpr int kMultithreaded = 1; // RO_INIT_MULTITHREADED

template <typename Fn> Fn Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

std::string HresultText(HRESULT hr) { return ErrorText(static_cast<DWORD>(hr)); }

} // namespace

ClipboardHistoryOutcome ClearClipboardHistory(bool live)
{
    ClipboardHistoryOutcome outcome;
    const HMODULE combase = ::LoadLibraryExW(L"combase.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!combase) return outcome;
    const auto initialize = Lookup<RoInitializeFn>(combase, "RoInitialize");
    const auto uninitialize = Lookup<RoUninitializeFn>(combase, "RoUninitialize");
    const auto getFactory = Lookup<RoGetActivationFactoryFn>(combase, "RoGetActivationFactory");
    const auto createString = Lookup<WindowsCreateStringFn>(combase, "WindowsCreateString");
    const auto deleteString = Lookup<WindowsDeleteStringFn>(combase, "WindowsDeleteString");
    if (!initialize || !uninitialize || !getFactory || !createString || !deleteString) {
        ::FreeLibrary(combase);
        return outcome;
    }
    // A thread already in a single-threaded apartment answers RPC_E_CHANGED_MODE and is used as it is.
    const HRESULT init = initialize(kMultithreaded);
    HString name = nullptr;
    IClipboardStatics2* statics = nullptr;
    HRESULT hr = createString(kClassName, static_cast<UINT32>(sizeof kClassName / sizeof kClassName[0] - 1), &name);
    if (SUCCEEDED(hr)) hr = getFactory(name, kClipboardStatics2, reinterpret_cast<void**>(&statics));
    if (SUCCEEDED(hr) && statics) {
        outcome.kept = true;
        boolean done = 0;
        if (!live) {
            outcome.cleared = true;
        } else if (FAILED(hr = statics->ClearHistory(&done))) {
            outcome.problem = HresultText(hr);
        } else {
            outcome.cleared = done != 0;
            if (!done) outcome.problem = "Windows did not clear it";
        }
        statics->Release();
    } else if (hr != REGDB_E_CLASSNOTREG && hr != E_NOINTERFACE && hr != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
        // The class is there but would not start: say so rather than call it absent.
        outcome.kept = name != nullptr;
        outcome.problem = HresultText(hr);
    }
    if (name) deleteString(name);
    if (SUCCEEDED(init)) uninitialize();
    ::FreeLibrary(combase);
    return outcome;
}

} // namespace sweepora
