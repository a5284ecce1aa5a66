#include "platform/font_resolve.h"
#include "platform/log.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <fontconfig/fontconfig.h>

namespace platform {
namespace {

QMutex gMutex;
QHash<QString, ResolvedFace> gCache;

QString fcString(FcPattern* p, const char* object)
{
    FcChar8* s = nullptr;
    if (FcPatternGetString(p, object, 0, &s) == FcResultMatch && s)
        return QString::fromUtf8(reinterpret_cast<const char*>(s));
    return {};
}

ResolvedFace faceFromPattern(FcPattern* p)
{
    ResolvedFace f;
    f.family = fcString(p, FC_FAMILY);
    f.style = fcString(p, FC_STYLE);
    int slant = FC_SLANT_ROMAN, weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(p, FC_SLANT, 0, &slant);
    FcPatternGetInteger(p, FC_WEIGHT, 0, &weight);
    f.italic = slant != FC_SLANT_ROMAN;
    f.weight = int(FcWeightToOpenType(weight));
    return f;
}

// The fontconfig family behind a generic name the font panel lists ("Sans
// Serif", "Serif", "Monospace") or fontconfig's own; "" for other names.
QString genericFamily(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("sans serif") || n == QLatin1String("sans-serif") || n == QLatin1String("sans"))
        return QStringLiteral("sans-serif");
    if (n == QLatin1String("serif"))
        return QStringLiteral("serif");
    if (n == QLatin1String("monospace") || n == QLatin1String("mono"))
        return QStringLiteral("monospace");
    return {};
}

bool isGeneric(const QString& family)
{
    static const QStringList generic = {"serif", "sans-serif", "sans", "monospace", "mono",
                                        "cursive", "fantasy", "system-ui", "emoji", "math"};
    return generic.contains(family.toLower());
}

void styleWords(const QString& style, bool* italic, int* weight)
{
    const QString s = style.toLower();
    *italic = s.contains(QLatin1String("italic")) || s.contains(QLatin1String("oblique"));
    *weight = 400;
    if (s.contains(QLatin1String("semibold")) || s.contains(QLatin1String("demi")))
        *weight = 600;
    else if (s.contains(QLatin1String("extrabold")) || s.contains(QLatin1String("black")) || s.contains(QLatin1String("heavy")))
        *weight = 900;
    else if (s.contains(QLatin1String("bold")))
        *weight = 700;
    else if (s.contains(QLatin1String("medium")))
        *weight = 500;
    else if (s.contains(QLatin1String("light")))
        *weight = 300;
}

// Families fontconfig substitution adds for any name at all (the machine's
// defaults); they do not count as a match for an asked family.
QStringList substitutedFamilies(const QString& family)
{
    FcPattern* pat = FcPatternCreate();
    const QByteArray fam = family.toUtf8();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.constData()));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    QStringList list;
    FcChar8* s = nullptr;
    for (int i = 0; FcPatternGetString(pat, FC_FAMILY, i, &s) == FcResultMatch; ++i)
        list << QString::fromUtf8(reinterpret_cast<const char*>(s)).toLower();
    FcPatternDestroy(pat);
    return list;
}

const QStringList& defaultFamilies()
{
    static const QStringList defaults = substitutedFamilies(QStringLiteral("Cardwright No Such Family"));
    return defaults;
}

// Matches family + style through fontconfig substitution. With strict set,
// the answer counts only when the matched family is the asked one or one of
// its configured aliases (not a generic default).
bool matchFamily(const QString& family, bool italic, int weight, bool strict, ResolvedFace* out)
{
    FcPattern* pat = FcPatternCreate();
    const QByteArray fam = family.toUtf8();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.constData()));
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    QStringList accepted{family.toLower()};
    for (const QString& f : substitutedFamilies(family).mid(1)) {
        if (isGeneric(f) || defaultFamilies().contains(f))
            break;
        accepted << f;
    }
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    FcPatternDestroy(pat);
    if (!match)
        return false;
    ResolvedFace face = faceFromPattern(match);
    FcPatternDestroy(match);
    if (strict && !accepted.contains(face.family.toLower()))
        return false;
    *out = face;
    return true;
}

ResolvedFace resolveUncached(const QString& name)
{
    // 1. Exact PostScript name.
    {
        FcPattern* pat = FcPatternCreate();
        const QByteArray ps = name.toUtf8();
        FcPatternAddString(pat, FC_POSTSCRIPT_NAME, reinterpret_cast<const FcChar8*>(ps.constData()));
        FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_SLANT, FC_WEIGHT, nullptr);
        FcFontSet* set = FcFontList(nullptr, pat, os);
        ResolvedFace face;
        const bool found = set && set->nfont > 0;
        if (found)
            face = faceFromPattern(set->fonts[0]);
        if (set)
            FcFontSetDestroy(set);
        FcObjectSetDestroy(os);
        FcPatternDestroy(pat);
        if (found && !face.family.isEmpty())
            return face;
    }
    // 2. Family and style parsed from the name, through substitution.
    QString family, style;
    splitStoredName(name, &family, &style);
    bool italic = false;
    int weight = 400;
    styleWords(style, &italic, &weight);
    ResolvedFace face;
    // A generic family is whatever face the machine configures for it.
    if (QString generic = genericFamily(name); !generic.isEmpty() || !(generic = genericFamily(family)).isEmpty()) {
        if (matchFamily(generic, italic, weight, false, &face))
            return face;
    }
    if (!family.isEmpty() && matchFamily(family, italic, weight, true, &face))
        return face;
    // 3. Liberation Serif in the asked style.
    logText(QStringLiteral("Font \"%1\" is not installed; Liberation Serif is used instead.").arg(name));
    if (!matchFamily(QStringLiteral("Liberation Serif"), italic, weight, false, &face)) {
        face.family = QStringLiteral("Liberation Serif");
        face.italic = italic;
        face.weight = weight;
    }
    face.fallback = true;
    return face;
}

} // namespace

