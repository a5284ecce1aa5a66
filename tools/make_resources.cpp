// Draws the project's own pictures from gradients and shapes. The output
// depends only on the arguments: the same call writes the same files.
//
//   cw_make_resources --share <folder>
//       <folder>/Wizard_pattern.jpg, the sample pictures new graphics show
//       before they have their own (no.png, sign_sample.png,
//       fingerprints.png, barcode_sample.png), banner.png, pattern_1.jpg,
//       the promotion pictures Promotion_S/R/B.png, the print window's
//       eighteen alignment pictures ("top_left.png", ...),
//       two dozen card backgrounds in <folder>/Background (PNG and JPG),
//       clip art in six category folders of <folder>/LibraryImage, and the
//       hatch pattern tiles of <folder>/Fill_Style_Image (PNG, one per
//       pattern, named after it).
//   cw_make_resources --icons <folder>
//       the program's icon as <folder>/<n>x<n>/apps/cardwright.png for the
//       icon theme sizes 16 to 256 (the folder is a theme's, e.g. hicolor).
//   cw_make_resources --backgrounds <folder> <count> <width> <height>
//       <count> backgrounds of the given size, half PNG, half JPG (used to
//       fill a resource folder for measurements).
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A small fixed pseudo-random sequence (xorshift), so that every run draws
// the same shapes.
struct Sequence {
    quint32 state;
    explicit Sequence(quint32 seed) : state(seed * 2654435761u + 1u) {}
    quint32 next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double unit() { return (next() & 0xFFFFFF) / double(0x1000000); }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
};

struct Palette {
    QColor a, b, accent;
};

const Palette kPalettes[] = {
    {QColor(255, 236, 210), QColor(252, 182, 159), QColor(255, 255, 255)},
    {QColor(224, 195, 252), QColor(142, 197, 252), QColor(255, 255, 255)},
    {QColor(212, 252, 121), QColor(150, 230, 161), QColor(255, 255, 240)},
    {QColor(250, 208, 196), QColor(255, 209, 255), QColor(255, 250, 250)},
    {QColor(161, 196, 253), QColor(194, 233, 251), QColor(255, 255, 255)},
    {QColor(253, 219, 146), QColor(209, 253, 255), QColor(255, 255, 255)},
    {QColor(30, 60, 114), QColor(42, 82, 152), QColor(255, 215, 120)},
    {QColor(67, 33, 80), QColor(180, 60, 110), QColor(255, 230, 180)},
};

QImage drawBackground(int index, int width, int height)
{
    Sequence seq(quint32(index) + 17u);
    const Palette& pal = kPalettes[index % int(std::size(kPalettes))];
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const double angle = seq.range(0, 2 * M_PI);
    const QPointF centre(width / 2.0, height / 2.0);
    const double reach = std::hypot(width, height) / 2.0;
    QLinearGradient base(centre - QPointF(std::cos(angle), std::sin(angle)) * reach,
                         centre + QPointF(std::cos(angle), std::sin(angle)) * reach);
    base.setColorAt(0, pal.a);
    base.setColorAt(1, pal.b);
    p.fillRect(image.rect(), base);

    const int style = index % 4;
    const int shapes = 6 + int(seq.next() % 10);
    for (int i = 0; i < shapes; ++i) {
        QColor c = pal.accent;
        c.setAlpha(int(seq.range(25, 90)));
        const double r = seq.range(0.04, 0.22) * qMin(width, height);
        const QPointF at(seq.range(0, width), seq.range(0, height));
        switch (style) {
        case 0: { // soft bubbles
            QRadialGradient g(at, r);
            g.setColorAt(0, c);
            c.setAlpha(0);
            g.setColorAt(1, c);
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawEllipse(at, r, r);
            break;
        }
        case 1: { // rings
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(c, qMax(1.0, r / 8)));
            p.drawEllipse(at, r, r);
            break;
        }
        case 2: { // stars
            QPainterPath star;
            for (int k = 0; k < 10; ++k) {
                const double a = -M_PI / 2 + k * M_PI / 5;
                const double rr = (k % 2) ? r * 0.45 : r;
                const QPointF pt = at + QPointF(std::cos(a) * rr, std::sin(a) * rr);
                k == 0 ? star.moveTo(pt) : star.lineTo(pt);
            }
            star.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawPath(star);
            break;
        }
        default: { // diagonal ribbons
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.save();
            p.translate(at);
            p.rotate(seq.range(-40, 40));
            p.drawRoundedRect(QRectF(-width, -r / 4, 2.0 * width, r / 2), r / 8, r / 8);
            p.restore();
            break;
        }
        }
    }
    // A light frame leaves room for the card's texts.
    QColor frame = pal.accent;
    frame.setAlpha(120);
    p.setPen(QPen(frame, qMax(2.0, qMin(width, height) / 60.0)));
    p.setBrush(Qt::NoBrush);
    const double m = qMin(width, height) / 20.0;
    p.drawRoundedRect(QRectF(m, m, width - 2 * m, height - 2 * m), m, m);
    p.end();
    return image;
}

