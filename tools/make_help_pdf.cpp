// Typesets the help text (Markdown) into Help.pdf with its fonts embedded.
//
//   cw_make_help_pdf <Help.md> <Help.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: cw_make_help_pdf <Help.md> <Help.pdf>\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setMarkdown(QString::fromUtf8(in.readAll()));

    const QString out = QString::fromLocal8Bit(argv[2]);
    QPdfWriter writer(out);
    writer.setTitle(QStringLiteral("Cardwright Help"));
    writer.setCreator(QStringLiteral("Cardwright"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                     QPageLayout::Millimeter));
    doc.print(&writer);
    return QFile::exists(out) ? 0 : 1;
}
