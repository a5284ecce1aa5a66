// Times 10,000 graphic-shaped records (93 named entries each) through
//  (a) keyed archives in an XML design-log-shaped file written atomically,
//      read back with every field read;
//  (b) the same list as an in-memory binary property list;
//  (c) the peer: the same records built, written and read through
//      libplist's C API alone.
// Prints the median of 5 runs per phase, the sizes and the ratio to the peer.
#include "platform/keyed_archive.h"
#include "platform/plist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <plist/plist.h>
#include <vector>

namespace {

constexpr int kRecords = 10000;
constexpr int kRuns = 5;

// Entry kinds: rect, bool, int, float, string, colour, font, text storage, picture.
enum Kind { R, B, I, F, S, C, N, T, M };
struct Entry {
    const char* key;
    Kind kind;
};

const Entry kEntries[] = {
    {"_bounds", R}, {"ctrl_is_locked", B}, {"_isDrawingFill", B}, {"_fillColor", C}, {"_isDrawingStroke", B},
    {"_strokeColor", C}, {"_strokeWidth", F}, {"_stroke_border_type", S}, {"_fill_type", S}, {"_fill_Grad_clr1", C},
    {"_fill_Grad_clr2", C}, {"_fill_grad_angle", F}, {"_fill_htch_clr", C}, {"_fill_hatch_type", S},
    {"_isFlippedHorizontally", B}, {"_isFlippedVertically", B}, {"invert_clr", B}, {"gray_Scale", B}, {"Sepia", B},
    {"img_trnsp_val", F}, {"hue_val", F}, {"sat_val", F}, {"brt_val", F}, {"con_val", F}, {"srp_val", F},
    {"ev_val", F}, {"blr_val", F}, {"data_source_type", I}, {"rotate_image", F}, {"_file_path", S},
    {"sign_or_fingureprint", S}, {"batch_list_name", S}, {"batch_list_index", I}, {"_line_ori", I},
    {"_line_cap_style", I}, {"alpha_val", F}, {"alpha_val_stroke", F}, {"text_ctrl_font", N}, {"txt_clr", C},
    {"_Text_contents", T}, {"_shape_type", S}, {"cor_rad_val_val", F}, {"_barcode_image", M}, {"linear_or_2d", I},
    {"barcode_font_index", I}, {"linear_font_val", S}, {"two_d_font_val", S}, {"header_val", S}, {"footer_val", S},
    {"show_hide_hdr", I}, {"show_hide_ftr", I}, {"show_hide_val", I}, {"show_val_on_top", I}, {"align_hdr_index", I},
    {"align_ftr_index", I}, {"linear_height_val", F}, {"linear_width_val", F}, {"qr_size_val", I},
    {"qr_version_index", I}, {"qr_ec_index", I}, {"pdf_hgt_val", I}, {"pdf_wdt_val", I}, {"pdf_ec_val", I},
    {"dm_module_val", I}, {"dm_format_index", I}, {"dm_encoding_index", I}, {"hdr_margin_val", F},
    {"ftr_margin_val", F}, {"val_margin_val", F}, {"TB_marging_val", F}, {"LR_margin_val", F}, {"value_font_val", N},
    {"header_font_val", N}, {"footer_font_val", N}, {"barcode_hdr_clr_val", C}, {"barcode_ftr_clr_val", C},
    {"barcode_val_clr_val", C}, {"barcode_back_clr_val", C}, {"barcode_clr_val", C}, {"dpi_val_index", I},
    {"dpi_custom_val", S}, {"barcode_unit_val", I}, {"text_alignmnet", I}, {"text_transfrom_case", I},
    {"text_kerning", F}, {"print_object", I}, {"control_ID", S}, {"excel_binding", B}, {"excel_col_indx", I},
    {"Text_Value", S}, {"ctrl_is_visible", B}, {"double_star_type", I}, {"polygon_type", I},
};
static_assert(sizeof kEntries / sizeof kEntries[0] == 93);

// The values of record r; every record differs a little.
QString textOf(int r, int e)
{
    return QStringLiteral("value %1 of entry %2").arg(r).arg(e);
}
QByteArray cTextOf(int r, int e)
{
    return textOf(r, e).toUtf8();
}
float floatOf(int r, int e)
{
    return float(r % 97) * 0.25f + float(e) * 0.1f;
}
QColor colourOf(int r, int e)
{
    return QColor::fromRgbF(float((r + e) % 256) / 255.f, float(e % 256) / 255.f, 0.5f, 1.0f);
}

// ---------------------------------------------------------------- our layer

QByteArray archiveRecord(int r)
{
    platform::KeyedArchiver out(QStringLiteral("QBXText"), {QStringLiteral("QBXGraphic"), QStringLiteral("NSObject")});
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(14);
    int e = 0;
    for (const Entry& entry : kEntries) {
        switch (entry.kind) {
        case R: out.encodeRect(entry.key, QRectF(r % 300, 20.5, 50, 50)); break;
        case B: out.encodeBool(entry.key, (r + e) % 2 == 0); break;
        case I: out.encodeInt32(entry.key, r + e); break;
        case F: out.encodeFloat(entry.key, floatOf(r, e)); break;
        case S: out.encodeString(entry.key, textOf(r, e)); break;
        case C: out.encodeColor(entry.key, colourOf(r, e)); break;
        case N: out.encodeFont(entry.key, font); break;
        case T:
            out.beginObject(entry.key, QStringLiteral("NSTextStorage"), {QStringLiteral("NSObject")});
            out.encodeString("NSString", textOf(r, e));
            out.endObject();
            break;
        case M: out.encodeImage(entry.key, QImage()); break;
        }
        ++e;
    }
    return out.finish();
}

// Reads every field; returns a checksum so nothing is optimised away.
double readRecord(const QByteArray& bytes)
{
    const auto in = platform::KeyedUnarchiver::open(bytes);
    if (!in)
        return -1e9;
    double sum = 0;
    for (const Entry& entry : kEntries) {
        switch (entry.kind) {
        case R: sum += in->decodeRect(entry.key).value_or(QRectF()).x(); break;
        case B: sum += in->decodeBool(entry.key).value_or(false); break;
        case I: sum += in->decodeInt32(entry.key).value_or(0); break;
        case F: sum += in->decodeFloat(entry.key).value_or(0); break;
        case S: sum += in->decodeString(entry.key).value_or(QString()).size(); break;
        case C: sum += in->decodeColor(entry.key).value_or(QColor()).redF(); break;
        case N: sum += in->decodeFont(entry.key).value_or(QFont()).pointSizeF(); break;
        case T:
            if (const auto text = in->decodeObject(entry.key))
                sum += text->decodeString("NSString").value_or(QString()).size();
            break;
        case M: sum += in->decodeImage(entry.key).has_value(); break;
        }
    }
    return sum;
}

platform::Plist designLog(const std::vector<QByteArray>& archives)
{
    using platform::Plist;
    Plist log = Plist::array();
    log.append(Plist::string(QStringLiteral("VELTCARDPROJECTHEADER")));
    for (int side = 0; side < 2; ++side)
        for (int i = 0; i < 28; ++i)
            log.append(Plist::string(QStringLiteral("item %1").arg(i)));
    log.append(Plist::string(QStringLiteral("N")));
    log.append(Plist::string(QString()));
    log.append(Plist::array());
    log.append(Plist::array());
    log.append(Plist::string(QString::number(archives.size())));
    for (const QByteArray& a : archives)
        log.append(Plist::data(a));
    log.append(Plist::string(QStringLiteral("0")));
    return log;
}

double readLog(const platform::Plist& log)
{
    double sum = 0;
    const int count = int(log.at(61).toString().toInt());
    for (int i = 0; i < count; ++i)
        sum += readRecord(log.at(62 + i).toData());
    return sum;
}

// ---------------------------------------------------------------- the peer

plist_t peerString(const char* s)
{
    return plist_new_string(s);
}

// "{{x, 20.5}, {50, 50}}" and its x, with locale-free number conversion.
void peerRect(char* out, size_t size, int x)
{
    char* end = std::to_chars(out + 2, out + size - 24, x).ptr;
    std::memcpy(out, "{{", 2);
    std::memcpy(end, ", 20.5}, {50, 50}}", 19);
}

double peerRectX(const char* text)
{
    double x = 0;
    if (text && std::strlen(text) > 2)
        std::from_chars(text + 2, text + std::strlen(text), x);
    return x;
}

QByteArray peerArchive(int r)
{
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, peerString("$null"));
    plist_t root = plist_new_dict();
    plist_array_append_item(objects, root);
    auto append = [objects](plist_t node) {
        const uint64_t index = plist_array_get_size(objects);
        plist_array_append_item(objects, node);
        return index;
    };
    auto classEntry = [&append](const char* name) {
        plist_t d = plist_new_dict();
        plist_dict_set_item(d, "$classname", peerString(name));
        plist_t list = plist_new_array();
        plist_array_append_item(list, peerString(name));
        plist_array_append_item(list, peerString("NSObject"));
        plist_dict_set_item(d, "$classes", list);
        return append(d);
    };
    plist_dict_set_item(root, "$class", plist_new_uid(classEntry("QBXText")));
    uint64_t colourClass = 0, fontClass = 0, textClass = 0;
    int e = 0;
    char rect[96];
    for (const Entry& entry : kEntries) {
        switch (entry.kind) {
        case R:
            peerRect(rect, sizeof rect, r % 300);
            plist_dict_set_item(root, entry.key, peerString(rect));
            break;
        case B: plist_dict_set_item(root, entry.key, plist_new_bool((r + e) % 2 == 0)); break;
        case I: plist_dict_set_item(root, entry.key, plist_new_uint(uint64_t(r + e))); break;
        case F: plist_dict_set_item(root, entry.key, plist_new_real(double(floatOf(r, e)))); break;
        case S: plist_dict_set_item(root, entry.key, plist_new_uid(append(peerString(cTextOf(r, e).constData())))); break;
        case C: {
            plist_t c = plist_new_dict();
            const uint64_t index = append(c);
            if (!colourClass)
                colourClass = classEntry("NSColor");
            plist_dict_set_item(c, "$class", plist_new_uid(colourClass));
            const QColor q = colourOf(r, e);
            plist_dict_set_item(c, "NSRed", plist_new_real(q.redF()));
            plist_dict_set_item(c, "NSGreen", plist_new_real(q.greenF()));
            plist_dict_set_item(c, "NSBlue", plist_new_real(q.blueF()));
            plist_dict_set_item(c, "NSAlpha", plist_new_real(q.alphaF()));
            plist_dict_set_item(root, entry.key, plist_new_uid(index));
            break;
        }
        case N: {
            plist_t f = plist_new_dict();
            const uint64_t index = append(f);
            if (!fontClass)
                fontClass = classEntry("NSFont");
            plist_dict_set_item(f, "$class", plist_new_uid(fontClass));
            plist_dict_set_item(f, "NSName", peerString("DejaVu Sans"));
            plist_dict_set_item(f, "NSSize", plist_new_real(14));
            plist_dict_set_item(f, "NSWeight", plist_new_uint(400));
            plist_dict_set_item(f, "NSItalic", plist_new_bool(0));
            plist_dict_set_item(f, "NSUnderline", plist_new_bool(0));
            plist_dict_set_item(f, "NSStrikeOut", plist_new_bool(0));
            plist_dict_set_item(root, entry.key, plist_new_uid(index));
            break;
        }
        case T: {
            plist_t t = plist_new_dict();
            const uint64_t index = append(t);
            if (!textClass)
                textClass = classEntry("NSTextStorage");
            plist_dict_set_item(t, "$class", plist_new_uid(textClass));
            plist_dict_set_item(t, "NSString", plist_new_uid(append(peerString(cTextOf(r, e).constData()))));
            plist_dict_set_item(root, entry.key, plist_new_uid(index));
            break;
        }
        case M: plist_dict_set_item(root, entry.key, plist_new_uid(0)); break;
        }
        ++e;
    }
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "$version", plist_new_uint(100000));
    plist_dict_set_item(top, "$archiver", peerString("NSKeyedArchiver"));
    plist_t refs = plist_new_dict();
    plist_dict_set_item(refs, "root", plist_new_uid(1));
    plist_dict_set_item(top, "$top", refs);
    plist_dict_set_item(top, "$objects", objects);
    char* bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(top, &bin, &length);
    QByteArray bytes(bin, length);
    plist_to_bin_free(bin);
    plist_free(top);
    return bytes;
}