QImage drawPattern()
{
    const int side = 96;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(241, 244, 250));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(226, 232, 244));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            p.drawEllipse(QPointF(side / 4.0 + x * side / 2.0, side / 4.0 + y * side / 2.0), 9, 9);
    p.setPen(QPen(QColor(232, 236, 246), 2));
    p.drawLine(QPointF(0, side / 2.0), QPointF(side, side / 2.0));
    p.drawLine(QPointF(side / 2.0, 0), QPointF(side / 2.0, side));
    p.end();
    return image;
}

// A hatch tile: dark strokes on a transparent ground, 12 x 12 points
// (72 dpi), drawn so that tiles placed side by side join without seams.
// A hatch fill paints its background colour first and this tile over it.
QImage drawHatch(const char* kind)
{
    const int side = 12;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    QPainter p(&image);
    const QColor ink(0, 0, 0);
    const QString name = QString::fromLatin1(kind);
    const bool horizontal = name == QLatin1String("Horizontal") || name == QLatin1String("Cross");
    const bool vertical = name == QLatin1String("Vertical") || name == QLatin1String("Cross");
    const bool rising = name == QLatin1String("Diagonal") || name == QLatin1String("Diagonal Cross");
    const bool falling = name == QLatin1String("Back Diagonal") || name == QLatin1String("Diagonal Cross");
    if (horizontal)
        p.fillRect(QRect(0, side / 2, side, 1), ink);
    if (vertical)
        p.fillRect(QRect(side / 2, 0, 1, side), ink);
    if (rising || falling) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(ink, 1.0));
        // The neighbouring tiles' strokes too, so the corners join.
        for (int shift = -side; shift <= side; shift += side) {
            if (rising)
                p.drawLine(QPointF(shift, side), QPointF(shift + side, 0));
            if (falling)
                p.drawLine(QPointF(shift, 0), QPointF(shift + side, side));
        }
    }
    if (name == QLatin1String("Dots")) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(side / 4.0, side / 4.0), 1.5, 1.5);
        p.drawEllipse(QPointF(3 * side / 4.0, 3 * side / 4.0), 1.5, 1.5);
    }
    p.end();
    return image;
}

const char* const hatchNames[] = {"Horizontal", "Vertical", "Cross", "Diagonal", "Back Diagonal", "Diagonal Cross",
                                  "Dots"};

// The print window's alignment buttons: a sheet with a block of cards at one
// of nine places (keypad order from the top left); the selected picture is
// the same on a blue ground with a blue block.
QImage drawAlignment(int place, bool selected)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(selected ? QColor(70, 130, 220) : QColor(0, 0, 0, 0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(selected ? Qt::white : QColor(110, 110, 110), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 3.5, 21, 25));
    const double x = 8 + (place % 3) * 5.5, y = 6 + (place / 3) * 7.5;
    p.setPen(Qt::NoPen);
    p.setBrush(selected ? QColor(30, 80, 180) : QColor(90, 90, 90));
    p.drawRect(QRectF(x, y, 5, 5));
    p.end();
    return image;
}

const char* const alignmentNames[9][2] = {
    {"top_left", "top_left - sel"},         {"top_center", "top_center - sel"},
    {"top_right", "top_right - sel"},       {"middle_left", "middle_left - sel"},
    {"middle_center", "middle_center_sel"}, {"middle_right", "middle_right - sel"},
    {"bootom_left", "bootom_left - sel"},   {"bootom_center", "bootom_center - sel"},
    {"boottom_right", "boottom_right - sel"},
};

// The picture a picture graphic shows before one is chosen: a framed cross.
QImage drawNoPicture()
{
    QImage image(120, 120, QImage::Format_ARGB32);
    image.fill(QColor(238, 238, 238));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(170, 170, 170), 3));
    p.drawRect(QRectF(1.5, 1.5, 117, 117));
    p.drawLine(QPointF(20, 20), QPointF(100, 100));
    p.drawLine(QPointF(100, 20), QPointF(20, 100));
    p.end();
    return image;
}

