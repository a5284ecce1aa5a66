// Problem lists of large runs: each problem kept once, ranges found however
// the problems of several values interleave, and a long run listed at once.
#include "batch/Card_Problems.h"
#include "support/hostile_bytes.h"


#include <gtest/gtest.h>

TEST(CardProblems, InterleavedProblemsMakeTheirOwnRangesAndLargeRunsListAtOnce)
{
    Binding_Problems list;
    const QString a = QStringLiteral("is missing."), b = QStringLiteral("cannot be read.");
    for (int card : {1, 2, 3, 5, 6})
        list.Add(Card_Problem{Problem_Kind::Picture_Left_Off, card, QStringLiteral("p.jpg"), a});
    for (int card : {1, 2, 4, 2})
        list.Add(Card_Problem{Problem_Kind::Picture_Left_Off, card, QStringLiteral("p.jpg"), b});
    EXPECT_EQ(list.Count(), 8);
    QList<Card_Problem> merged = list.List();
    Merge_Problems(merged, {Card_Problem{Problem_Kind::Picture_Left_Off, 4, QStringLiteral("p.jpg"), a},
                            Card_Problem{Problem_Kind::Picture_Left_Off, 1, QStringLiteral("p.jpg"), a}});
    EXPECT_EQ(merged.size(), 9);
    EXPECT_EQ(Problems_Text(merged, 6),
              QStringLiteral("6 of 6 cards carry a problem.\nPictures left off:\n"
                             "Cards 1\u20136: \"p.jpg\" is missing.\nCards 1\u20132: \"p.jpg\" cannot be read.\n"
                             "Card 4: \"p.jpg\" cannot be read."));

    // 100,000 cards, each with its own value and every other one with a
    // shared one, added twice: a list that scanned itself would take
    // minutes of CPU time.
    const double start = hostile::cpuSeconds();
    Binding_Problems large;
    for (int pass = 0; pass < 2; ++pass)
        for (int card = 1; card <= 100000; ++card) {
            large.Add(Card_Problem{Problem_Kind::Barcode_Left_Off, card, QString::number(card), b});
            if (card % 2)
                large.Add(Card_Problem{Problem_Kind::Data, card, {}, a});
        }
    QList<Card_Problem> all;
    Merge_Problems(all, large.List());
    const QString text = Problems_Text(all, 100000);
    EXPECT_EQ(all.size(), 150000);
    EXPECT_TRUE(text.startsWith(QStringLiteral("100000 of 100000 cards carry a problem.\nBarcodes left off:\n"
                                               "Card 1: \"1\" cannot be read.\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\u2026 and 49999 more.")));
    EXPECT_LT(hostile::cpuSeconds() - start, 20.0);
}
