#pragma once
// The browser's history of visited addresses, through the shell's URL history store.
#include "platform/ComPtr.h"

#include <windows.h>
#include <oleauto.h>
#include <urlhist.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sweepora {

// A call of the store that failed: what was asked, and the store's answer.
class UrlHistoryError : public std::runtime_error {
public:
    UrlHistoryError(const std::string& operation, HRESULT code);
    HRESULT Code() const { return code_; }

private:
    HRESULT code_;
};

constexpr const char* kNoTitleGiven = "     (No Title Given)";

// One entry of the history, as the store's enumerator delivered it. Owns the record's
// two texts; read-only once its collection has filled it.
class URLHistoryItem {
public:
    URLHistoryItem(URLHistoryItem&& other) noexcept;
    URLHistoryItem& operator=(URLHistoryItem&& other) noexcept;
    URLHistoryItem(const URLHistoryItem&) = delete;
    URLHistoryItem& operator=(const URLHistoryItem&) = delete;
    ~URLHistoryItem();

    // Dates are local time, without milliseconds.
    DATE LastVisited() const;
    DATE Expires() const;
    DATE LastUpdated() const;
    std::string URL() const;
    std::int32_t Flags() const;
    // kNoTitleGiven when the entry has no title or an empty one.
    std::string Title() const;

private:
    friend class CURLHistory;
    // Takes over the record, texts included; the record is left without them.
    explicit URLHistoryItem(STATURL& record) noexcept;
    void FreeTexts() noexcept;

    STATURL record_{};
};

// The platform's store, or, where it is missing or not implemented, ours over the
// internet library's history container. The caller owns COM initialisation.
ComPtr<IUrlHistoryStg2> OpenUrlHistoryStore();
// `shell` when it enumerates (an empty pointer never does), otherwise our own store.
ComPtr<IUrlHistoryStg2> ChooseUrlHistoryStore(ComPtr<IUrlHistoryStg2> shell);

// COM for the calling thread while the object lives, where it was not set up already.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

// Every entry of the store, with operations to add, delete and clear. A snapshot: the
// items are those of the last Refresh or DeleteURL (none after a Clear).
class CURLHistory {
public:
    // Over OpenUrlHistoryStore(); already holds every entry.
    CURLHistory();
    // Over the given store; an empty pointer is a store that could not be created.
    explicit CURLHistory(ComPtr<IUrlHistoryStg2> store);
    CURLHistory(const CURLHistory&) = delete;
    CURLHistory& operator=(const CURLHistory&) = delete;

    // The collection is not refreshed. Raises a failure.
    void AddURL(const std::string& url, const std::string& title, std::int32_t flags);
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    // Asks the store to forget every entry and empties the collection; the store's answer
    // is returned, not raised. A Refresh then shows what the store still holds.
    HRESULT Clear();
    // No text: no filter. STATURL_QUERYFLAG_* in `flags`. Raises a failure.
    void Refresh(const std::optional<std::string>& urlStartsWith = std::nullopt, std::int32_t flags = 0);
    // 1-based; raises DISP_E_BADINDEX outside the collection.
    const URLHistoryItem& Item(std::int32_t index) const;
    // Deletes the item's URL from the store, then drops the item, without a Refresh.
    void Remove(std::int32_t index);
    // Failures of the deletion are ignored; then Refresh.
    void DeleteURL(const std::string& url, std::int32_t flags);
    const std::vector<URLHistoryItem>& NewEnum() const { return items_; }

private:
    std::size_t Position(std::int32_t index, const char* operation) const;

    ComApartment apartment_;
    ComPtr<IUrlHistoryStg2> store_;
    std::vector<URLHistoryItem> items_;
};

} // namespace sweepora
