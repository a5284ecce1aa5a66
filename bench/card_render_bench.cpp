// Card rendering benchmark: one 3.5 x 2 in card with 50 graphics rendered to
// a 300-dpi picture and to PDF, then 1,000 cards with new texts and photos,
// against librsvg on an equivalent SVG (the peer behind rsvg-convert).
//
// Usage: card_render_bench <out-dir> [cards]
#include "app/Globals.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXRenderingView.h"
#include "drawing/QBXSignature.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#ifdef CARDWRIGHT_HAVE_RSVG
#include <cairo-pdf.h>
#include <cairo.h>
#include <librsvg/rsvg.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Stats {
    std::vector<double> v;
    void add(double x) { v.push_back(x); }
    double pct(double p) const
    {
        if (v.empty())
            return 0;
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, size_t(p * (s.size() - 1) + 0.5))];
    }
    double total() const
    {
        double t = 0;
        for (double x : v)
            t += x;
        return t;
    }
};

long procStatusKb(const char* key)
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return -1;
}

// ---- the pictures the bench makes ----

QImage photo(int w, int h, quint32 seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    const double a = rng.bounded(1.0) * 6, b = rng.bounded(1.0) * 6;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            const int r = int(127 + 120 * std::sin(a * u + 3 * v));
            const int g = int(127 + 120 * std::sin(b * v + 2 * u + 1));
            const int bl = int(127 + 120 * std::cos(5 * u * v + a));
            const int n = int(rng.bounded(16)) - 8;
            line[x] = qRgb(std::clamp(r + n, 0, 255), std::clamp(g + n, 0, 255), std::clamp(bl + n, 0, 255));
        }
    }
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    return img;
}

QImage clipArt(int size, QColor c)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(c);
    p.setPen(QPen(Qt::black, size / 40.0));
    p.drawEllipse(QRectF(size * 0.1, size * 0.1, size * 0.8, size * 0.8));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(size * 0.35, size * 0.3, size * 0.3, size * 0.3));
    p.end();
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    return img;
}

QImage signature()
{
    QImage img(600, 200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 20, 90), 6, Qt::SolidLine, Qt::RoundCap));
    QPainterPath path(QPointF(30, 150));
    for (int i = 0; i < 8; ++i)
        path.cubicTo(60 + i * 65, 20, 90 + i * 65, 190, 100 + i * 65, 110);
    p.drawPath(path);
    p.end();
    return img;
}