// A handwritten-looking stroke on a transparent ground.
QImage drawSignature()
{
    QImage image(300, 120, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path(QPointF(20, 80));
    path.cubicTo(40, 10, 70, 10, 60, 90);
    path.cubicTo(55, 110, 90, 30, 110, 60);
    path.cubicTo(125, 85, 140, 40, 160, 55);
    path.cubicTo(175, 70, 185, 35, 205, 50);
    path.cubicTo(225, 65, 240, 30, 280, 45);
    path.moveTo(60, 95);
    path.cubicTo(120, 100, 200, 92, 270, 85);
    p.setPen(QPen(QColor(20, 40, 110), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.end();
    return image;
}

// Ridges of a fingerprint: nested open loops on a transparent ground.
QImage drawFingerprint()
{
    QImage image(120, 160, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(60, 85);
    for (int i = 0; i < 11; ++i) {
        const double rx = 6 + i * 5, ry = 9 + i * 6.5;
        const int gap = 25 + (i * 37) % 50;  // each ridge breaks somewhere else
        p.drawArc(QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry), gap * 16, (360 - 40) * 16);
    }
    p.end();
    return image;
}

// Bars that look like a linear barcode but encode nothing, so the sample can
// never be read as a value.
QImage drawBarcodeSample()
{
    QImage image(220, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    Sequence seq(7);
    int x = 12;
    while (x < 200) {
        const int bar = 1 + int(seq.next() % 4) * 2;
        const int space = 1 + int(seq.next() % 3) * 2;
        if (x + bar > 208)
            break;
        p.fillRect(QRect(x, 10, bar, 80), Qt::black);
        x += bar + space;
    }
    p.end();
    return image;
}

// The promotion banner: a soft gradient strip with rings.
QImage drawBanner()
{
    QImage image(600, 100, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 600, 100);
    g.setColorAt(0, QColor(142, 197, 252));
    g.setColorAt(1, QColor(224, 195, 252));
    p.fillRect(image.rect(), g);
    Sequence seq(99);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 12; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 90 + int(seq.next() % 80)), seq.range(1.5, 4)));
        const double r = seq.range(10, 45);
        p.drawEllipse(QPointF(seq.range(0, 600), seq.range(0, 100)), r, r);
    }
    p.end();
    return image;
}

// A second window pattern in warmer colours, for the promotion window.
QImage drawPromotionPattern()
{
    QImage image = drawPattern();
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.fillRect(image.rect(), QColor(255, 236, 214));
    p.end();
    return image;
}

// The three feature pictures of the promotion window: a card with series
// rows (0), a printed sheet of cards (1), a barcode (2), each on its own
// gradient.
QImage drawPromotionPicture(int which)
{
    QImage image(240, 160, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const Palette& palette = kPalettes[(which * 3 + 1) % 8];
    QLinearGradient g(0, 0, 240, 160);
    g.setColorAt(0, palette.a);
    g.setColorAt(1, palette.b);
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(40, 50, 80), 2));
    p.setBrush(QColor(255, 255, 255));
    if (which == 0) {
        p.drawRoundedRect(QRectF(40, 30, 160, 100), 10, 10);
        for (int i = 0; i < 4; ++i)
            p.fillRect(QRectF(60, 48 + i * 18, 80 + (i % 2) * 40, 8), QColor(70, 110, 200));
    } else if (which == 1) {
        p.drawRect(QRectF(60, 15, 120, 130));
        p.setBrush(palette.accent);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c)
                p.drawRoundedRect(QRectF(70 + c * 52, 25 + r * 38, 46, 30), 4, 4);
    } else {
        p.drawRect(QRectF(40, 35, 160, 90));
        Sequence seq(7);
        double x = 52;
        while (x < 188) {
            const double w = 1 + double(seq.next() % 4);
            p.fillRect(QRectF(x, 45, w, 60), Qt::black);
            x += w + 1 + double(seq.next() % 3);
        }
    }
    p.end();
    return image;
}

