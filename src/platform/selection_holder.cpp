#include "platform/selection_holder.h"

#include <algorithm>

namespace platform {

SelectionHolder::SelectionHolder(QObject* parent)
    : QObject(parent)
{
}

void SelectionHolder::replace(IndexSet indexes)
{
    if (indexes == m_indexes)
        return;
    IndexSet old = std::move(m_indexes);
    m_indexes = std::move(indexes);
    emit selectionChanged(old, m_indexes);
}

void SelectionHolder::setSelectionIndexes(const IndexSet& indexes)
{
    IndexSet kept;
    for (int i : indexes) {
        if (i >= 0)
            kept.insert(i);
    }
    replace(std::move(kept));
}

void SelectionHolder::listInserted(const std::vector<int>& indexes)
{
    if (m_indexes.empty() || indexes.empty())
        return;
    std::vector<int> sorted(indexes);
    std::sort(sorted.begin(), sorted.end());
    IndexSet shifted;
    for (int i : m_indexes) {
        // Walk the inserted slots in order: each one at or before the
        // (moving) position pushes the index one further.
        int position = i;
        for (int slot : sorted) {
            if (slot <= position)
                ++position;
        }
        shifted.insert(position);
    }
    replace(std::move(shifted));
}

void SelectionHolder::listRemoved(const std::vector<int>& indexes)
{
    if (m_indexes.empty() || indexes.empty())
        return;
    const IndexSet removed(indexes.begin(), indexes.end());
    IndexSet kept;
    for (int i : m_indexes) {
        if (removed.count(i))
            continue;
        const int before = int(std::distance(removed.begin(), removed.lower_bound(i)));
        kept.insert(i - before);
    }
    replace(std::move(kept));
}

void SelectionHolder::listReset()
{
    replace({});
}

} // namespace platform