void splitStoredName(const QString& storedName, QString* family, QString* style)
{
    QString name = storedName.trimmed();
    QString fam = name, sty;
    const int dash = name.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
        fam = name.left(dash);
        sty = name.mid(dash + 1);
    }
    static const QRegularExpression suffix(QStringLiteral("(PS|MT)+$"));
    fam.remove(suffix);
    sty.remove(suffix);
    static const QRegularExpression camel(QStringLiteral("(?<=[a-z])(?=[A-Z])"));
    if (!fam.contains(QLatin1Char(' ')))
        fam.replace(camel, QStringLiteral(" "));
    sty.replace(camel, QStringLiteral(" "));
    if (dash < 0) {
        // "Times New Roman Bold Italic": trailing style words belong to the style.
        static const QStringList words = {"Regular", "Bold", "Italic", "Oblique", "Light",
                                          "Medium", "Semibold", "Black"};
        QStringList parts = fam.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QStringList tail;
        while (parts.size() > 1 && words.contains(parts.last(), Qt::CaseInsensitive))
            tail.prepend(parts.takeLast());
        fam = parts.join(QLatin1Char(' '));
        sty = tail.join(QLatin1Char(' '));
    }
    *family = fam.trimmed();
    *style = sty.trimmed();
}

ResolvedFace resolveFace(const QString& storedName)
{
    QMutexLocker lock(&gMutex);
    auto it = gCache.constFind(storedName);
    if (it != gCache.constEnd())
        return *it;
    ResolvedFace face = resolveUncached(storedName);
    gCache.insert(storedName, face);
    return face;
}

QFont drawnFace(QFont font)
{
    const bool italic = font.italic();
    const int weight = font.weight();
    const ResolvedFace face = resolveFace(font.family());
    font.setFamilies({face.family});
    font.setStyleName(face.style);
    font.setItalic(face.italic);
    font.setWeight(QFont::Weight(face.weight));
    // Bold or italic asked on the font beyond what its name gives.
    if ((italic && !face.italic) || (weight > QFont::Normal && weight > face.weight)) {
        font.setStyleName(QString());
        font.setItalic(face.italic || italic);
        font.setWeight(QFont::Weight(std::max(face.weight, weight)));
    }
    return font;
}

QFont ownFont(const QFont& font)
{
    // A change of style gives a shared font a new private part with no font
    // engine; setting the style back keeps it apart.
    QFont own = font;
    own.setStyle(font.style() == QFont::StyleNormal ? QFont::StyleItalic : QFont::StyleNormal);
    own.setStyle(font.style());
    own.setResolveMask(font.resolveMask());
    return own;
}

QFont resolveFont(const QFont& stored, double pointSize)
{
    QFont font = drawnFace(stored);
    if (pointSize > 0 && std::isfinite(pointSize))
        font.setPointSizeF(pointSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

QFont resolveFont(const QString& storedName, double pointSize)
{
    return resolveFont(QFont(storedName), pointSize);
}

namespace {

// The style of a listed family nearest the drawn face: its own style name,
// else the same slant and the nearest weight (the shorter name on a tie).
// `distance` is 0 for a style that shows the face as drawn.
QString nearestStyle(const QString& family, const QFont& drawn, int* distance)
{
    QString best;
    *distance = std::numeric_limits<int>::max();
    for (const QString& style : QFontDatabase::styles(family)) {
        const QFont f = QFontDatabase::font(family, style, 12);
        const int d = style == drawn.styleName()
                          ? 0
                          : (f.italic() != drawn.italic() ? 1000 : 0) + std::abs(f.weight() - drawn.weight());
        if (d < *distance || (d == *distance && style.size() < best.size())) {
            *distance = d;
            best = style;
        }
    }
    return best;
}

} // namespace

QFont panelFont(const QFont& current)
{
    const QFont drawn = drawnFace(current);
    // The panel lists the generic families and every installed one; a
    // family it does not list, or lists without the drawn slant and weight,
    // shows as the face it is drawn with.
    QString family = current.family();
    int distance = 0;
    QString style;
    if (QFontDatabase::families().contains(family))
        style = nearestStyle(family, drawn, &distance);
    if (style.isEmpty() || distance != 0) {
        family = drawn.family();
        style = nearestStyle(family, drawn, &distance);
    }
    QFont shown = QFontDatabase::font(family, style, 12);
    shown.setFamilies({family});
    if (current.pointSizeF() > 0)
        shown.setPointSizeF(current.pointSizeF());
    return shown;
}

} // namespace platform
