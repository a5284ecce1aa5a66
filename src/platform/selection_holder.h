#pragma once
// The selection of one graphic list: a set of indexes that follows the list.
// It stands where an array controller held the selection: setting it reports
// the old and the new set; insertions and removals in the list shift the
// indexes behind them and drop removed ones.
#include <QObject>

#include <set>
#include <vector>

namespace platform {

using IndexSet = std::set<int>;

class SelectionHolder : public QObject {
    Q_OBJECT
public:
    explicit SelectionHolder(QObject* parent = nullptr);

    const IndexSet& selectionIndexes() const { return m_indexes; }
    // Replaces the selection; negative indexes are dropped. Reports only a
    // real change.
    void setSelectionIndexes(const IndexSet& indexes);

    // The list grew at these (ascending, post-insertion) indexes.
    void listInserted(const std::vector<int>& indexes);
    // The list lost these (ascending, pre-removal) indexes.
    void listRemoved(const std::vector<int>& indexes);
    // The whole list was replaced: nothing stays selected.
    void listReset();

signals:
    void selectionChanged(const platform::IndexSet& oldIndexes, const platform::IndexSet& newIndexes);

private:
    void replace(IndexSet indexes);
    IndexSet m_indexes;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::IndexSet)
