#pragma once
// The problems an output run meets, card by card, and the list its end box
// shows. A problem names its card, the value the card was given and the
// cause; the box groups the problems under headings by what they are, quotes
// each value short and names a run of cards with the same problem once
// ("Cards 6–20: ..."), so the list reads at a glance and fits the screen.
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

// What a problem did to its card; the end box lists each kind under its own
// heading, in this order.
enum class Problem_Kind {
    Card_Not_Drawn,    // the card itself could not be drawn
    Barcode_Left_Off,  // no barcode printed: no value, or one it cannot encode
    Barcode_Changed,   // printed, holding less than the value (cut)
    Barcode_Past_Edge, // printed, reaching past the card's edge
    Barcode_Too_Fine,  // printed with modules too fine for the output to read
    Picture_Left_Off,  // no picture drawn
    Picture_Coarse,    // drawn from fewer pixels than the output needs
    Picture_Partial,   // drawn as far as its damaged data could be read
    Data,              // the data itself (a series that cannot be read)
};

struct Card_Problem {
    Problem_Kind kind = Problem_Kind::Data;
    // 1-based card number; 0 for a problem of no single card.
    int card = 0;
    // The value the card was given (quoted short in the list); empty when
    // it had none.
    QString value;
    // What happened, said after the quoted value (or after the card number
    // when the value is empty): "cannot be encoded: EAN-13 needs 12 digits.",
    // "is cut to \"123\": ...", "no value: the series \"A\" has 5 rows."
    QString cause;

    bool operator==(const Card_Problem& o) const
    {
        return kind == o.kind && card == o.card && value == o.value && cause == o.cause;
    }
};

size_t qHash(const Card_Problem& problem, size_t seed = 0);

// At most this many characters of a value are quoted ("…" after).
constexpr int kQuotedValueLength = 40;

// The value as a list quotes it: its first kQuotedValueLength characters,
// with "…" after when there were more; line breaks and tabs read as spaces.
// from_end keeps the last characters instead ("…" before), for file paths
// whose name is at the end.
QString Quote_Short(const QString& value, bool from_end = false);

// One problem as one line, without its heading: "Card 7: "ABC…" cause".
QString Problem_Line(const Card_Problem& problem);

// Problems of a binding or an output run. Any thread may add; the list is
// read when the run is over. The same problem is kept once, found by its
// hash: adding costs the same however long the list is.
class Binding_Problems {
public:
    void Add(const Card_Problem& problem);
    // A problem of no single card, as text.
    void Add(const QString& text);
    QList<Card_Problem> List() const;
    void Clear();
    int Count() const;

private:
    mutable QMutex mutex_;
    QList<Card_Problem> list_; // in the order first met
    QSet<Card_Problem> held_;
};

// Appends the problems of `more` that `into` does not hold yet (nor `more`
// before them).
void Merge_Problems(QList<Card_Problem>& into, const QList<Card_Problem>& more);

// How many different cards carry a problem.
int Cards_With_Problems(const QList<Card_Problem>& problems);

// Lines of about this many characters fit the width an alert takes; a
// longer line is counted as the lines it wraps to.
constexpr int kAlertLineLength = 70;
// At most this many characters of a cause are shown ("…" after).
// A too-fine barcode's cause (its name, modules and what makes it read)
// fits whole.
constexpr int kCauseLength = 200;

// The list an end box shows: "16 of 20 cards carry a problem." (when any
// card does), then each kind present under its heading, its problems by
// card number, neighbouring cards with the same problem on one line. Each
// kind shows its first line; the list takes about max_lines lines of
// kAlertLineLength characters besides (so that it fits the screen in an
// alert), and each kind counts its lines not shown. not_drawn_heading replaces the heading of cards that could not be
// drawn (the print window says what their cells show).
QString Problems_Text(QList<Card_Problem> problems, int total_cards, const QString& not_drawn_heading = {},
                      int max_lines = 24);