bool save(const QImage& image, const QString& path, const char* format)
{
    QImageWriter writer(path, format);
    if (qstrcmp(format, "jpg") == 0)
        writer.setQuality(88);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

// The program's icon: a card seen at a slant over a second one, its face a
// warm gradient with a heart and two lines of text.
QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 256-unit square.
    const QRectF card(-92, -62, 184, 124);
    auto placeCard = [&p, size](double x, double y, double degrees) {
        p.resetTransform();
        p.scale(size / 256.0, size / 256.0);
        p.translate(x, y);
        p.rotate(degrees);
    };
    // The back card.
    placeCard(136, 112, 12);
    p.setPen(QPen(QColor(40, 70, 120), 4));
    p.setBrush(QColor(120, 170, 230));
    p.drawRoundedRect(card, 16, 16);
    // The front card.
    placeCard(120, 148, -8);
    QLinearGradient face(card.topLeft(), card.bottomRight());
    face.setColorAt(0, QColor(255, 138, 101));
    face.setColorAt(1, QColor(255, 202, 40));
    p.setPen(QPen(QColor(150, 60, 30), 4));
    p.setBrush(face);
    p.drawRoundedRect(card, 16, 16);
    QPainterPath heart;
    heart.moveTo(-40, -4);
    heart.cubicTo(-78, -30, -60, -58, -40, -40);
    heart.cubicTo(-20, -58, -2, -30, -40, -4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(heart);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRoundedRect(QRectF(0, -42, 70, 12), 6, 6);
    p.drawRoundedRect(QRectF(-70, 16, 140, 12), 6, 6);
    p.drawRoundedRect(QRectF(-70, 36, 100, 12), 6, 6);
    p.end();
    return image;
}

bool writeIcons(const QString& folder)
{
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(apps) || !save(drawIcon(size), apps + QStringLiteral("/cardwright.png"), "png"))
            return false;
    }
    return true;
}

bool writeBackgrounds(const QString& folder, int count, int width, int height)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return false;
    }
    const QDir dir(folder);
    for (int i = 0; i < count; ++i) {
        const bool png = i % 2 == 0;
        const QString name =
            QStringLiteral("Background_%1.%2").arg(i + 1, 3, 10, QChar(u'0')).arg(png ? "png" : "jpg");
        if (!save(drawBackground(i, width, height), dir.filePath(name), png ? "png" : "jpg"))
            return false;
    }
    return true;
}

// One clip-art picture: a motif of the category in colours of the index,
// on a transparent ground (PNG) or white (JPG).
QImage drawClipArt(int category, int index, bool transparent)
{
    Sequence seq(quint32(category * 37 + index) + 5u);
    QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
    image.fill(transparent ? Qt::transparent : Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const Palette& pal = kPalettes[(category + index) % 8];
    const QColor main = QColor::fromHsv((index * 47 + category * 61) % 360, 170, 230);
    const QColor second = pal.b;
    p.setPen(QPen(main.darker(150), 4));
    const QPointF c(128, 128);
    switch (category) {
    case 0: { // balloons
        for (int i = 0; i < 3; ++i) {
            const QPointF at(70 + i * 58, 90 + seq.range(-20, 20));
            p.setBrush(i == 1 ? second : main);
            p.drawEllipse(at, 34, 42);
            p.drawLine(at + QPointF(0, 42), QPointF(128, 240));
        }
        break;
    }
    case 1: { // cake with candles
        p.setBrush(second);
        p.drawRoundedRect(QRectF(40, 130, 176, 90), 12, 12);
        p.setBrush(main);
        p.drawRoundedRect(QRectF(60, 90, 136, 50), 10, 10);
        for (int i = 0; i < 2 + index % 4; ++i) {
            const double x = 80 + i * 24;
            p.drawLine(QPointF(x, 90), QPointF(x, 60));
            p.setBrush(QColor(255, 200, 60));
            p.drawEllipse(QPointF(x, 52), 6, 10);
        }
        break;
    }
    case 2: { // rings and hearts
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(212, 175, 55), 12));
        p.drawEllipse(QPointF(100, 140), 50, 50);
        p.drawEllipse(QPointF(156, 140), 50, 50);
        p.setPen(QPen(main.darker(150), 3));
        p.setBrush(main);
        QPainterPath heart;
        heart.moveTo(128, 70);
        heart.cubicTo(100, 30, 60, 60, 128, 110);
        heart.cubicTo(196, 60, 156, 30, 128, 70);
        p.drawPath(heart);
        break;
    }
    case 3: { // stars
        for (int i = 0; i < 4 + index % 3; ++i) {
            const QPointF at(seq.range(50, 206), seq.range(50, 206));
            const double r = seq.range(18, 40);
            QPolygonF star;
            for (int k = 0; k < 10; ++k) {
                const double a = k * M_PI / 5 - M_PI / 2;
                const double rr = k % 2 ? r * 0.45 : r;
                star << at + QPointF(std::cos(a) * rr, std::sin(a) * rr);
            }
            p.setBrush(i % 2 ? main : second);
            p.drawPolygon(star);
        }
        break;
    }
    case 4: { // a flower
        p.setBrush(main);
        const int petals = 5 + index % 4;
        for (int k = 0; k < petals; ++k) {
            p.save();
            p.translate(c);
            p.rotate(360.0 * k / petals);
            p.drawEllipse(QPointF(0, -55), 26, 46);
            p.restore();
        }
        p.setBrush(QColor(255, 210, 60));
        p.drawEllipse(c, 30, 30);
        break;
    }
    default: { // a gift box
        p.setBrush(main);
        p.drawRect(QRectF(56, 100, 144, 120));
        p.setBrush(second);
        p.drawRect(QRectF(46, 80, 164, 30));
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawRect(QRectF(118, 80, 20, 140));
        p.drawEllipse(QPointF(110, 66), 22, 14);
        p.drawEllipse(QPointF(146, 66), 22, 14);
        break;
    }
    }
    p.end();
    return image;
}

