// Encoding and strict decoding of the design log array.
#include "editor/design_log_file.h"

#include "app/AppHelpers.h"
#include "drawing/QBXImage.h"
#include "platform/files.h"
#include "platform/geometry_text.h"
#include "platform/keyed_archive.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <cmath>
#include <exception>
#include <limits>

namespace design_log {

using platform::Plist;

namespace {

void yesNo(platform::PlistXmlWriter& out, bool flag)
{
    out.string(flag ? u"Y" : u"N");
}

void encodeRecord(const Card_Property& p, platform::PlistXmlWriter& out)
{
    yesNo(out, p.Card_border_chk);
    out.data(platform::archiveColor(p.Card_bordr_clr));
    out.string(QString::number(p.Card_bor_Stepper));
    out.string(p.Card_border_style);
    yesNo(out, p.Card_fill_chk);
    out.string(p.Card_fill_style);
    out.data(platform::archiveColor(p.Card_fill_clr));
    out.data(platform::archiveColor(p.Card_fill_Grd_1_clr));
    out.data(platform::archiveColor(p.Card_fill_Grd_2_clr));
    out.string(QString::number(p.Card_grad_Stepper));
    out.string(p.Card_hatch_style);
    out.data(platform::archiveColor(p.Card_hatch_bk_clr));
    out.string(QString::asprintf("%0.2f", double(p.Card_alpha_Stepper)));
    out.string(p.Card_Side);
    out.string(p.Card_Side_Name);
    out.string(p.Card_Shape);
    out.string(p.Card_Name);
    out.string(platform::pointToText(p.Card_Location));
    out.string(platform::sizeToText(p.Card_Size));
    out.string(p.Card_Preset);
    out.string(p.Card_Category);
    out.string(p.Card_Sub_Category);
    out.string(QString::number(p.Card_Cat_index));
    out.string(p.Card_Create_Mode);
    out.string(p.Card_BG_Image_Path);
    out.string(p.Card_BG_Image_Layout);
    out.data(platform::archiveColor(p.Card_Content_clr));
    out.data(platform::archiveFont(p.Card_Content_font));
}

void encodeGraphics(const GraphicList& graphics, platform::PlistXmlWriter& out)
{
    out.string(QString::number(qulonglong(graphics.size())));
    for (const GraphicPtr& g : graphics)
        out.data(QBXGraphic::archivedDataWithGraphic(*g));
}

// The rows go straight into the text, cell by cell: a table of many
// thousand rows is not copied into property-list values first.
void encodeRows(const QVariantList& rows, platform::PlistXmlWriter& out)
{
    out.beginArray();
    for (const QVariant& row : rows) {
        out.beginDict();
        const QVariantMap record = row.toMap();
        for (auto it = record.constBegin(); it != record.constEnd(); ++it) {
            out.key(it.key());
            const QVariant& cell = it.value();
            if (cell.typeId() == QMetaType::QString)
                out.string(*static_cast<const QString*>(cell.constData()));
            else
                out.string(cell.toString());
        }
        out.end();
    }
    out.end();
}

// Raised inside the decoder; never leaves decode().
struct Refusal {
    QString reason;
};

// Reads the array strictly in sequence with one running index.
class Cursor {
public:
    explicit Cursor(const Plist& root)
        : root_(root)
    {
    }
    int index() const { return index_; }
    int left() const { return root_.size() - index_; }