plist_t peerObject(plist_t objects, plist_t ref)
{
    uint64_t index = 0;
    if (!ref || plist_get_node_type(ref) != PLIST_UID)
        return nullptr;
    plist_get_uid_val(ref, &index);
    return index ? plist_array_get_item(objects, uint32_t(index)) : nullptr;
}

double peerRead(const char* bytes, uint32_t length)
{
    plist_t top = nullptr;
    plist_from_bin(bytes, length, &top);
    if (!top)
        return -1e9;
    plist_t objects = plist_dict_get_item(top, "$objects");
    plist_t root = peerObject(objects, plist_dict_get_item(plist_dict_get_item(top, "$top"), "root"));
    double sum = 0;
    for (const Entry& entry : kEntries) {
        plist_t node = plist_dict_get_item(root, entry.key);
        switch (entry.kind) {
        case R: {
            sum += peerRectX(plist_get_string_ptr(node, nullptr));
            break;
        }
        case B: { uint8_t b = 0; plist_get_bool_val(node, &b); sum += b; break; }
        case I: { uint64_t i = 0; plist_get_uint_val(node, &i); sum += double(int32_t(i)); break; }
        case F: { double f = 0; plist_get_real_val(node, &f); sum += float(f); break; }
        case S: { uint64_t n = 0; plist_get_string_ptr(peerObject(objects, node), &n); sum += double(n); break; }
        case C: {
            plist_t c = peerObject(objects, node);
            double v[4];
            const char* names[4] = {"NSRed", "NSGreen", "NSBlue", "NSAlpha"};
            for (int k = 0; k < 4; ++k)
                plist_get_real_val(plist_dict_get_item(c, names[k]), &v[k]);
            sum += v[0];
            break;
        }
        case N: {
            plist_t f = peerObject(objects, node);
            double size = 0;
            uint64_t weight = 0, n = 0;
            uint8_t flag = 0;
            plist_get_string_ptr(plist_dict_get_item(f, "NSName"), &n);
            plist_get_real_val(plist_dict_get_item(f, "NSSize"), &size);
            plist_get_uint_val(plist_dict_get_item(f, "NSWeight"), &weight);
            plist_get_bool_val(plist_dict_get_item(f, "NSItalic"), &flag);
            plist_get_bool_val(plist_dict_get_item(f, "NSUnderline"), &flag);
            plist_get_bool_val(plist_dict_get_item(f, "NSStrikeOut"), &flag);
            sum += size;
            break;
        }
        case T: {
            plist_t t = peerObject(objects, node);
            uint64_t n = 0;
            plist_get_string_ptr(peerObject(objects, plist_dict_get_item(t, "NSString")), &n);
            sum += double(n);
            break;
        }
        case M: sum += peerObject(objects, node) != nullptr; break;
        }
    }
    plist_free(top);
    return sum;
}

