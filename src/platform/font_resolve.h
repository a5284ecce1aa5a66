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

// The resolved face as a QFont of the given size in points, unhinted so that
// text lays out alike on screen, in pictures of any resolution and in PDF.
QFont resolveFont(const QString& storedName, double pointSize);

// Splits a stored name into family and style words: strips "PS"/"MT", splits
// camel case ("TimesNewRomanPS-ItalicMT" -> "Times New Roman", "Italic").
void splitStoredName(const QString& storedName, QString* family, QString* style);

} // namespace platform
