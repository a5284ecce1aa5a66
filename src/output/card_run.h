#pragma once
// The road every output run takes through its cards. Export, print and mail
// draw a data row's sides here (the back first, as the files are written),
// a card a side of which cannot be drawn is named here once, and the run's
// problems are gathered and counted against every card of the run here, so
// a rule about a run's cards holds for all three alike.
#include "batch/Card_Problems.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace output {

// The sides a side code ("BOTH", "F", "B") asks for.
struct Run_Sides {
    bool front = true;
    bool back = false;
    static Run_Sides Of(const QString& code);
};

// One card as a run drew it; a side not asked for stays null.
template <class Picture>
struct Run_Card {
    Picture front, back;
    bool drawn = false; // every side asked for was drawn
};

class Card_Run {
public:
    // A run of `cards` cards (every one counted in its end box) showing the
    // sides of `side`.
    Card_Run(const QString& side, int cards);
    Card_Run(const Card_Run&) = delete;
    Card_Run& operator=(const Card_Run&) = delete;

    const Run_Sides& Sides() const { return sides_; }
    int Cards() const { return cards_; }

    // Where the problems of the rows' values are kept (a run snapshot's
    // list), asked when the run's problems are.
    void Add_Problem_Source(std::function<QList<Card_Problem>()> source);

    // The next card in order for any thread; -1 when every card is taken.
    int Claim_Row();

    // Draws card `row` (from 0) through render(row, "B" or "F"): the back
    // first, then the front, the sides asked for only. A card that misses a
    // side is named once. Any thread, as the renderer allows.
    template <class Render>
    auto Draw(int row, Render&& render)
    {
        using Picture = std::decay_t<decltype(render(row, QString()))>;
        Run_Card<Picture> card;
        if (sides_.back)
            card.back = render(row, QStringLiteral("B"));
        if (sides_.front)
            card.front = render(row, QStringLiteral("F"));
        card.drawn = (!sides_.front || !card.front.isNull()) && (!sides_.back || !card.back.isNull());
        Drew(row, card.drawn);
        return card;
    }

    // Draws every card not drawn so far and drops it, so that the problems
    // of the whole run are named (a preview draws only the sheets looked
    // at). Ends early when `stop` is raised; `done` (may be null) is told
    // each card.
    template <class Render>
    void Draw_Rest(Render&& render, const std::atomic<bool>* stop = nullptr,
                   const std::function<void(int row)>& done = {})
    {
        for (int row = 0; row < cards_ && !(stop && *stop); ++row)
            if (!seen_[size_t(row)]) {
                Draw(row, render);
                if (done)
                    done(row);
            }
    }
    // Cards not drawn yet.
    int Rest() const;

    // Cards that could not be drawn.
    int Not_Drawn() const { return not_drawn_.Count(); }
    // The cards that could not be drawn, then the sources' problems, each once.
    QList<Card_Problem> Problems() const;
    // The end box's list over every card of the run.
    QString Problems_Text(const QString& not_drawn_heading = {}, int max_lines = 24) const;

private:
    void Drew(int row, bool drawn);

    Run_Sides sides_;
    int cards_ = 0;
    std::atomic<int> next_{0};
    std::unique_ptr<std::atomic<bool>[]> seen_;
    Binding_Problems not_drawn_;
    std::vector<std::function<QList<Card_Problem>()>> sources_;
};

} // namespace output
