#include "platform/rtf_text.h"
#include "platform/text_decode.h"
#include "support/qt_print.h"
#include "support_oracle.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString rtf(const char* source)
{
    return platform::rtfText(QByteArray(source)).value_or(QStringLiteral("<not rtf>"));
}

QStringList nonEmptyLines(const QString& text)
{
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

} // namespace

TEST(RtfText, FormattingRunsEscapesAndLineBreaks)
{
    EXPECT_EQ(rtf("{\\rtf1\\ansi 12{\\b 34}\\b0 56\\par x\\line y\\par}"), QStringLiteral("123456\nx\ny\n"));
    EXPECT_EQ(rtf("{\\rtf1 a\\\\b\\{c\\}d\\tab e}"), QStringLiteral("a\\b{c}d\te"));
    // raw line ends are not text; a space after a control word delimits it
    EXPECT_EQ(rtf("{\\rtf1 ab\r\ncd\\par\r\n ef}"), QStringLiteral("abcd\n ef"));
    EXPECT_EQ(rtf("{\\rtf1 A\\cell B\\cell\\row C}"), QStringLiteral("A\nB\n\nC"));
    EXPECT_EQ(platform::rtfText("hello"), std::nullopt);
    EXPECT_EQ(platform::rtfText("  \n{\\rtf1 ok}"), QStringLiteral("ok"));
}

TEST(RtfText, CodePagesFromFontsAndDocument)
{
    // cp1251: \'cf\'f0\'e8 = "При"
    EXPECT_EQ(rtf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"), QStringLiteral("При"));
    // a font with \fcharset204 (Cyrillic) in a 1252 document; font 0 stays 1252
    EXPECT_EQ(rtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Times;}}"
                  "\\'e9{\\f1 \\'e9}\\'e9}"),
              QStringLiteral("éйé"));
    // Shift_JIS double-byte runs decode together: 82 a0 = あ, 8a bf 8e9a = 漢字
    EXPECT_EQ(rtf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'8a\\'bf\\'8e\\'9a}"), QStringLiteral("あ漢字"));
    // no \ansicpg: 1252 (0x80 is the euro sign there)
    EXPECT_EQ(rtf("{\\rtf1 \\'80}"), QStringLiteral("€"));
}

TEST(RtfText, UnicodeFallbacksAndSurrogates)
{
    // \uc1 default skips one fallback character; \uc0 none; \uc2 two (a \'hh counts one)
    EXPECT_EQ(rtf("{\\rtf1 \\u26085?x}"), QStringLiteral("日x"));
    EXPECT_EQ(rtf("{\\rtf1\\uc0 \\u26085 x}"), QStringLiteral("日x"));
    EXPECT_EQ(rtf("{\\rtf1\\uc2 \\u26085\\'3f\\'3fx}"), QStringLiteral("日x"));
    // negative values are UTF-16 units above 0x7fff; halves are joined
    EXPECT_EQ(rtf("{\\rtf1 \\u-3?\\u-10179?\\u-8704?}"), QString::fromUtf8("\xef\xbf\xbd") + QString::fromUtf8("😀"));
    EXPECT_EQ(rtf("{\\rtf1 \\u-10179?x}"), QStringLiteral("\uFFFDx"));
    // a group ends the fallback
    EXPECT_EQ(rtf("{\\rtf1\\uc5 \\u26085{b}c}"), QStringLiteral("日bc"));
}

TEST(RtfText, SkippedDestinationsAndDamagedInput)
{
    EXPECT_EQ(rtf("{\\rtf1{\\colortbl;\\red0\\green0\\blue0;}{\\info{\\title T}}{\\*\\generator X;}"
                  "{\\pict\\pngblip 89504e47}a{\\*\\bkmkstart q}b}"),
              QStringLiteral("ab"));
    EXPECT_EQ(rtf("{\\rtf1 a\\bin3 }}}b}"), QStringLiteral("ab"));
    // truncated or unbalanced: the text so far, never past the end
    EXPECT_EQ(rtf("{\\rtf1 abc{\\b de"), QStringLiteral("abcde"));
    EXPECT_EQ(rtf("{\\rtf1 a\\bin999999999"), QStringLiteral("a"));
    EXPECT_EQ(rtf("{\\rtf1\\uc999999999 \\u65 zz"), QStringLiteral("A"));
    EXPECT_EQ(rtf("{\\rtf1 x\\'4"), QStringLiteral("x"));
    EXPECT_EQ(rtf("{\\rtf1 x}}}y"), QStringLiteral("x"));
    QByteArray garbage("{\\rtf1 ");
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) & 0xff));
    EXPECT_TRUE(platform::rtfText(garbage).has_value());
}

TEST(RtfText, MatchesLibreOfficeText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString html = dir.filePath(QStringLiteral("list.html"));
    {
        QFile f(html);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html><head><meta charset=\"utf-8\"></head><body>"
                "<p>12<b>34</b>56</p><p>漢字かな</p><p>smile 😀 done</p>"
                "<p>a{b}c</p><p>back\\slash</p><p><i>it</i>al <u>under</u></p></body></html>");
    }
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile"));
    oracle::run(QStringLiteral("soffice"),
                {profile, QStringLiteral("--headless"), QStringLiteral("--infilter=HTML (StarWriter)"),
                 QStringLiteral("--convert-to"), QStringLiteral("rtf:Rich Text Format"), QStringLiteral("--outdir"),
                 dir.filePath(QStringLiteral("rtf")), html});
    const QString rtfPath = dir.filePath(QStringLiteral("rtf/list.rtf"));
    ASSERT_TRUE(QFile::exists(rtfPath));
    oracle::run(QStringLiteral("soffice"),
                {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                 QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"),
                 dir.filePath(QStringLiteral("txt")), rtfPath});
    QFile txt(dir.filePath(QStringLiteral("txt/list.txt")));
    ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
    const QString expected = *platform::decodeText(txt.readAll());
    QFile rtfFile(rtfPath);
    ASSERT_TRUE(rtfFile.open(QIODevice::ReadOnly));
    const auto ours = platform::rtfText(rtfFile.readAll());
    ASSERT_TRUE(ours.has_value());
    EXPECT_EQ(nonEmptyLines(*ours), nonEmptyLines(expected));
    EXPECT_EQ(nonEmptyLines(*ours).value(0), QStringLiteral("123456"));
}

TEST(DecodeText, MarksSelectTheEncodingElseStrictUtf8)
{
    const QString sample = QStringLiteral("a\u00e9\u6f22😀");
    EXPECT_EQ(platform::decodeText(sample.toUtf8()), sample);
    EXPECT_EQ(platform::decodeText("\xef\xbb\xbf" + sample.toUtf8()), sample);
    for (auto enc : {QStringConverter::Utf16LE, QStringConverter::Utf16BE, QStringConverter::Utf32LE,
                     QStringConverter::Utf32BE}) {
        QStringEncoder encoder(enc, QStringConverter::Flag::WriteBom);
        EXPECT_EQ(platform::decodeText(encoder.encode(sample)), sample);
    }
    EXPECT_EQ(platform::decodeText("ab\xff" "cd"), std::nullopt);
    EXPECT_EQ(platform::decodeText("\xc3"), std::nullopt); // cut inside a character
    EXPECT_EQ(platform::decodeText(QByteArray()), QString());
}