QImage bars(int seed)
{
    // A linear barcode look-alike at 300 dpi: 95 modules of 2 pixels.
    QImage img(95 * 2 + 20, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QRandomGenerator rng(seed);
    QPainter p(&img);
    for (int m = 0; m < 95; ++m)
        if (m < 3 || m > 91 || rng.bounded(2))
            p.fillRect(10 + m * 2, 6, 2, 88, Qt::black);
    p.end();
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    return img;
}

bool save(const QImage& img, const QString& path, const char* fmt, int quality = -1)
{
    QImageWriter w(path, fmt);
    if (quality >= 0)
        w.setQuality(quality);
    return w.write(img);
}

// ---- the design ----

struct Design {
    GraphicList graphics;
    std::vector<std::shared_ptr<QBXText>> variable; // five texts changed per card
    std::shared_ptr<QBXImage> photo;               // the photo changed per card
    CardRenderContext context;
};

std::shared_ptr<QBXText> makeText(const QString& s, const QString& font, double size, QRectF r, QColor c, int align)
{
    auto t = std::make_shared<QBXText>();
    t->Text_contents().text = s;
    t->text_ctrl_font = QFont(font);
    t->text_ctrl_font.setPointSizeF(size);
    t->txt_clr = c;
    t->text_alignmnet = align;
    t->_isDrawingFill = false;
    t->_isDrawingStroke = false;
    t->setBounds(r);
    return t;
}

Design makeDesign(const QString& dir)
{
    Design d;
    GraphicList bottom; // built bottom first, reversed at the end (index 0 on top)
    auto add = [&](GraphicPtr g) { bottom.push_back(std::move(g)); };

    // 8 pictures: two photos with effects, rotation and flip; six clip-arts.
    auto p1 = std::make_shared<QBXImage>();
    p1->setFilePath(dir + "/photo_a.jpg");
    p1->setBounds(QRectF(6, 6, 96, 64));
    p1->sat_val = 1.3f;
    p1->con_val = 1.1f;
    p1->srp_val = 0.4f;
    p1->_isDrawingStroke = true;
    add(p1);
    auto p2 = std::make_shared<QBXImage>();
    p2->setFilePath(dir + "/photo_b.jpg");
    p2->setBounds(QRectF(150, 70, 72, 48));
    p2->rotate_image = 12;
    p2->Sepia = true;
    p2->blr_val = 3;
    p2->_isFlippedHorizontally = true;
    p2->img_trnsp_val = 85;
    p2->_isDrawingStroke = false;
    add(p2);
    d.photo = p1;
    for (int i = 0; i < 6; ++i) {
        auto c = std::make_shared<QBXImage>();
        c->setFilePath(dir + QStringLiteral("/clip_%1.png").arg(i));
        c->setBounds(QRectF(110 + i * 22, 6, 20, 20));
        c->_isDrawingStroke = false;
        c->gray_Scale = i == 5;
        add(c);
    }
    // 12 shapes: every kind, solid, gradient and hatch fills.
    const char* kinds[] = {"R", "C", "RR", "T", "D", "S", "DS", "P", "P", "DS", "R", "C"};
    for (int i = 0; i < 12; ++i) {
        auto s = std::make_shared<Shape_Control>();
        s->Set_Shape_Type(kinds[i]);
        s->double_star_type = 1 + i % 5;
        s->polygon_type = 1 + i % 5;
        s->setBounds(QRectF(8 + i * 20, 122, 18, 18));
        s->_fill_type = i % 3 == 0 ? "G" : i % 3 == 1 ? "H" : "S";
        s->_fill_hatch_type = "diag";
        s->_fillColor = QColor::fromHsv(i * 30, 160, 230);
        s->_fill_Grad_clr1 = QColor::fromHsv(i * 30, 200, 250);
        s->_fill_Grad_clr2 = QColor::fromHsv((i * 30 + 60) % 360, 200, 150);
        s->_fill_grad_angle = i * 30;
        s->_fill_htch_clr = QColor(250, 240, 200);
        s->_stroke_border_type = i % 2 ? "DA" : "S";
        s->alpha_val = i == 4 ? 0.6f : 100.0f;
        add(s);
    }
    // 8 lines.
    for (int i = 0; i < 8; ++i) {
        auto l = std::make_shared<QBXLine>();
        l->setBounds(QRectF(230, 10 + i * 14, 16, 10));
        l->_pointsRight = i % 2;
        l->_pointsDown = true;
        l->_strokeWidth = 0.5 + i * 0.3;
        l->_stroke_border_type = i % 3 == 0 ? "DO" : "S";
        l->_line_cap_style = i % 3;
        l->_strokeColor = QColor::fromHsv(i * 40, 200, 120);
        add(l);
    }
    // 4 signatures.
    for (int i = 0; i < 4; ++i) {
        auto s = std::make_shared<QBXSignature>();
        s->setFilePath(dir + "/signature.png");
        s->setBounds(QRectF(104 + i * 30, 100, 28, 10));
        s->_isDrawingStroke = i % 2;
        add(s);
    }
    // 4 barcodes at 300 dpi.
    for (int i = 0; i < 4; ++i) {
        auto b = std::make_shared<QBXBarcode>();
        b->Set_Barcode_image(bars(i));
        b->setBounds(QRectF(4 + (i % 2) * 52, 72 + (i / 2) * 25, 50, 24));
        add(b);
    }
    // 14 texts (added last: on top).
    const char* fonts[] = {"TimesNewRomanPS-ItalicMT", "Arial", "Times New Roman", "Arial-BoldMT"};
    for (int i = 0; i < 14; ++i) {
        const QRectF r(110 + (i % 2) * 70, 28 + (i / 2) * 12, 68, 13);
        auto t = makeText(QStringLiteral("Line %1 text").arg(i), fonts[i % 4], 7 + i % 3, r,
                          QColor::fromHsv(i * 25, 180, 90), i % 3);
        if (i < 5)
            d.variable.push_back(t);
        add(t);
    }
    d.graphics.assign(bottom.rbegin(), bottom.rend());

    CardRenderContext& c = d.context;
    c.frame = QRectF(0, 0, 252, 144);
    c.cardShape = 1;
    c.side = 0;
    c.resourcePath = dir;
    c.front.Card_fill_chk = true;
    c.front.Card_fill_style = "G";
    c.front.Card_fill_Grd_1_clr = QColor(255, 250, 235);
    c.front.Card_fill_Grd_2_clr = QColor(215, 230, 250);
    c.front.Card_grad_Stepper = 60;
    c.front.Card_border_chk = true;
    c.front.Card_bordr_clr = QColor(40, 40, 90);
    c.front.Card_bor_Stepper = 2;
    c.front.Card_border_style = "DA";
    return d;
}

#ifdef CARDWRIGHT_HAVE_RSVG
// ---- the equivalent SVG ----

QString colour(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString num(double v)
{
    return QString::number(v, 'g', 8);
}

QString pathData(const QPainterPath& path)
{
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const auto e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement)
            d += QStringLiteral("M%1 %2 ").arg(num(e.x), num(e.y));
        else if (e.type == QPainterPath::LineToElement)
            d += QStringLiteral("L%1 %2 ").arg(num(e.x), num(e.y));
        else if (e.type == QPainterPath::CurveToElement) {
            const auto c2 = path.elementAt(i + 1), p = path.elementAt(i + 2);
            d += QStringLiteral("C%1 %2 %3 %4 %5 %6 ").arg(num(e.x), num(e.y), num(c2.x), num(c2.y), num(p.x), num(p.y));
            i += 2;
        }
    }
    return d + "Z";
}

