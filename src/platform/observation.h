#pragma once
// Key-value observation for plain (non-QObject) model objects.
//
// An object that derives from `Observable` can be watched per named key. A
// change is announced with willChangeValueForKey / didChangeValueForKey (or the
// list forms for ordered to-many keys); observers then receive the old and new
// value, the change kind and, for lists, the indexes. Keys may depend on other
// keys: a change of "bounds" also reaches observers of "drawingBounds".
//
// Notification is synchronous and re-entrant (observers are called from a
// snapshot, so they may add or remove observations while being told). An
// object nobody observes pays one pointer test per announcement.
// Observation belongs to the main thread.
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace platform {

class Observable;

enum class ChangeKind { Setting, Insertion, Removal, Replacement };

// What an observer is told.
struct Change {
    ChangeKind kind = ChangeKind::Setting;
    QVariant oldValue;          // when requested: the value before (Setting), or the removed/replaced objects
    QVariant newValue;          // when requested: the value after (Setting), or the inserted/replacing objects
    std::vector<int> indexes;   // list changes: the indexes concerned (ascending)
    bool isPrior = false;       // a notice sent before the change (ObservePrior)
};

enum ObservingOption : unsigned {
    ObserveNew = 1u,
    ObserveOld = 2u,
    ObservePrior = 4u,
};

class Observer {
public:
    virtual ~Observer() = default;
    virtual void observeValueForKey(const QString& key, Observable* object,
                                    const Change& change, void* context) = 0;
};

class Observable {
public:
    Observable();
    virtual ~Observable();
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    void addObserver(Observer* observer, const QString& key, unsigned options, void* context);
    // Removes the observation registered with these arguments; a null context
    // removes the most recent observation of the key by that observer.
    void removeObserver(Observer* observer, const QString& key, void* context = nullptr);
    bool hasObservers() const;
    int observationCount(const QString& key) const;

    // Announce a change of a to-one key (and, through dependencies, of the keys
    // depending on it). Pairs nest.
    void willChangeValueForKey(const QString& key);
    void didChangeValueForKey(const QString& key);

    // Announce a change of an ordered to-many key. `objects` are the removed or
    // replaced objects (will) and the inserted or replacing objects (did).
    void willChangeList(ChangeKind kind, const std::vector<int>& indexes,
                        const QString& key, const QVariant& oldObjects);
    void didChangeList(ChangeKind kind, const std::vector<int>& indexes,
                       const QString& key, const QVariant& newObjects);

    // Keyed access: subclasses answer the keys they support.
    virtual QVariant valueForKey(const QString& key) const;
    virtual void setValueForKey(const QString& key, const QVariant& value);

    // The keys whose value changes when `key` changes (its dependants).
    virtual QStringList keysAffectedByKey(const QString& key) const;

private:
    struct Entry;
    struct Pending;
    struct Info;
    Info* info();
    void notify(const QString& key, const Change& change, bool prior);
    std::unique_ptr<Info> m_info;
};

} // namespace platform