bool writeClipArt(const QString& library)
{
    // Folder names as users make them: the library shows them capitalised.
    const char* categories[] = {"party cards", "BIRTHDAY", "wedding", "Stars and Celebrations", "flowers", "Gifts"};
    for (int c = 0; c < 6; ++c) {
        const QDir dir(QDir(library).filePath(QString::fromLatin1(categories[c])));
        if (!QDir().mkpath(dir.path()))
            return false;
        const int count = 6 + (c * 3) % 5;
        for (int i = 0; i < count; ++i) {
            const bool png = i % 3 != 2;
            const QString name = QStringLiteral("clip_%1.%2").arg(i + 1, 2, 10, QChar(u'0')).arg(png ? "png" : "jpg");
            if (!save(drawClipArt(c, i, png), dir.filePath(name), png ? "png" : "jpg"))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--share") == 0) {
        const QDir share(QString::fromLocal8Bit(argv[2]));
        if (!QDir().mkpath(share.path()))
            return 1;
        const struct {
            QImage image;
            const char* name;
            const char* format;
        } pictures[] = {
            {drawPattern(), "Wizard_pattern.jpg", "jpg"},     {drawNoPicture(), "no.png", "png"},
            {drawSignature(), "sign_sample.png", "png"},      {drawFingerprint(), "fingerprints.png", "png"},
            {drawBarcodeSample(), "barcode_sample.png", "png"}, {drawBanner(), "banner.png", "png"},
            {drawPromotionPattern(), "pattern_1.jpg", "jpg"},
            {drawPromotionPicture(0), "Promotion_S.png", "png"}, {drawPromotionPicture(1), "Promotion_R.png", "png"},
            {drawPromotionPicture(2), "Promotion_B.png", "png"},
        };
        for (const auto& picture : pictures)
            if (!save(picture.image, share.filePath(QString::fromLatin1(picture.name)), picture.format))
                return 1;
        for (int place = 0; place < 9; ++place)
            for (int selected = 0; selected < 2; ++selected)
                if (!save(drawAlignment(place, selected),
                          share.filePath(QString::fromLatin1(alignmentNames[place][selected]) + QStringLiteral(".png")),
                          "png"))
                    return 1;
        if (!writeClipArt(share.filePath(QStringLiteral("LibraryImage"))))
            return 1;
        const QDir hatches(share.filePath(QStringLiteral("Fill_Style_Image")));
        if (!QDir().mkpath(hatches.path()))
            return 1;
        for (const char* hatch : hatchNames)
            if (!save(drawHatch(hatch), hatches.filePath(QString::fromLatin1(hatch) + QStringLiteral(".png")), "png"))
                return 1;
        return writeBackgrounds(share.filePath(QStringLiteral("Background")), 24, 800, 600) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--icons") == 0)
        return writeIcons(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc == 6 && std::strcmp(argv[1], "--backgrounds") == 0) {
        const int count = std::atoi(argv[3]);
        const int width = std::atoi(argv[4]);
        const int height = std::atoi(argv[5]);
        if (count < 0 || width <= 0 || height <= 0)
            return 2;
        return writeBackgrounds(QString::fromLocal8Bit(argv[2]), count, width, height) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: cw_make_resources --share <folder> | --icons <folder>"
                         " | --backgrounds <folder> <count> <w> <h>\n");
    return 2;
}
