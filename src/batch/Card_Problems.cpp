#include "batch/Card_Problems.h"

#include <QMutexLocker>
#include <QSet>

#include <algorithm>
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
    case Problem_Kind::Data:
        break;
    }
    return QStringLiteral("Data problems:");
}

bool Is_Picture(Problem_Kind kind)
{
    return kind == Problem_Kind::Picture_Left_Off || kind == Problem_Kind::Picture_Coarse;
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

void Binding_Problems::Add(const Card_Problem& problem)
{
    QMutexLocker lock(&mutex_);
    if (!list_.contains(problem))
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
}

int Binding_Problems::Count() const
{
    QMutexLocker lock(&mutex_);
    return int(list_.size());
}

void Merge_Problems(QList<Card_Problem>& into, const QList<Card_Problem>& more)
{
    for (const Card_Problem& p : more)
        if (!into.contains(p))
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
    std::vector<Line> lines;
    std::vector<bool> used(size_t(problems.size()), false);
    for (qsizetype i = 0; i < problems.size(); ++i) {
        if (used[size_t(i)])
            continue;
        const Card_Problem& p = problems[i];
        int last = p.card;
        if (p.card > 0)
            for (qsizetype j = i + 1; j < problems.size() && problems[j].kind == p.kind && problems[j].card <= last + 1;
                 ++j)
                if (!used[size_t(j)] && problems[j].value == p.value && problems[j].cause == p.cause) {
                    used[size_t(j)] = true;
                    last = std::max(last, problems[j].card);
                }
        lines.push_back(Line{p.kind, Line_Of(p, p.card, last)});
    }
    // Every kind shows its heading and first line (and room is kept for its
    // count of lines not shown); the lines left to show go to the kinds in
    // their order.
    auto cost = [](const Line& line) {
        return std::max<int>(1, int((line.text.size() + kAlertLineLength - 1) / kAlertLineLength));
    };
    std::vector<bool> shown(lines.size(), false);
    int taken = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (i == 0 || lines[i - 1].kind != lines[i].kind) {
            shown[i] = true;
            taken += cost(lines[i]) + 2;
        }
    for (size_t i = 0; i < lines.size(); ++i)
        if (!shown[i] && taken + cost(lines[i]) <= max_lines) {
            shown[i] = true;
            taken += cost(lines[i]);
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
                out << lines[end].text;
            else
                ++hidden;
        }
        if (hidden > 0)
            out << QStringLiteral("\u2026 and %1 more.").arg(hidden);
        i = end;
    }
    return out.join(QLatin1Char('\n'));
}
