#pragma once
// Readable GoogleTest messages for the Qt values the tests compare.
#include <QColor>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
    *os << ']';
}
inline void PrintTo(const QPointF& p, std::ostream* os) { *os << '(' << p.x() << ", " << p.y() << ')'; }
inline void PrintTo(const QRectF& r, std::ostream* os)
{
    *os << '(' << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ')';
}
inline void PrintTo(const QLineF& l, std::ostream* os)
{
    *os << '(' << l.x1() << ", " << l.y1() << " -> " << l.x2() << ", " << l.y2() << ')';
}
inline void PrintTo(const QColor& c, std::ostream* os) { *os << c.name(QColor::HexArgb).toStdString(); }