    const Plist& next(Plist::Type type, const char* what)
    {
        if (index_ >= root_.size())
            throw Refusal{QStringLiteral("item %1 (%2) missing").arg(index_).arg(QLatin1String(what))};
        const Plist& item = root_.at(index_);
        if (item.type() != type)
            throw Refusal{QStringLiteral("item %1 (%2) has the wrong type").arg(index_).arg(QLatin1String(what))};
        ++index_;
        return item;
    }
    QString text(const char* what) { return next(Plist::Type::String, what).toString(); }
    bool flag(const char* what) { return text(what) == QLatin1String("Y"); }
    int number(const char* what) { return intValue(text(what)); }
    QColor colour(const char* what)
    {
        const int at = index_;
        const std::optional<QColor> c = platform::unarchiveColor(next(Plist::Type::Data, what).toData());
        if (!c || !c->isValid())
            throw Refusal{QStringLiteral("item %1 (%2) is not a colour").arg(at).arg(QLatin1String(what))};
        return *c;
    }
    QFont font(const char* what)
    {
        const int at = index_;
        const std::optional<QFont> f = platform::unarchiveFont(next(Plist::Type::Data, what).toData());
        if (!f)
            throw Refusal{QStringLiteral("item %1 (%2) is not a font").arg(at).arg(QLatin1String(what))};
        return *f;
    }

private:
    const Plist& root_;
    int index_ = 0;
};

QPointF finitePoint(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) ? p : QPointF(0, 0);
}

Card_Property decodeRecord(Cursor& in)
{
    Card_Property p;
    p.Card_border_chk = in.flag("Card_border_chk");
    p.Card_bordr_clr = in.colour("Card_bordr_clr");
    p.Card_bor_Stepper = in.number("Card_bor_Stepper");
    p.Card_border_style = in.text("Card_border_style");
    p.Card_fill_chk = in.flag("Card_fill_chk");
    p.Card_fill_style = in.text("Card_fill_style");
    p.Card_fill_clr = in.colour("Card_fill_clr");
    p.Card_fill_Grd_1_clr = in.colour("Card_fill_Grd_1_clr");
    p.Card_fill_Grd_2_clr = in.colour("Card_fill_Grd_2_clr");
    p.Card_grad_Stepper = in.number("Card_grad_Stepper");
    p.Card_hatch_style = in.text("Card_hatch_style");
    p.Card_hatch_bk_clr = in.colour("Card_hatch_bk_clr");
    p.Card_alpha_Stepper = floatValue(in.text("Card_alpha_Stepper"));
    p.Card_Side = in.text("Card_Side");
    p.Card_Side_Name = in.text("Card_Side_Name");
    p.Card_Shape = in.text("Card_Shape");
    p.Card_Name = in.text("Card_Name");
    p.Card_Location = finitePoint(platform::pointFromText(in.text("Card_Location")));
    const QSizeF size = platform::sizeFromText(in.text("Card_Size"));
    p.Card_Size = std::isfinite(size.width()) && std::isfinite(size.height()) ? size : QSizeF(0, 0);
    p.Card_Preset = in.text("Card_Preset");
    p.Card_Category = in.text("Card_Category");
    p.Card_Sub_Category = in.text("Card_Sub_Category");
    p.Card_Cat_index = in.number("Card_Cat_index");
    p.Card_Create_Mode = in.text("Card_Create_Mode");
    p.Card_BG_Image_Path = in.text("Card_BG_Image_Path");
    p.Card_BG_Image_Layout = in.text("Card_BG_Image_Layout");
    p.Card_Content_clr = in.colour("Card_Content_clr");
    p.Card_Content_font = in.font("Card_Content_font");
    return p;
}

int count(Cursor& in, const char* what)
{
    const int at = in.index();
    const QString text = in.text(what);
    const int n = intValue(text);
    if (n < 0 || n > in.left())
        throw Refusal{QStringLiteral("item %1 (%2) holds the count \"%3\", but %4 items follow")
                          .arg(at)
                          .arg(QLatin1String(what), text)
                          .arg(in.left())};
    return n;
}

GraphicList decodeGraphics(Cursor& in, const char* what)
{
    const int n = count(in, what);
    GraphicList list;
    list.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const int at = in.index();
        GraphicPtr g = QBXGraphic::graphicWithArchivedData(in.next(Plist::Type::Data, what).toData());
        if (!g)
            throw Refusal{QStringLiteral("item %1 is not a graphic archive of a known class").arg(at)};
        if (g->className() == QLatin1String("QBXImage")) {
            auto& picture = static_cast<QBXImage&>(*g);
            const QString path = picture._file_path;
            if (QDir::isAbsolutePath(path)) {
                picture.setFilePath(path);
            } else {
                // A relative path would depend on the working folder: the
                // path is kept (and saved back), the picture is not loaded.
                picture._contents = QImage();
                Show_NSLog_Message(QStringLiteral("Picture path \"%1\" of the design log is not absolute; not loaded.")
                                       .arg(path));
            }
        }
        list.push_back(std::move(g));
    }
    return list;
}

double toMM(double points)
{
    return points * 0.3527777777778;
}

} // namespace

void encode(const Stage& stage, platform::PlistXmlWriter& out)
{
    out.beginArray();
    out.string(kHeader);
    encodeRecord(stage.front, out);
    encodeRecord(stage.back, out);
    yesNo(out, stage.excelUse);
    out.string(stage.excelSourcePath);
    out.beginArray();
    for (const QString& t : stage.titles)
        out.string(t);
    out.end();
    encodeRows(stage.rows, out);
    encodeGraphics(stage.frontGraphics, out);
    encodeGraphics(stage.backGraphics, out);
    out.end();
}

QByteArray toXml(const Stage& stage)
{
    platform::PlistXmlWriter out;
    encode(stage, out);
    return out.finish() ? out.bytes() : QByteArray();
}

