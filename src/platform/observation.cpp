#include "platform/observation.h"

#include <algorithm>

namespace platform {

struct Observable::Entry {
    Observer* observer = nullptr;
    QString key;
    unsigned options = 0;
    void* context = nullptr;
    bool alive = true;
};

// One announced change between its will and did notices: the keys it reaches
// and, per key, the value before the change.
struct Observable::Pending {
    QString key;
    bool isList = false;
    QStringList keys;
    std::vector<QVariant> oldValues;
};

struct Observable::Info {
    std::vector<std::shared_ptr<Entry>> entries;
    std::vector<Pending> pending;
    // Per announced key: the observed keys it reaches, which of them want the
    // old value, and whether any wants a prior notice. Cleared whenever the
    // observations change.
    struct Reach {
        QString key;
        QStringList keys;
        std::vector<bool> wantsOld;
        bool anyPrior = false;
    };
    std::vector<Reach> reach;

    bool observes(const QString& key) const
    {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const auto& e) { return e->key == key; });
    }
    bool wantsNew(const QString& key) const
    {
        return std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
            return e->key == key && (e->options & ObserveNew);
        });
    }
};

Observable::Observable() = default;

Observable::~Observable()
{
    // Entries are shared with snapshots that may still be iterating.
    if (m_info) {
        for (auto& e : m_info->entries)
            e->alive = false;
    }
}

Observable::Info* Observable::info()
{
    if (!m_info)
        m_info = std::make_unique<Info>();
    return m_info.get();
}

void Observable::addObserver(Observer* observer, const QString& key, unsigned options, void* context)
{
    auto entry = std::make_shared<Entry>();
    entry->observer = observer;
    entry->key = key;
    entry->options = options;
    entry->context = context;
    info()->entries.push_back(std::move(entry));
    m_info->reach.clear();
}

void Observable::removeObserver(Observer* observer, const QString& key, void* context)
{
    if (!m_info)
        return;
    auto& entries = m_info->entries;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const auto& e = *it;
        if (e->observer == observer && e->key == key && (context == nullptr || e->context == context)) {
            e->alive = false;
            entries.erase(std::next(it).base());
            m_info->reach.clear();
            return;
        }
    }
}

bool Observable::hasObservers() const
{
    return m_info && !m_info->entries.empty();
}

int Observable::observationCount(const QString& key) const
{
    if (!m_info)
        return 0;
    return int(std::count_if(m_info->entries.begin(), m_info->entries.end(),
                             [&](const auto& e) { return e->key == key; }));
}

QVariant Observable::valueForKey(const QString&) const
{
    return {};
}

void Observable::setValueForKey(const QString&, const QVariant&)
{
}

QStringList Observable::keysAffectedByKey(const QString&) const
{
    return {};
}

void Observable::notify(const QString& key, const Change& change, bool prior)
{
    // Snapshot: observers may add or remove observations while being told.
    std::vector<std::shared_ptr<Entry>> snapshot;
    for (const auto& e : m_info->entries) {
        if (e->key == key && (!prior || (e->options & ObservePrior)))
            snapshot.push_back(e);
    }
    for (const auto& e : snapshot) {
        if (!e->alive)
            continue;
        Change c;
        c.kind = change.kind;
        c.indexes = change.indexes;
        c.isPrior = prior;
        if (e->options & ObserveOld)
            c.oldValue = change.oldValue;
        if ((e->options & ObserveNew) && !prior)
            c.newValue = change.newValue;
        e->observer->observeValueForKey(key, this, c, e->context);
    }
}

void Observable::willChangeValueForKey(const QString& key)
{
    if (!m_info || m_info->entries.empty())
        return;
    auto& reaches = m_info->reach;
    auto found = std::find_if(reaches.begin(), reaches.end(), [&](const Info::Reach& r) { return r.key == key; });
    if (found == reaches.end()) {
        // The key and, transitively, every key depending on it.
        QStringList all{key};
        for (qsizetype i = 0; i < all.size(); ++i) {
            const QStringList deps = keysAffectedByKey(all.at(i));
            for (const QString& d : deps) {
                if (std::none_of(all.cbegin(), all.cend(), [&](const QString& k) { return k == d; }))
                    all.append(d);
            }
        }
        Info::Reach r;
        r.key = key;
        for (const QString& k : all) {
            bool observed = false, old = false;
            for (const auto& e : m_info->entries) {
                if (e->key == k) {
                    observed = true;
                    old = old || (e->options & ObserveOld);
                    r.anyPrior = r.anyPrior || (e->options & ObservePrior);
                }
            }
            if (observed) {
                r.keys.append(k);
                r.wantsOld.push_back(old);
            }
        }
        reaches.push_back(std::move(r));
        found = reaches.end() - 1;
    }
    if (found->keys.isEmpty())
        return;
    Pending p;
    p.key = key;
    p.keys = found->keys;
    p.oldValues.reserve(size_t(p.keys.size()));
    for (qsizetype i = 0; i < p.keys.size(); ++i)
        p.oldValues.push_back(found->wantsOld[size_t(i)] ? valueForKey(p.keys.at(i)) : QVariant());
    const bool anyPrior = found->anyPrior;
    m_info->pending.push_back(p);
    if (!anyPrior)
        return;
    for (qsizetype i = 0; i < p.keys.size(); ++i) {
        Change c;
        c.oldValue = p.oldValues[size_t(i)];
        notify(p.keys.at(i), c, true);
    }
}

void Observable::didChangeValueForKey(const QString& key)
{
    if (!m_info || m_info->pending.empty())
        return;
    auto& pending = m_info->pending;
    auto it = std::find_if(pending.rbegin(), pending.rend(),
                           [&](const Pending& p) { return p.key == key && !p.isList; });
    if (it == pending.rend())
        return;
    Pending p = std::move(*it);
    pending.erase(std::next(it).base());
    for (qsizetype i = 0; i < p.keys.size(); ++i) {
        const QString& k = p.keys.at(i);
        Change c;
        c.oldValue = std::move(p.oldValues[size_t(i)]);
        if (m_info->wantsNew(k))
            c.newValue = valueForKey(k);
        notify(k, c, false);
    }
}

void Observable::willChangeList(ChangeKind kind, const std::vector<int>& indexes,
                                const QString& key, const QVariant& oldObjects)
{
    if (!m_info || !m_info->observes(key))
        return;
    Pending p;
    p.key = key;
    p.isList = true;
    p.keys.append(key);
    p.oldValues.push_back(oldObjects);
    m_info->pending.push_back(p);
    Change c;
    c.kind = kind;
    c.indexes = indexes;
    c.oldValue = oldObjects;
    notify(key, c, true);
}

void Observable::didChangeList(ChangeKind kind, const std::vector<int>& indexes,
                               const QString& key, const QVariant& newObjects)
{
    if (!m_info || m_info->pending.empty())
        return;
    auto& pending = m_info->pending;
    auto it = std::find_if(pending.rbegin(), pending.rend(),
                           [&](const Pending& p) { return p.key == key && p.isList; });
    if (it == pending.rend())
        return;
    Pending p = std::move(*it);
    pending.erase(std::next(it).base());
    Change c;
    c.kind = kind;
    c.indexes = indexes;
    c.oldValue = p.oldValues.front();
    c.newValue = newObjects;
    notify(key, c, false);
}

} // namespace platform