QString dash(const QString& code)
{
    if (code == "DA")
        return " stroke-dasharray=\"8,2\"";
    if (code == "DO")
        return " stroke-dasharray=\"4,6\"";
    if (code == "DD")
        return " stroke-dasharray=\"24,10,6,10\"";
    if (code == "DDD")
        return " stroke-dasharray=\"24,8,8,8,8,8\"";
    return "";
}

QString gradient(const QString& id, const QRectF& r, const QColor& a, const QColor& b, double deg)
{
    const double t = deg * M_PI / 180, dx = std::cos(t), dy = std::sin(t);
    const double half = (r.width() * std::abs(dx) + r.height() * std::abs(dy)) / 2;
    const QPointF c = r.center();
    return QStringLiteral("<linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" x1=\"%2\" y1=\"%3\" x2=\"%4\" "
                          "y2=\"%5\"><stop offset=\"0\" stop-color=\"%6\"/><stop offset=\"1\" stop-color=\"%7\"/>"
                          "</linearGradient>")
        .arg(id, num(c.x() - dx * half), num(c.y() - dy * half), num(c.x() + dx * half), num(c.y() + dy * half),
             colour(a), colour(b));
}

QString svgFor(const Design& d, const QString& barcodeDir)
{
    QString defs, body;
    const CardRenderContext& c = d.context;
    const QRectF f = c.frame;
    defs += gradient("bg", f, c.front.Card_fill_Grd_1_clr, c.front.Card_fill_Grd_2_clr, c.front.Card_grad_Stepper);
    defs += "<pattern id=\"hatch\" patternUnits=\"userSpaceOnUse\" width=\"8\" height=\"8\"><image href=\"Fill_Style_Image/diag.png\" width=\"8\" height=\"8\"/></pattern>";
    body += QStringLiteral("<rect x=\"0\" y=\"0\" width=\"252\" height=\"144\" rx=\"10\" fill=\"white\"/>"
                           "<rect x=\"0\" y=\"0\" width=\"252\" height=\"144\" rx=\"10\" fill=\"url(#bg)\" stroke=\"%1\" "
                           "stroke-width=\"2\"%2/>")
                .arg(colour(c.front.Card_bordr_clr), dash("DA"));
    int n = 0, barcode = 0;
    for (auto it = d.graphics.rbegin(); it != d.graphics.rend(); ++it, ++n) {
        QBXGraphic* g = it->get();
        const QRectF b = g->bounds();
        const QString id = QStringLiteral("g%1").arg(n);
        if (auto* s = dynamic_cast<Shape_Control*>(g)) {
            QString fill = colour(s->_fillColor);
            QString under;
            if (s->_fill_type == "G") {
                defs += gradient(id, b, s->_fill_Grad_clr1, s->_fill_Grad_clr2, s->_fill_grad_angle);
                fill = "url(#" + id + ")";
            } else if (s->_fill_type == "H") {
                under = QStringLiteral("<path d=\"%1\" fill=\"%2\"/>").arg(pathData(s->bezierPathForDrawing()), colour(s->_fill_htch_clr));
                fill = "url(#hatch)";
            }
            body += under + QStringLiteral("<path d=\"%1\" fill=\"%2\" fill-opacity=\"%3\" stroke=\"black\" stroke-width=\"%4\" "
                                           "stroke-linejoin=\"miter\"%5/>")
                                .arg(pathData(s->bezierPathForDrawing()), fill, num(std::min(1.0f, s->alpha_val)),
                                     num(s->_strokeWidth), dash(s->_stroke_border_type));
        } else if (auto* l = dynamic_cast<QBXLine*>(g)) {
            static const char* caps[] = {"butt", "round", "square"};
            body += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
                                   "stroke-linecap=\"%7\"%8/>")
                        .arg(num(l->beginPoint().x()), num(l->beginPoint().y()), num(l->endPoint().x()),
                             num(l->endPoint().y()), colour(l->_strokeColor), num(l->_strokeWidth),
                             caps[l->_line_cap_style], dash(l->_stroke_border_type));
        } else if (auto* t = dynamic_cast<QBXText*>(g)) {
            static const char* anchor[] = {"start", "end", "middle"};
            const double x = t->text_alignmnet == 1 ? b.right() : t->text_alignmnet == 2 ? b.center().x() : b.left();
            const QFont font = t->drawnFont();
            body += QStringLiteral("<text x=\"%1\" y=\"%2\" font-family=\"%3\" font-size=\"%4\" font-style=\"%5\" "
                                   "font-weight=\"%6\" fill=\"%7\" text-anchor=\"%8\">%9</text>")
                        .arg(num(x), num(b.top() + font.pointSizeF() * 0.9), font.family(), num(font.pointSizeF()),
                             font.italic() ? "italic" : "normal", font.bold() ? "bold" : "normal", colour(t->txt_clr),
                             anchor[t->text_alignmnet % 3], t->drawnString().toHtmlEscaped());
        } else if (auto* im = dynamic_cast<QBXImage*>(g)) {
            QString filter;
            if (im->gray_Scale || im->Sepia || im->sat_val != 1 || im->blr_val > 0 || im->con_val != 1) {
                QString prims;
                if (im->gray_Scale)
                    prims += "<feColorMatrix type=\"saturate\" values=\"0\"/>";
                if (im->Sepia)
                    prims += "<feColorMatrix type=\"matrix\" values=\"0.393 0.769 0.189 0 0 0.349 0.686 0.168 0 0 0.272 0.534 0.131 0 0 0 0 0 1 0\"/>";
                if (im->sat_val != 1)
                    prims += QStringLiteral("<feColorMatrix type=\"saturate\" values=\"%1\"/>").arg(num(im->sat_val));
                if (im->con_val != 1)
                    prims += QStringLiteral("<feComponentTransfer><feFuncR type=\"linear\" slope=\"%1\" intercept=\"%2\"/>"
                                            "<feFuncG type=\"linear\" slope=\"%1\" intercept=\"%2\"/><feFuncB type=\"linear\" "
                                            "slope=\"%1\" intercept=\"%2\"/></feComponentTransfer>")
                                 .arg(num(im->con_val), num(0.5 - 0.5 * im->con_val));
                if (im->blr_val > 0)
                    prims += QStringLiteral("<feGaussianBlur stdDeviation=\"%1\"/>").arg(num(im->blr_val * 0.24));
                defs += QStringLiteral("<filter id=\"f%1\" color-interpolation-filters=\"sRGB\">%2</filter>").arg(id, prims);
                filter = QStringLiteral(" filter=\"url(#f%1)\"").arg(id);
            }
            const QPointF c0 = b.center();
            const QString transform = QStringLiteral("translate(%1 %2) scale(%3 %4) rotate(%5)")
                                          .arg(num(c0.x()), num(c0.y()), im->_isFlippedHorizontally ? "-1" : "1",
                                               im->_isFlippedVertically ? "-1" : "1", num(-im->rotate_image));
            body += QStringLiteral("<g transform=\"%1\" opacity=\"%2\"><image href=\"%3\" x=\"%4\" y=\"%5\" width=\"%6\" "
                                   "height=\"%7\" preserveAspectRatio=\"none\"%8/></g>")
                        .arg(transform, num(im->img_trnsp_val / 100), QFileInfo(im->FilePath()).fileName(),
                             num(-b.width() / 2), num(-b.height() / 2), num(b.width()), num(b.height()), filter);
            if (im->_isDrawingStroke)
                body += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"none\" stroke=\"black\"/>")
                            .arg(num(b.x()), num(b.y()), num(b.width()), num(b.height()));
        } else if (auto* s = dynamic_cast<QBXSignature*>(g)) {
            body += QStringLiteral("<image href=\"signature.png\" x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                                   "preserveAspectRatio=\"none\"/>")
                        .arg(num(b.x()), num(b.y()), num(b.width()), num(b.height()));
            if (s->_isDrawingStroke)
                body += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"none\" stroke=\"black\"/>")
                            .arg(num(b.x()), num(b.y()), num(b.width()), num(b.height()));
        } else if (auto* bc = dynamic_cast<QBXBarcode*>(g)) {
            const QSizeF pt = drawing::pointSizeOf(bc->_barcode_image);
            body += QStringLiteral("<image href=\"%5/bars_%6.png\" x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                                   "preserveAspectRatio=\"none\"/>")
                        .arg(num(b.x()), num(b.y()), num(pt.width()), num(pt.height()), barcodeDir)
                        .arg(barcode++);
        }
    }
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"252pt\" height=\"144pt\" "
                          "viewBox=\"0 0 252 144\"><defs>%1</defs><clipPath id=\"card\"><rect width=\"252\" "
                          "height=\"144\" rx=\"10\"/></clipPath>%2</svg>")
        .arg(defs, body);
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

