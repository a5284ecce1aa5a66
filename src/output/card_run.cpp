#include "output/card_run.h"

#include <algorithm>

namespace output {

Run_Sides Run_Sides::Of(const QString& code)
{
    if (code == QLatin1String("BOTH"))
        return {true, true};
    if (code == QLatin1String("F"))
        return {true, false};
    return {false, true};
}

Card_Run::Card_Run(const QString& side, int cards)
    : sides_(Run_Sides::Of(side))
    , cards_(std::max(0, cards))
    , seen_(new std::atomic<bool>[size_t(cards_)]())
{
}

void Card_Run::Add_Problem_Source(std::function<QList<Card_Problem>()> source)
{
    if (source)
        sources_.push_back(std::move(source));
}

int Card_Run::Claim_Row()
{
    const int row = next_++;
    return row < cards_ ? row : -1;
}

void Card_Run::Drew(int row, bool drawn)
{
    if (row >= 0 && row < cards_)
        seen_[size_t(row)] = true;
    if (!drawn)
        not_drawn_.Add(Card_Problem{Problem_Kind::Card_Not_Drawn, row + 1, QString(),
                                    QStringLiteral("the card could not be drawn.")});
}

int Card_Run::Rest() const
{
    int rest = 0;
    for (int row = 0; row < cards_; ++row)
        rest += seen_[size_t(row)] ? 0 : 1;
    return rest;
}

QList<Card_Problem> Card_Run::Problems() const
{
    Binding_Problems all;
    for (const Card_Problem& p : not_drawn_.List())
        all.Add(p);
    for (const auto& source : sources_)
        for (const Card_Problem& p : source())
            all.Add(p);
    return all.List();
}

QString Card_Run::Problems_Text(const QString& not_drawn_heading, int max_lines) const
{
    return ::Problems_Text(Problems(), cards_, not_drawn_heading, max_lines);
}

} // namespace output
