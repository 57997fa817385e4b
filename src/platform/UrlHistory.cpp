#include "platform/UrlHistory.h"

#include "platform/CacheHistoryStore.h"
#include "platform/WideText.h"

#include <objbase.h>

#include <cstdio>
#include <utility>

namespace sweepora {

namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
constexpr CLSID kClsidCUrlHistory = {0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};

std::string SystemMessage(HRESULT code)
{
    char text[512] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    char number[16];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
    return message.empty() ? std::string("error ") + number : message + " (" + number + ")";
}

DATE LocalDate(const FILETIME& utc)
{
    FILETIME local{};
    SYSTEMTIME parts{};
    DATE date = 0;
    if (::FileTimeToLocalFileTime(&utc, &local) && ::FileTimeToSystemTime(&local, &parts))
        ::SystemTimeToVariantTime(&parts, &date);
    return date;
}

void Check(HRESULT code, const std::string& operation)
{
    if (FAILED(code)) throw UrlHistoryError(operation, code);
}

} // namespace

UrlHistoryError::UrlHistoryError(const std::string& operation, HRESULT code)
    : std::runtime_error(operation + ": " + SystemMessage(code)), code_(code)
{
}

URLHistoryItem::URLHistoryItem(STATURL& record) noexcept : record_(record)
{
    record.pwcsUrl = nullptr;
    record.pwcsTitle = nullptr;
}

URLHistoryItem::URLHistoryItem(URLHistoryItem&& other) noexcept : record_(other.record_)
{
    other.record_.pwcsUrl = nullptr;
    other.record_.pwcsTitle = nullptr;
}

URLHistoryItem& URLHistoryItem::operator=(URLHistoryItem&& other) noexcept
{
    if (this != &other) {
        FreeTexts();
        record_ = other.record_;
        other.record_.pwcsUrl = nullptr;
        other.record_.pwcsTitle = nullptr;
    }
    return *this;
}

URLHistoryItem::~URLHistoryItem() { FreeTexts(); }

void URLHistoryItem::FreeTexts() noexcept
{
    // Title first, then the address, as the store's own clients do.
    ::CoTaskMemFree(record_.pwcsTitle);
    ::CoTaskMemFree(record_.pwcsUrl);
    record_.pwcsTitle = nullptr;
    record_.pwcsUrl = nullptr;
}

DATE URLHistoryItem::LastVisited() const { return LocalDate(record_.ftLastVisited); }
DATE URLHistoryItem::Expires() const { return LocalDate(record_.ftExpires); }
DATE URLHistoryItem::LastUpdated() const { return LocalDate(record_.ftLastUpdated); }
std::string URLHistoryItem::URL() const { return AnsiFromWide(record_.pwcsUrl); }
std::int32_t URLHistoryItem::Flags() const { return static_cast<std::int32_t>(record_.dwFlags); }

std::string URLHistoryItem::Title() const
{
    std::string title = AnsiFromWide(record_.pwcsTitle);
    return title.empty() ? kNoTitleGiven : title;
}

ComPtr<IUrlHistoryStg2> ChooseUrlHistoryStore(ComPtr<IUrlHistoryStg2> shell)
{
    if (shell) {
        // Wine creates the object but implements none of what we call; one probe tells.
        ComPtr<IEnumSTATURL> probe;
        if (shell.get()->EnumUrls(probe.put()) != E_NOTIMPL) return shell;
    }
    return CreateCacheHistoryStore();
}

ComPtr<IUrlHistoryStg2> OpenUrlHistoryStore()
{
    ComPtr<IUrlHistoryStg2> shell;
    if (FAILED(::CoCreateInstance(kClsidCUrlHistory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IUrlHistoryStg2),
                                  reinterpret_cast<void**>(shell.put()))))
        shell.reset();
    return ChooseUrlHistoryStore(std::move(shell));
}

ComApartment::ComApartment() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment()
{
    if (initialised_) ::CoUninitialize();
}

CURLHistory::CURLHistory() : store_(OpenUrlHistoryStore()) { Refresh(); }

CURLHistory::CURLHistory(ComPtr<IUrlHistoryStg2> store) : store_(std::move(store))
{
    if (!store_) throw UrlHistoryError("The URL history store could not be created", REGDB_E_CLASSNOTREG);
    Refresh();
}

void CURLHistory::AddURL(const std::string& url, const std::string& title, std::int32_t flags)
{
    Check(store_.get()->AddUrl(WideFromAnsi(url).c_str(), WideFromAnsi(title).c_str(), static_cast<DWORD>(flags)),
          "AddURL \"" + url + "\"");
}

HRESULT CURLHistory::Clear()
{
    const HRESULT cleared = store_.get()->ClearHistory();
    items_.clear();
    return cleared;
}

void CURLHistory::Refresh(const std::optional<std::string>& urlStartsWith, std::int32_t flags)
{
    ComPtr<IEnumSTATURL> entries;
    Check(store_.get()->EnumUrls(entries.put()), "EnumUrls");
    if (!entries) throw UrlHistoryError("EnumUrls", E_POINTER);
    const std::wstring filter = urlStartsWith ? WideFromAnsi(*urlStartsWith) : std::wstring();
    Check(entries.get()->SetFilter(urlStartsWith ? filter.c_str() : nullptr, static_cast<DWORD>(flags)), "SetFilter");
    items_.clear();
    for (;;) {
        STATURL record{};
        record.cbSize = sizeof record;
        ULONG fetched = 0;
        const HRESULT result = entries.get()->Next(1, &record, &fetched);
        if (fetched == 0 || FAILED(result)) {
            // Whatever a failing enumerator may have handed out is still ours to free.
            URLHistoryItem dropped(record);
            Check(result, "IEnumSTATURL::Next");
            break;
        }
        items_.push_back(URLHistoryItem(record));
    }
}

std::size_t CURLHistory::Position(std::int32_t index, const char* operation) const
{
    if (index < 1 || index > Count()) throw UrlHistoryError(operation, DISP_E_BADINDEX);
    return static_cast<std::size_t>(index - 1);
}

const URLHistoryItem& CURLHistory::Item(std::int32_t index) const { return items_[Position(index, "Item")]; }

void CURLHistory::Remove(std::int32_t index)
{
    const std::size_t at = Position(index, "Remove");
    Check(store_.get()->DeleteUrl(items_[at].record_.pwcsUrl, 0), "Remove \"" + items_[at].URL() + "\"");
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
}

void CURLHistory::DeleteURL(const std::string& url, std::int32_t flags)
{
    store_.get()->DeleteUrl(WideFromAnsi(url).c_str(), static_cast<DWORD>(flags));
    Refresh();
}

} // namespace sweepora
