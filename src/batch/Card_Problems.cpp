#include "batch/Card_Problems.h"

#include <QHash>
#include <QMutexLocker>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

QString Heading_Of(Problem_Kind kind)
{
    switch (kind) {
    case Problem_Kind::Card_Not_Drawn:
        return QStringLiteral("Cards that could not be drawn:");
    case Problem_Kind::Barcode_Left_Off:
        return QStringLiteral("Barcodes left off:");
    case Problem_Kind::Barcode_Changed:
        return QStringLiteral("Barcodes changed from their value:");
    case Problem_Kind::Barcode_Past_Edge:
        return QStringLiteral("Barcodes past the card's edge:");
    case Problem_Kind::Barcode_Too_Fine:
        return QStringLiteral("Barcodes too fine to read:");
    case Problem_Kind::Picture_Left_Off:
        return QStringLiteral("Pictures left off:");
    case Problem_Kind::Picture_Coarse:
        return QStringLiteral("Pictures coarser than the output:");
    case Problem_Kind::Picture_Partial:
        return QStringLiteral("Pictures shown only in part:");
    case Problem_Kind::Data:
        break;
    }
    return QStringLiteral("Data problems:");
}

bool Is_Picture(Problem_Kind kind)
{
    return kind == Problem_Kind::Picture_Left_Off || kind == Problem_Kind::Picture_Coarse
        || kind == Problem_Kind::Picture_Partial;
}

// The problem line of cards first..last (one card when equal).
QString Line_Of(const Card_Problem& p, int first, int last)
{
    QString line;
    if (first > 0)
        line = first == last ? QStringLiteral("Card %1: ").arg(first)
                             : QStringLiteral("Cards %1\u2013%2: ").arg(first).arg(last);
    if (!p.value.isEmpty())
        line += QLatin1Char('"') + Quote_Short(p.value, Is_Picture(p.kind)) + QStringLiteral("\" ");
    if (p.cause.size() > kCauseLength)
        return line + p.cause.left(kCauseLength) + QStringLiteral("\u2026");
    return line + p.cause;
}

} // namespace

QString Quote_Short(const QString& value, bool from_end)
{
    QString text = value;
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    if (text.size() <= kQuotedValueLength)
        return text;
    // Never split a character made of two UTF-16 units.
    if (from_end) {
        qsizetype start = text.size() - kQuotedValueLength;
        if (text.at(start).isLowSurrogate())
            ++start;
        return QStringLiteral("\u2026") + text.mid(start);
    }
    qsizetype end = kQuotedValueLength;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end) + QStringLiteral("\u2026");
}

QString Problem_Line(const Card_Problem& problem)
{
    return Line_Of(problem, problem.card, problem.card);
}

size_t qHash(const Card_Problem& problem, size_t seed)
{
    return qHashMulti(seed, int(problem.kind), problem.card, problem.value, problem.cause);
}

void Binding_Problems::Add(const Card_Problem& problem)
{
    QMutexLocker lock(&mutex_);
    if (const qsizetype before = held_.size(); held_.insert(problem), held_.size() != before)
        list_ << problem;
}

void Binding_Problems::Add(const QString& text)
{
    Add(Card_Problem{Problem_Kind::Data, 0, QString(), text});
}

QList<Card_Problem> Binding_Problems::List() const
{
    QMutexLocker lock(&mutex_);
    return list_;
}

void Binding_Problems::Clear()
{
    QMutexLocker lock(&mutex_);
    list_.clear();
    held_.clear();
}

int Binding_Problems::Count() const
{
    QMutexLocker lock(&mutex_);
    return int(list_.size());
}

void Merge_Problems(QList<Card_Problem>& into, const QList<Card_Problem>& more)
{
    if (more.isEmpty())
        return;
    QSet<Card_Problem> held;
    held.reserve(into.size() + more.size());
    for (const Card_Problem& p : std::as_const(into))
        held.insert(p);
    for (const Card_Problem& p : more)
        if (const qsizetype before = held.size(); held.insert(p), held.size() != before)
            into << p;
}

