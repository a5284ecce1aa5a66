// Problem lists of a large run, as an export on four workers meets them:
// every card carries a barcode that cannot be encoded (its own value) and
// every third a picture left off (one path for all), each added twice (a
// preview draws a sheet again); then the workers' lists merged and the end
// box's text made. Prints the time of each step for 20,000, 80,000 and
// 100,000 problem cards (medians of three runs).
//
// Usage: problems_bench [cards...]
#include "batch/Card_Problems.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr int kWorkers = 4;

struct Times {
    double add = 0, merge = 0, text = 0;
    qsizetype lines = 0;
};

Times Run(int cards)
{
    std::vector<Binding_Problems> lists(kWorkers);
    const QString cause = QStringLiteral("cannot be encoded: EAN-13 needs 12 digits.");
    const QString picture = QStringLiteral("/home/guest/Pictures/missing/portrait.jpg");
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (int pass = 0; pass < 2; ++pass)
                for (int card = 1 + w; card <= cards; card += kWorkers) {
                    lists[w].Add(Card_Problem{Problem_Kind::Barcode_Left_Off, card,
                                              QStringLiteral("CW%1").arg(card, 8, 10, QLatin1Char('0')), cause});
                    if (card % 3 == 0)
                        lists[w].Add(Card_Problem{Problem_Kind::Picture_Left_Off, card, picture,
                                                  QStringLiteral("is missing.")});
                }
        });
    for (std::thread& t : workers)
        t.join();
    Times times;
    times.add = clock.nsecsElapsed() / 1e6;
    clock.restart();
    QList<Card_Problem> all;
    for (const Binding_Problems& list : lists)
        Merge_Problems(all, list.List());
    times.merge = clock.nsecsElapsed() / 1e6;
    clock.restart();
    const QString text = Problems_Text(all, cards);
    times.text = clock.nsecsElapsed() / 1e6;
    times.lines = text.count(QLatin1Char('\n')) + 1;
    return times;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::max(1, std::atoi(argv[i])));
    if (sizes.empty())
        sizes = {20000, 80000, 100000};
    for (const int cards : sizes) {
        std::vector<double> add, merge, text;
        qsizetype lines = 0;
        for (int run = 0; run < 3; ++run) {
            const Times t = Run(cards);
            add.push_back(t.add);
            merge.push_back(t.merge);
            text.push_back(t.text);
            lines = t.lines;
        }
        std::printf("%6d problem cards: add %.1f ms (%d workers, each problem twice), merge %.1f ms, list %.1f ms "
                    "(%lld lines), total %.1f ms\n",
                    cards, Median(add), kWorkers, Median(merge), Median(text), static_cast<long long>(lines),
                    Median(add) + Median(merge) + Median(text));
    }
    return 0;
}
