#pragma once
// Turns a stored font name into a font this machine has. Stored names are
// PostScript names ("TimesNewRomanPS-ItalicMT") or family names
// ("Times New Roman"); the record keeps the stored name, only drawing uses
// the resolved face.
#include <QFont>
#include <QString>

namespace platform {

struct ResolvedFace {
    QString family;   // family name as fontconfig reports it
    QString style;    // style name ("Italic", "Bold Italic", "Regular", ...)
    bool italic = false;
    int weight = 400; // CSS-like weight
    bool fallback = false; // true when the name matched nothing and Liberation Serif stands in
};

// Resolves by exact PostScript name, else by family and style parsed from the
// name through fontconfig substitution, else Liberation Serif in the asked
// style (logged once per name). Results are cached; safe from any thread.
ResolvedFace resolveFace(const QString& storedName);

// The font with its family replaced by the face it resolves to (family,
// style, slant, weight); a slant or weight the font asks beyond that face's
// is kept (synthesised). Size and the other attributes stay. Every road that
// draws text (cards, pictures, PDF, barcode captions) draws this face.
QFont drawnFace(QFont font);

// The drawn face at the given size in points, unhinted so that text lays
// out alike on screen, in pictures of any resolution and in PDF.
QFont resolveFont(const QFont& stored, double pointSize);
QFont resolveFont(const QString& storedName, double pointSize);

// The font the font panel opens on for a current font: its family when the
// panel lists it (the generic "Sans Serif", "Serif", "Monospace" included),
// else the family it is drawn with; the listed style nearest the drawn
// face's slant and weight; the same size.
QFont panelFont(const QFont& current);

// A copy of the font equal in every attribute (the resolved ones included)
// that shares no private part with it. Copies of a QFont share one private
// part, whose font engines Qt loads and drops while it measures and draws:
// a font a worker thread draws with must be its own.
QFont ownFont(const QFont& font);

// Splits a stored name into family and style words: strips "PS"/"MT", splits
// camel case ("TimesNewRomanPS-ItalicMT" -> "Times New Roman", "Italic").
void splitStoredName(const QString& storedName, QString* family, QString* style);

} // namespace platform