int Cards_With_Problems(const QList<Card_Problem>& problems)
{
    QSet<int> cards;
    for (const Card_Problem& p : problems)
        if (p.card > 0)
            cards.insert(p.card);
    return int(cards.size());
}

QString Problems_Text(QList<Card_Problem> problems, int total_cards, const QString& not_drawn_heading,
                      int max_lines)
{
    QStringList out;
    if (const int cards = Cards_With_Problems(problems); cards == 1)
        out << QStringLiteral("1 of %1 cards carries a problem.").arg(total_cards);
    else if (cards > 1)
        out << QStringLiteral("%1 of %2 cards carry a problem.").arg(cards).arg(total_cards);
    // Lines by kind, then by first card; cards with the same value and cause
    // in a row make one line.
    struct Line {
        Problem_Kind kind;
        QString text;
    };
    std::stable_sort(problems.begin(), problems.end(), [](const Card_Problem& a, const Card_Problem& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.card < b.card;
    });
    // A line takes the problems of its value and cause on the cards after
    // its last one without a gap; the newest line of each value and cause
    // is found by hash, so each problem costs the same.
    struct Open_Key {
        Problem_Kind kind;
        QString value, cause;
        bool operator==(const Open_Key& o) const { return kind == o.kind && value == o.value && cause == o.cause; }
    };
    struct Key_Hash {
        size_t operator()(const Open_Key& k) const { return qHashMulti(0, int(k.kind), k.value, k.cause); }
    };
    std::unordered_map<Open_Key, size_t, Key_Hash> open; // the newest line of each
    std::vector<const Card_Problem*> starts;             // each line's first problem
    std::vector<int> last_of;                            // and its last card
    for (const Card_Problem& p : problems) {
        if (p.card > 0) {
            auto [it, fresh] = open.try_emplace(Open_Key{p.kind, p.value, p.cause}, starts.size());
            if (!fresh && p.card <= last_of[it->second] + 1) {
                last_of[it->second] = std::max(last_of[it->second], p.card);
                continue;
            }
            it->second = starts.size();
        }
        starts.push_back(&p);
        last_of.push_back(p.card);
    }
    std::vector<Line> lines;
    lines.reserve(starts.size());
    for (size_t i = 0; i < starts.size(); ++i)
        lines.push_back(Line{starts[i]->kind, {}});
    // A line's text is made when it is measured: once the room is taken the
    // lines left are only counted.
    auto text = [&](size_t i) -> const QString& {
        if (lines[i].text.isNull())
            lines[i].text = Line_Of(*starts[i], starts[i]->card, last_of[i]);
        return lines[i].text;
    };
    // Every kind shows its heading and first line (and room is kept for its
    // count of lines not shown); the lines left to show go to the kinds in
    // their order.
    auto cost = [&](size_t i) {
        return std::max<int>(1, int((text(i).size() + kAlertLineLength - 1) / kAlertLineLength));
    };
    std::vector<bool> shown(lines.size(), false);
    int taken = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (i == 0 || lines[i - 1].kind != lines[i].kind) {
            shown[i] = true;
            taken += cost(i) + 2;
        }
    for (size_t i = 0; i < lines.size(); ++i)
        if (!shown[i] && taken < max_lines && taken + cost(i) <= max_lines) {
            shown[i] = true;
            taken += cost(i);
        } else if (!shown[i]) {
            taken = max_lines; // keep the kind's lines in card order
        }
    for (size_t i = 0; i < lines.size();) {
        size_t end = i;
        int hidden = 0;
        out << (lines[i].kind == Problem_Kind::Card_Not_Drawn && !not_drawn_heading.isEmpty()
                    ? not_drawn_heading
                    : Heading_Of(lines[i].kind));
        for (; end < lines.size() && lines[end].kind == lines[i].kind; ++end) {
            if (shown[end])
                out << text(end);
            else
                ++hidden;
        }
        if (hidden > 0)
            out << QStringLiteral("\u2026 and %1 more.").arg(hidden);
        i = end;
    }
    return out.join(QLatin1Char('\n'));
}
