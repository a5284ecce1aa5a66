#include "batch/SeriesText.h"

#include "app/AppHelpers.h"
#include "batch/SeriesStore.h"
#include "platform/files.h"
#include "platform/picture/picture_decode.h"
#include "platform/rtf_text.h"
#include "platform/text_decode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QStringConverter>

#include <algorithm>
#include <string>
#include <string_view>

namespace series_text {
namespace {

const QString kFontMark = QStringLiteral("NSFont = ");

} // namespace

QString chk_and_insert_validation(const QString& value)
{
    auto removed = [](QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'); };
    if (std::none_of(value.begin(), value.end(), removed))
        return series::Trimmed(value);
    QString cleaned = value;
    cleaned.removeIf(removed);
    return series::Trimmed(cleaned);
}

QStringList Split_Lines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

namespace {

// The characters that end a run of plain field text; all of them ASCII, so
// the scanner reads UTF-16 text and UTF-8 bytes alike.
template <typename Unit>
bool Csv_Special(Unit c)
{
    switch (c) {
    case Unit('"'): case Unit(','): case Unit('\r'): case Unit('\n'):
    case Unit('\\'): case Unit('{'): case Unit('}'):
        return true;
    default:
        return false;
    }
}

// One pass over a CSV text. Records are comma-separated (RFC 4180): fields
// may be quoted, "" inside quotes is one quote, quoted fields may hold
// commas and line breaks; records end at CRLF, LF or CR outside quotes; an
// unterminated quote runs to the end. Fields are cleaned while they are read
// (a line break inside quotes made one space, "\", "{", "}" left out) into
// one reused buffer, runs of plain text copied whole. `take` gets every
// non-empty field and returns false for one that ends its record.
template <typename Unit, typename Take>
void Scan_Csv(const Unit* p, qsizetype n, Take take)
{
    std::basic_string<Unit> field;
    bool quoted = false;     // inside a quoted field
    bool anything = false;   // the current record has begun
    bool fieldStart = true;  // nothing of the current field read yet
    bool recordDone = false; // a field of the record ended it
    qsizetype run = 0;       // start of the plain text not yet in `field`
    auto endField = [&] {
        if (!recordDone && !field.empty())
            recordDone = !take(field);
        field.clear();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const Unit c = p[i];
        if (!Csv_Special(c))
            continue;
        if (i > run) {
            field.append(p + run, size_t(i - run));
            anything = true;
            fieldStart = false;
        }
        run = i + 1;
        switch (c) {
        case Unit('"'):
            if (quoted) {
                if (i + 1 < n && p[i + 1] == Unit('"')) {
                    field.push_back(c);
                    run = ++i + 1;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (fieldStart) {
                quoted = true;
                anything = true;
                fieldStart = false;
                continue;
            }
            field.push_back(c);
            break;
        case Unit(','):
            if (quoted) {
                field.push_back(c);
                continue;
            }
            endField();
            anything = true;
            fieldStart = true;
            continue;
        case Unit('\r'):
        case Unit('\n'):
            if (c == Unit('\r') && i + 1 < n && p[i + 1] == Unit('\n'))
                run = ++i + 1;
            if (quoted) {
                field.push_back(Unit(' '));
                continue;
            }
            endField();
            recordDone = false;
            anything = false;
            fieldStart = true;
            continue;
        default: // "\", "{", "}": left out
            break;
        }
        anything = true;
        fieldStart = false;
    }
    if (n > run) {
        field.append(p + run, size_t(n - run));
        anything = true;
    }
    if (anything)
        endField();
}

// The code point valid UTF-8 bytes begin with, or end with.
char32_t First_Code_Point(std::string_view s)
{
    const auto* u = reinterpret_cast<const unsigned char*>(s.data());
    if (u[0] < 0x80)
        return u[0];
    if (u[0] < 0xE0)
        return char32_t(u[0] & 0x1F) << 6 | (u[1] & 0x3F);
    if (u[0] < 0xF0)
        return char32_t(u[0] & 0x0F) << 12 | char32_t(u[1] & 0x3F) << 6 | (u[2] & 0x3F);
    return char32_t(u[0] & 0x07) << 18 | char32_t(u[1] & 0x3F) << 12 | char32_t(u[2] & 0x3F) << 6 | (u[3] & 0x3F);
}

char32_t Last_Code_Point(std::string_view s)
{
    size_t start = s.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
        --start;
    return First_Code_Point(s.substr(start));
}

// series::Trimmed of a field of valid UTF-8: the bytes themselves when
// both ends are characters no trimming removes, else trimmed through
// Trim_Str into `scratch`.
std::string_view Trimmed_Utf8(std::string_view field, std::string& scratch)
{
    auto kept = [](char32_t c) { return (c > 0x20 && c < 0x7f) || (c > 0xa0 && QChar::isLetterOrNumber(c)); };
    auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    const char front = field.front();
    const char back = field.back();
    if ((ascii(front) ? kept(char32_t(front)) : kept(First_Code_Point(field)))
        && (ascii(back) ? kept(char32_t(back)) : kept(Last_Code_Point(field))))
        return field;
    const QByteArray trimmed = Trim_Str(QString::fromUtf8(field.data(), qsizetype(field.size()))).toUtf8();
    scratch.assign(trimmed.constData(), size_t(trimmed.size()));
    return scratch;
}

// The values of a CSV text of valid UTF-8, cleaned and trimmed as
// Csv_Values cleans them, each handed to `keep` as UTF-8.
template <typename Keep>
void Csv_Utf8_Values(QByteArrayView text, Keep keep)
{
    std::string scratch;
    Scan_Csv(text.data(), text.size(), [&](const std::string& field) {
        const std::string_view value = Trimmed_Utf8(field, scratch);
        if (value.find("NSFont = ") != std::string_view::npos)
            return false;
        if (!value.empty())
            keep(value);
        return true;
    });
}

// The text of a file's bytes when decodeText reads them as UTF-8: without
// the byte-order marks it drops. None for another encoding or bytes that
// are not UTF-8.
std::optional<QByteArrayView> Utf8_Text(const QByteArray& bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes);
    if ((encoding && *encoding != QStringConverter::Utf8) || !QByteArrayView(bytes).isValidUtf8())
        return std::nullopt;
    QByteArrayView text(bytes);
    for (int mark = 0; mark < 2 && text.startsWith("\xEF\xBB\xBF"); ++mark)
        text = text.sliced(3);
    return text;
}

} // namespace

QStringList Csv_Values(const QString& text)
{
    QStringList values;
    Scan_Csv(reinterpret_cast<const char16_t*>(text.constData()), text.size(), [&](const std::u16string& field) {
        const QString value = series::Trimmed(QString(reinterpret_cast<const QChar*>(field.data()), qsizetype(field.size())));
        if (value.contains(kFontMark))
            return false;
        if (!value.isEmpty())
            values.append(value);
        return true;
    });
    return values;
}

QStringList Text_Values(const QString& text)
{
    QStringList values;
    for (const QString& line : Split_Lines(text)) {
        const QString cleaned = chk_and_insert_validation(line);
        if (cleaned.contains(kFontMark))
            break;
        if (!cleaned.isEmpty())
            values.append(cleaned);
    }
    return values;
}

namespace {

// A text file as read: its bytes, whether it is named .csv or .rtf (case
// ignored), and for a CSV in UTF-8 its text (its bytes without the marks
// decoding drops), which is read from the bytes with no decoded copy.
struct Text_File
{
    QByteArray bytes;
    bool csv = false;
    bool rtf = false;
    std::optional<QByteArrayView> utf8_csv;
};

Read_Status Read_Text_File(const QString& path, Text_File& text)
{
    const QFileInfo info(path);
    if (info.isDir())
        return Read_Status::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Read_Status::Unreadable;
    text.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Read_Status::Unreadable;
    const QString ext = info.suffix().toUpper();
    text.csv = ext == QLatin1String("CSV");
    text.rtf = ext == QLatin1String("RTF");
    if (text.csv)
        text.utf8_csv = Utf8_Text(text.bytes);
    return text.utf8_csv && text.utf8_csv->isEmpty() ? Read_Status::Corrupt : Read_Status::Ok;
}

// The values of a text file that is not a UTF-8 CSV, from its decoded text.
Read_Status Decoded_Values(const Text_File& text, QStringList* values)
{
    const std::optional<QString> content = text.rtf ? platform::rtfText(text.bytes) : platform::decodeText(text.bytes);
    if (!content || content->isEmpty())
        return Read_Status::Corrupt;
    if (values)
        *values = text.csv ? Csv_Values(*content) : Text_Values(*content);
    return Read_Status::Ok;
}

} // namespace

Read_Status Text_File_Values(const QString& path, QStringList* values)
{
    Text_File text;
    if (const Read_Status status = Read_Text_File(path, text); status != Read_Status::Ok)
        return status;
    if (!text.utf8_csv)
        return Decoded_Values(text, values);
    if (values) {
        values->clear();
        Csv_Utf8_Values(*text.utf8_csv, [values](std::string_view value) {
            values->append(QString::fromUtf8(value.data(), qsizetype(value.size())));
        });
    }
    return Read_Status::Ok;
}

Read_Status Text_File_Series_Bytes(const QString& path, QByteArray* series_bytes)
{
    Text_File text;
    if (const Read_Status status = Read_Text_File(path, text); status != Read_Status::Ok)
        return status;
    if (!text.utf8_csv) {
        QStringList values;
        const Read_Status status = Decoded_Values(text, &values);
        if (status == Read_Status::Ok)
            *series_bytes = series::Series_Bytes(values, series::Values::Trimmed_Drop_Empty);
        return status;
    }
    // From the file's bytes to the series bytes, no value made.
    QByteArray out;
    out.reserve(text.utf8_csv->size() + 1);
    Csv_Utf8_Values(*text.utf8_csv, [&out](std::string_view value) {
        out.append(value.data(), qsizetype(value.size()));
        out.append('\n');
    });
    *series_bytes = std::move(out);
    return Read_Status::Ok;
}

QStringList Pasted_Lines(const QString& text)
{
    return Trim_Str(text).split(QLatin1Char('\n'));
}

bool Has_Lone_Surrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

std::optional<QStringList> Picture_Folder_Values(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return std::nullopt;
    QStringList paths;
    for (const QString& name : platform::listFolder(folder, platform::ListKind::Files, platform::pictureFileSuffixes()))
        paths.append(folder + QLatin1Char('/') + name);
    return paths;
}

} // namespace series_text
