#pragma once
#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// Lets long loops hand control to the message queue between items.
using YieldFn = std::function<void()>;

// An unsorted list of texts with at most one selected entry, as a list box holds them.
// Entries keep their case; duplicates are allowed.
class ListModel {
public:
    static constexpr int kNone = -1;

    const std::vector<std::string>& Items() const { return items_; }
    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }

    void Add(std::string text) { items_.push_back(std::move(text)); }
    void Clear();
    void RemoveAt(std::size_t index);

    int Selected() const { return selected_; }
    // Out-of-range indexes select nothing.
    void Select(int index);

private:
    std::vector<std::string> items_;
    int selected_ = kNone;
};

// True when some entry equals `text`, ignoring case; yields after each entry that differs.
bool IsInList(const ListModel& list, const std::string& text, const YieldFn& yield);

// Appends the selected entry of `from` to `to` and removes it from `from`; nothing when
// no entry is selected.
void MoveSelected(ListModel& from, ListModel& to);

// Moves every entry of `from`, in order, to the end of `to`.
void MoveAll(ListModel& from, ListModel& to, const YieldFn& yield);

// Removes from `clean` the first entry equal (ignoring case) to each entry of `safe`.
void RemoveKeptEntries(ListModel& clean, const ListModel& safe, const YieldFn& yield);

} // namespace sweepora