void rsvgRender(RsvgHandle* h, cairo_t* cr)
{
    RsvgRectangle vp{0, 0, 252, 144};
    GError* err = nullptr;
    if (!rsvg_handle_render_document(h, cr, &vp, &err)) {
        std::fprintf(stderr, "librsvg: %s\n", err ? err->message : "?");
        g_clear_error(&err);
    }
}

RsvgHandle* rsvgParse(const QByteArray& svg, const QString& base)
{
    GError* err = nullptr;
    GFile* baseFile = g_file_new_for_path(QFile::encodeName(base + "/card.svg").constData());
    GInputStream* in = g_memory_input_stream_new_from_data(svg.constData(), svg.size(), nullptr);
    RsvgHandle* h = rsvg_handle_new_from_stream_sync(in, baseFile, RSVG_HANDLE_FLAGS_NONE, nullptr, &err);
    g_object_unref(in);
    g_object_unref(baseFile);
    if (!h) {
        std::fprintf(stderr, "librsvg parse: %s\n", err ? err->message : "?");
        g_clear_error(&err);
    }
    return h;
}
#endif

void report(QTextStream& out, const char* name, const Stats& s)
{
    out << QStringLiteral("%1  median %2 ms  p95 %3 ms  total %4 s\n")
               .arg(QString::fromLatin1(name), -28)
               .arg(s.pct(0.5), 7, 'f', 2)
               .arg(s.pct(0.95), 7, 'f', 2)
               .arg(s.total() / 1000.0, 7, 'f', 2);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench-out");
    const int cards = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    QDir().mkpath(outDir);
    QTemporaryDir work;
    const QString dir = work.path();
    Resource_Path = dir;
    QTextStream out(stdout);

    // The pictures.
    save(photo(2400, 1600, 1), dir + "/photo_a.jpg", "jpg", 90);
    save(photo(2400, 1600, 2), dir + "/photo_b.jpg", "jpg", 90);
    for (int i = 0; i < 10; ++i)
        save(photo(1600, 1067, 10 + i), dir + QStringLiteral("/photo_%1.jpg").arg(i), "jpg", 90);
    for (int i = 0; i < 6; ++i)
        save(clipArt(400, QColor::fromHsv(i * 50, 200, 230)), dir + QStringLiteral("/clip_%1.png").arg(i), "png");
    save(signature(), dir + "/signature.png", "png");
    QDir().mkpath(dir + "/Fill_Style_Image");
    {
        QImage tile(8, 8, QImage::Format_ARGB32);
        tile.fill(Qt::transparent);
        for (int i = 0; i < 8; ++i)
            tile.setPixel(i, 7 - i, qRgb(90, 60, 30));
        tile.setDotsPerMeterX(2835);
        tile.setDotsPerMeterY(2835);
        save(tile, dir + "/Fill_Style_Image/diag.png", "png");
    }
    for (int i = 0; i < 4; ++i)
        save(bars(i), dir + QStringLiteral("/bars_%1.png").arg(i), "png");

    Design d = makeDesign(dir);
    out << "Cardwright card rendering: 3.5 x 2 in card, " << d.graphics.size() << " graphics, 300 dpi ("
        << int(std::ceil(252 * 300 / 72.0)) << " x " << int(std::ceil(144 * 300 / 72.0)) << "), " << cards
        << " cards\n";

    // The single design, cold then warm.
    auto t0 = Clock::now();
    QImage first = QBXRenderingView::image_From_Card_Graphics(d.graphics, false, d.context).toImage(300);
    const double cold = msSince(t0);
    first.save(outDir + "/card.png");
    QFile(outDir + "/card.pdf").remove();
    {
        QFile pdf(outDir + "/card.pdf");
        pdf.open(QIODevice::WriteOnly);
        pdf.write(QBXRenderingView::pdfDataWithGraphics_data(d.graphics, d.context));
    }
    out << QStringLiteral("first card (cold caches): %1 ms\n").arg(cold, 0, 'f', 1);

    Stats render, renderPng, pdf;
    long hwm100 = 0, rss100 = 0, hwm1000 = 0, rss1000 = 0;
    const auto all0 = Clock::now();
    for (int i = 0; i < cards; ++i) {
        for (int k = 0; k < 5; ++k)
            d.variable[k]->Text_contents().text = QStringLiteral("Guest %1 row %2").arg(i).arg(k);
        d.photo->setFilePath(dir + QStringLiteral("/photo_%1.jpg").arg(i % 10));
        auto a = Clock::now();
        const CardPicture pic = QBXRenderingView::image_From_Card_Graphics(d.graphics, false, d.context);
        const QImage img = pic.toImage(300);
        render.add(msSince(a));
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        QImageWriter(&buf, "png").write(img);
        renderPng.add(msSince(a));
        auto b = Clock::now();
        const QByteArray p = pic.toPdf();
        pdf.add(msSince(b));
        if (i == 99) {
            hwm100 = procStatusKb("VmHWM:");
            rss100 = procStatusKb("VmRSS:");
        }
        if (i == cards - 1) {
            hwm1000 = procStatusKb("VmHWM:");
            rss1000 = procStatusKb("VmRSS:");
        }
    }
    const double total = msSince(all0);
    report(out, "render (picture)", render);
    report(out, "render + PNG", renderPng);
    report(out, "PDF", pdf);
    out << QStringLiteral("total for %1 cards: %2 s\n").arg(cards).arg(total / 1000, 0, 'f', 2);
    out << QStringLiteral("RSS at card 100: %1 MiB (peak %2), at card %3: %4 MiB (peak %5)\n")
               .arg(rss100 / 1024.0, 0, 'f', 1)
               .arg(hwm100 / 1024.0, 0, 'f', 1)
               .arg(cards)
               .arg(rss1000 / 1024.0, 0, 'f', 1)
               .arg(hwm1000 / 1024.0, 0, 'f', 1);

#ifdef CARDWRIGHT_HAVE_RSVG
    Stats parseRender, renderOnly, rsvgPdf;
    const double scale = 300.0 / 72.0;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1050, 600);
    QFile(outDir + "/peer_card.svg").remove();
    for (int i = 0; i < cards; ++i) {
        for (int k = 0; k < 5; ++k)
            d.variable[k]->Text_contents().text = QStringLiteral("Guest %1 row %2").arg(i).arg(k);
        d.photo->setFilePath(dir + QStringLiteral("/photo_%1.jpg").arg(i % 10));
        const QByteArray svg = svgFor(d, QStringLiteral(".")).toUtf8();
        if (i == 0) {
            QFile f(outDir + "/peer_card.svg");
            f.open(QIODevice::WriteOnly);
            f.write(svg);
        }
        auto a = Clock::now();
        RsvgHandle* h = rsvgParse(svg, dir);
        cairo_t* cr = cairo_create(surface);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_scale(cr, scale, scale);
        rsvgRender(h, cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        parseRender.add(msSince(a));
        // Render only: the parsed handle again (its pictures already loaded).
        auto b = Clock::now();
        cr = cairo_create(surface);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_scale(cr, scale, scale);
        rsvgRender(h, cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        renderOnly.add(msSince(b));
        if (i == 0)
            cairo_surface_write_to_png(surface, QFile::encodeName(outDir + "/peer_card.png").constData());
        auto c = Clock::now();
        std::string pdfData;
        cairo_surface_t* ps = cairo_pdf_surface_create_for_stream(appendToString, &pdfData, 252, 144);
        cr = cairo_create(ps);
        rsvgRender(h, cr);
        cairo_destroy(cr);
        cairo_surface_finish(ps);
        cairo_surface_destroy(ps);
        rsvgPdf.add(msSince(c));
        if (i == 0) {
            QFile f(outDir + "/peer_card.pdf");
            f.open(QIODevice::WriteOnly);
            f.write(pdfData.data(), qint64(pdfData.size()));
        }
        g_object_unref(h);
    }
    cairo_surface_destroy(surface);
    out << "librsvg " << LIBRSVG_VERSION << " on cairo " << cairo_version_string() << ":\n";
    report(out, "librsvg parse + render", parseRender);
    report(out, "librsvg render only", renderOnly);
    report(out, "librsvg PDF (parsed)", rsvgPdf);
    out << QStringLiteral("ratio render / librsvg render only (median): %1x\n")
               .arg(render.pct(0.5) / renderOnly.pct(0.5), 0, 'f', 2);
#else
    out << "librsvg not found at build time: no peer figures\n";
#endif
    return 0;
}