// ---------------------------------------------------------------- timing

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString ourPath = dir.filePath(QStringLiteral("ours.dcard"));
    const QByteArray peerPath = QFile::encodeName(dir.filePath(QStringLiteral("peer.dcard")));
    qint64 xmlSize = 0, binSize = 0, peerSize = 0;
    double sink = 0;

    std::vector<double> a, b, c;
    double steps[4] = {}; // (a) split: archive, write, parse file, read fields (last run)
    for (int run = 0; run < kRuns; ++run) {
        a.push_back(timeIt([&] {
            QElapsedTimer step;
            step.start();
            std::vector<QByteArray> archives;
            archives.reserve(kRecords);
            for (int r = 0; r < kRecords; ++r)
                archives.push_back(archiveRecord(r));
            steps[0] = double(step.nsecsElapsed()) / 1e9;
            step.restart();
            if (!platform::writePlistFile(ourPath, designLog(archives), platform::Plist::Format::Xml))
                std::fprintf(stderr, "write failed\n");
            steps[1] = double(step.nsecsElapsed()) / 1e9;
            step.restart();
            const auto back = platform::readPlistFile(ourPath);
            steps[2] = double(step.nsecsElapsed()) / 1e9;
            step.restart();
            sink += back ? readLog(*back) : -1;
            steps[3] = double(step.nsecsElapsed()) / 1e9;
            xmlSize = QFile(ourPath).size();
        }));
        b.push_back(timeIt([&] {
            std::vector<QByteArray> archives;
            archives.reserve(kRecords);
            for (int r = 0; r < kRecords; ++r)
                archives.push_back(archiveRecord(r));
            const QByteArray bytes = designLog(archives).toBinary();
            binSize = bytes.size();
            const auto back = platform::Plist::fromData(bytes);
            sink += back ? readLog(*back) : -1;
        }));
        c.push_back(timeIt([&] {
            plist_t log = plist_new_array();
            plist_array_append_item(log, plist_new_string("VELTCARDPROJECTHEADER"));
            char item[32];
            for (int i = 0; i < 56; ++i) {
                std::memcpy(item, "item ", 5);
                *std::to_chars(item + 5, item + sizeof item - 1, i % 28).ptr = '\0';
                plist_array_append_item(log, plist_new_string(item));
            }
            plist_array_append_item(log, plist_new_string("N"));
            plist_array_append_item(log, plist_new_string(""));
            plist_array_append_item(log, plist_new_array());
            plist_array_append_item(log, plist_new_array());
            *std::to_chars(item, item + sizeof item - 1, kRecords).ptr = '\0';
            plist_array_append_item(log, plist_new_string(item));
            for (int r = 0; r < kRecords; ++r) {
                const QByteArray archive = peerArchive(r);
                plist_array_append_item(log, plist_new_data(archive.constData(), uint64_t(archive.size())));
            }
            plist_array_append_item(log, plist_new_string("0"));
            char* xml = nullptr;
            uint32_t length = 0;
            plist_to_xml(log, &xml, &length);
            plist_free(log);
            const QByteArray temp = peerPath + ".tmp";
            FILE* out = std::fopen(temp.constData(), "wb");
            std::fwrite(xml, 1, length, out);
            std::fclose(out);
            std::rename(temp.constData(), peerPath.constData());
            plist_to_xml_free(xml);
            peerSize = length;

            FILE* in = std::fopen(peerPath.constData(), "rb");
            std::vector<char> buffer(length);
            const size_t got = std::fread(buffer.data(), 1, length, in);
            std::fclose(in);
            plist_t back = nullptr;
            plist_from_xml(buffer.data(), uint32_t(got), &back);
            const uint32_t n = plist_array_get_size(back);
            for (uint32_t i = 62; i + 1 < n; ++i) {
                uint64_t size = 0;
                const char* bytes = plist_get_data_ptr(plist_array_get_item(back, i), &size);
                sink += peerRead(bytes, uint32_t(size));
            }
            plist_free(back);
        }));
        std::fprintf(stderr, "run %d: a %.3f s, b %.3f s, c %.3f s\n", run + 1, a.back(), b.back(), c.back());
    }

    const double ma = median(a), mb = median(b), mc = median(c);
    std::printf("records: %d x %zu entries, median of %d runs, one thread\n", kRecords,
                sizeof kEntries / sizeof kEntries[0], kRuns);
    std::printf("(a) archives -> atomic XML design log -> read, every field: %.3f s  (file %.1f MB)\n", ma,
                double(xmlSize) / 1e6);
    std::printf("    last run: archive %.3f s, write XML %.3f s, read XML %.3f s, read fields %.3f s\n", steps[0],
                steps[1], steps[2], steps[3]);
    std::printf("(b) archives -> in-memory binary plist -> read, every field: %.3f s  (%.1f MB)\n", mb,
                double(binSize) / 1e6);
    std::printf("(c) peer, libplist C API alone, XML file: %.3f s  (file %.1f MB)\n", mc, double(peerSize) / 1e6);
    std::printf("ratio (a)/(c): %.2f\n", ma / mc);
    std::printf("checksum %.1f\n", sink);
    return 0;
}
