#include "safelists/ListModel.h"

#include "platform/Text.h"

namespace sweepora {

void ListModel::Clear()
{
    items_.clear();
    selected_ = kNone;
}

void ListModel::RemoveAt(std::size_t index)
{
    if (index >= items_.size()) return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    if (selected_ == static_cast<int>(index))
        selected_ = kNone;
    else if (selected_ > static_cast<int>(index))
        --selected_;
}

void ListModel::Select(int index)
{
    selected_ = (index >= 0 && static_cast<std::size_t>(index) < items_.size()) ? index : kNone;
}

bool IsInList(const ListModel& list, const std::string& text, const YieldFn& yield)
{
    const std::string wanted = UpperCase(text);
    for (const std::string& entry : list.Items()) {
        if (UpperCase(entry) == wanted) return true;
        if (yield) yield();
    }
    return false;
}

void MoveSelected(ListModel& from, ListModel& to)
{
    const int selected = from.Selected();
    if (selected == ListModel::kNone) return;
    to.Add(from.Items()[static_cast<std::size_t>(selected)]);
    from.RemoveAt(static_cast<std::size_t>(selected));
}

void MoveAll(ListModel& from, ListModel& to, const YieldFn& yield)
{
    while (!from.Empty()) {
        from.Select(0);
        MoveSelected(from, to);
        if (yield) yield();
    }
}

void RemoveKeptEntries(ListModel& clean, const ListModel& safe, const YieldFn& yield)
{
    for (const std::string& kept : safe.Items()) {
        if (!IsInList(clean, kept, yield)) continue;
        const std::string wanted = UpperCase(kept);
        for (std::size_t i = 0; i < clean.Count(); ++i) {
            if (UpperCase(clean.Items()[i]) == wanted) {
                clean.RemoveAt(i);
                break;
            }
        }
    }
}

} // namespace sweepora
