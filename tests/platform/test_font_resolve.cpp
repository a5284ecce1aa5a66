// Font resolution through fontconfig.
#include "platform/font_resolve.h"

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
