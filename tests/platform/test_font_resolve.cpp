// Font resolution through fontconfig.
#include "platform/font_resolve.h"
#include "platform/modal.h"
#include "support/test_responder.h"

#include <QFontDialog>
#include <QFontInfo>
#include <gtest/gtest.h>

using namespace platform;

TEST(FontResolve, StoredNamesSplitIntoFamilyAndStyle)
{
    QString f, s;
    splitStoredName("TimesNewRomanPS-ItalicMT", &f, &s);
    EXPECT_EQ(f, "Times New Roman");
    EXPECT_EQ(s, "Italic");
    splitStoredName("Arial-BoldItalicMT", &f, &s);
    EXPECT_EQ(f, "Arial");
    EXPECT_EQ(s, "Bold Italic");
    splitStoredName("Times New Roman", &f, &s);
    EXPECT_EQ(f, "Times New Roman");
    EXPECT_EQ(s, "");
    splitStoredName("Times New Roman Bold", &f, &s);
    EXPECT_EQ(f, "Times New Roman");
    EXPECT_EQ(s, "Bold");
}

TEST(FontResolve, NamesResolveToInstalledFaces)
{
    // Exact PostScript name of an installed face.
    ResolvedFace exact = resolveFace("LiberationSans-Bold");
    EXPECT_EQ(exact.family, "Liberation Sans");
    EXPECT_EQ(exact.weight, 700);
    EXPECT_FALSE(exact.fallback);

    // A Mac PostScript name reaches the metric twin through substitution.
    ResolvedFace times = resolveFace("TimesNewRomanPS-ItalicMT");
    EXPECT_EQ(times.family, "Liberation Serif");
    EXPECT_TRUE(times.italic);
    EXPECT_FALSE(times.fallback);
    EXPECT_EQ(resolveFace("Arial").family, "Liberation Sans");

    // Unknown names fall back to Liberation Serif in the asked style.
    ResolvedFace none = resolveFace("NoSuchFontAnywhere-BoldItalic");
    EXPECT_TRUE(none.fallback);
    EXPECT_EQ(none.family, "Liberation Serif");
    EXPECT_TRUE(none.italic);
    EXPECT_EQ(none.weight, 700);

    QFont font = resolveFont("TimesNewRomanPS-ItalicMT", 36.0);
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Serif");
    EXPECT_TRUE(QFontInfo(font).italic());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 36.0);
}

namespace {

// Records the font the panel is opened on.
struct FontPanelProbe : platform::modal::Responder {
    QFont shown;
    platform::modal::AlertAnswer alert(platform::modal::AlertKind, const QString&) override { return {}; }
    int run(QDialog&) override { return 0; }
    QStringList filePanel(const platform::modal::FilePanelRequest&) override { return {}; }
    std::optional<QColor> colorPanel(const QColor&, const QString&) override { return std::nullopt; }
    std::optional<QFont> fontPanel(const QFont& initial, const QString&) override
    {
        shown = initial;
        return std::nullopt;
    }
};

} // namespace

TEST(FontResolve, GenericFamiliesDrawTheirFaceAndThePanelOpensOnTheDrawnFont)
{
    // The generic families the panel lists match as Qt's own fontconfig
    // matching does: a sans face for "Sans Serif", never the serif stand-in.
    for (const char* generic : {"Sans Serif", "Serif", "Monospace"}) {
        SCOPED_TRACE(generic);
        const ResolvedFace face = resolveFace(QString::fromLatin1(generic));
        EXPECT_FALSE(face.fallback);
        EXPECT_EQ(face.family, QFontInfo(QFont(QString::fromLatin1(generic))).family());
    }
    EXPECT_NE(resolveFace("Sans Serif").family, resolveFace("Serif").family);
    EXPECT_TRUE(resolveFace("Sans Serif Bold").weight >= 700);

    struct Case {
        QFont current;
        QString family; // the panel's family
        bool italic;
    };
    QFont bold(QStringLiteral("Serif"), 9);
    bold.setBold(true);
    const Case cases[] = {
        {QFont(QStringLiteral("TimesNewRomanPS-ItalicMT"), 14), QStringLiteral("Liberation Serif"), true},
        {QFont(QStringLiteral("Sans Serif"), 12), QStringLiteral("Sans Serif"), false},
        {QFont(QStringLiteral("DejaVu Sans"), 10), QStringLiteral("DejaVu Sans"), false},
        // The generic family lists no bold style: the panel shows the bold face drawn.
        {bold, resolveFace("Serif").family, false},
    };
    FontPanelProbe probe;
    platform::modal::setResponder(&probe);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current.family().toStdString());
        platform::modal::chooseFont(c.current);
        QFontDialog panel(probe.shown);
        const QFont preselected = panel.currentFont();
        EXPECT_EQ(preselected.family(), c.family);
        EXPECT_EQ(preselected.italic(), c.italic);
        EXPECT_EQ(preselected.bold(), c.current.bold());
        EXPECT_DOUBLE_EQ(preselected.pointSizeF(), c.current.pointSizeF());
    }
    platform::modal::setResponder(&testResponder());
}