std::optional<Stage> decode(const Plist& root, QString* reason)
{
    auto refuse = [reason](const QString& why) -> std::optional<Stage> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (!root.isArray())
        return refuse(QStringLiteral("not a property-list array"));
    if (root.size() == 0)
        return refuse(QStringLiteral("an empty array"));
    try {
        Cursor in(root);
        if (in.next(Plist::Type::String, "header").toString() != kHeader)
            return refuse(QStringLiteral("wrong header"));
        Stage stage;
        stage.front = decodeRecord(in);
        const QSizeF front = stage.front.Card_Size;
        if (toMM(front.width()) > kMaxCardSideMM || toMM(front.height()) > kMaxCardSideMM)
            return refuse(QStringLiteral("front side %1 x %2 points is larger than %3 mm")
                              .arg(front.width())
                              .arg(front.height())
                              .arg(kMaxCardSideMM));
        stage.back = decodeRecord(in);
        stage.excelUse = in.flag("Excel_Binding_Use");
        stage.excelSourcePath = in.text("Excel_Source_Path");

        const Plist& titles = in.next(Plist::Type::Array, "column titles");
        if (titles.size() > kMaxTitles)
            return refuse(QStringLiteral("%1 column titles").arg(titles.size()));
        for (int i = 0; i < titles.size(); ++i) {
            if (titles.at(i).type() != Plist::Type::String)
                return refuse(QStringLiteral("column title %1 is not text").arg(i));
            stage.titles << titles.at(i).toString();
        }
        // Rows are taken as they are: the binding table keeps a damaged row's
        // place with empty cells.
        const Plist& rows = in.next(Plist::Type::Array, "rows");
        stage.rows.reserve(rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            const Plist& row = rows.at(i);
            if (!row.isDict()) {
                stage.rows.append(QVariant());
                continue;
            }
            QVariantMap record;
            for (int k = 0; k < row.size(); ++k) {
                const Plist& cell = row.valueAt(k);
                record.insert(row.keyAt(k),
                              cell.type() == Plist::Type::String ? QVariant(cell.toString()) : QVariant());
            }
            stage.rows.append(record);
        }

        stage.frontGraphics = decodeGraphics(in, "front graphic count");
        stage.backGraphics = decodeGraphics(in, "back graphic count");
        if (in.left() > 0)
            Show_NSLog_Message(QStringLiteral("Design log: %1 items after the last graphic ignored.").arg(in.left()));
        return stage;
    } catch (const Refusal& r) {
        return refuse(r.reason);
    } catch (const std::exception& e) {
        return refuse(QString::fromUtf8(e.what()));
    }
}

std::optional<Stage> readFile(const QString& path, QString* reason, bool* damaged)
{
    auto refuse = [&](const QString& why, bool wrong) -> std::optional<Stage> {
        if (reason)
            *reason = why;
        if (damaged)
            *damaged = wrong;
        return std::nullopt;
    };
    if (!platform::isRegularFile(path))
        return refuse(QStringLiteral("not a regular file"), false);
    if (QFileInfo(path).size() > kMaxFileBytes)
        return refuse(tooLarge(), false);
    QString error;
    const std::optional<Plist> root = platform::readPlistFile(path, &error);
    if (!root)
        return refuse(error.isEmpty() ? QStringLiteral("not a property list") : error,
                      error.isEmpty() || error.startsWith(QLatin1String("not a property list")));
    std::optional<Stage> stage = decode(*root, reason);
    if (!stage && damaged)
        *damaged = true;
    return stage;
}

QString tooLarge()
{
    return QStringLiteral("larger than %1 MB, the most a design holds").arg(kMaxFileBytes >> 20);
}

bool writeFile(const QString& path, const Stage& stage, QString* reason, int* items)
{
    return platform::writeFileAtomically(
        path,
        [&](QIODevice& file) {
            platform::PlistXmlWriter out(&file);
            // Also when encoding throws, the caller learns how far it came.
            const auto count = qScopeGuard([&] {
                if (items)
                    *items = out.rootCount();
            });
            encode(stage, out);
            if (!out.finish())
                return false;
            if (file.size() > kMaxFileBytes) {
                // It could not be opened again.
                if (reason)
                    *reason = QStringLiteral("the design would be ") + tooLarge();
                return false;
            }
            return true;
        },
        platform::WriteMode::Default, reason);
}

int intValue(const QString& text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            value = qint64(std::numeric_limits<int>::max()) + 1;
    }
    if (negative)
        return int(std::max<qint64>(-value, std::numeric_limits<int>::min()));
    return int(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

float floatValue(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return 0.0f;
    bool ok = false;
    const double v = QLocale::c().toDouble(m.capturedView(1), &ok);
    if (!ok || !std::isfinite(v))
        return 0.0f;
    const double limit = std::numeric_limits<float>::max();
    return float(std::clamp(v, -limit, limit));
}

} // namespace design_log
