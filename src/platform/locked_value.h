#pragma once
// A value that several threads read and write whole, behind a mutex. Used for
// the strings that worker threads write (progress text, mail settings copy,
// export result) while the main thread reads them.
#include <QMutex>
#include <QMutexLocker>

namespace platform {

template <typename T>
class LockedValue {
public:
    LockedValue() = default;
    LockedValue(T value)
        : m_value(std::move(value))
    {
    }
    LockedValue(const LockedValue&) = delete;
    LockedValue& operator=(const LockedValue&) = delete;

    T get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_value;
    }
    void set(T value)
    {
        QMutexLocker lock(&m_mutex);
        m_value = std::move(value);
    }
    LockedValue& operator=(T value)
    {
        set(std::move(value));
        return *this;
    }
    operator T() const { return get(); }

private:
    mutable QMutex m_mutex;
    T m_value{};
};

} // namespace platform
