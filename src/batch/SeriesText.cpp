#include "batch/SeriesText.h"

#include "app/AppHelpers.h"
#include "platform/files.h"
#include "platform/rtf_text.h"
#include "platform/text_decode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace series_text {
namespace {

const QString kFontMark = QStringLiteral("NSFont = ");

QString joinLineBreaks(const QString& field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < field.size() && field[i + 1] == QLatin1Char('\n'))
                ++i;
            out.append(QLatin1Char(' '));
        } else if (c == QLatin1Char('\n')) {
            out.append(QLatin1Char(' '));
        } else {
            out.append(c);
        }
    }
    return out;
}

} // namespace

QString chk_and_insert_validation(const QString& value)
{
    QString cleaned;
    cleaned.reserve(value.size());
    for (QChar c : value)
        if (c != QLatin1Char('\\') && c != QLatin1Char('{') && c != QLatin1Char('}'))
            cleaned.append(c);
    return Trim_Str(cleaned);
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

QList<QStringList> Split_Csv(const QString& text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool anything = false;   // the current record has begun
    bool fieldStart = true;  // nothing of the current field read yet
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field.append(c);
            }
            continue;
        }
        if (c == QLatin1Char('"') && fieldStart) {
            quoted = true;
            anything = true;
            fieldStart = false;
        } else if (c == QLatin1Char(',')) {
            record.append(field);
            field.clear();
            anything = true;
            fieldStart = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
            anything = false;
            fieldStart = true;
        } else {
            field.append(c);
            anything = true;
            fieldStart = false;
        }
    }
    if (anything || !field.isEmpty()) {
        record.append(field);
        records.append(record);
    }
    return records;
}

QStringList Csv_Values(const QString& text)
{
    QStringList values;
    for (const QStringList& record : Split_Csv(text)) {
        for (const QString& field : record) {
            const QString cleaned = chk_and_insert_validation(joinLineBreaks(field));
            if (cleaned.contains(kFontMark))
                break;
            if (!cleaned.isEmpty())
                values.append(cleaned);
        }
    }
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

Read_Status Text_File_Values(const QString& path, QStringList* values)
{
    const QFileInfo info(path);
    if (info.isDir())
        return Read_Status::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Read_Status::Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Read_Status::Unreadable;
    const QString ext = info.suffix().toUpper();
    const std::optional<QString> content
        = ext == QLatin1String("RTF") ? platform::rtfText(bytes) : platform::decodeText(bytes);
    if (!content || content->isEmpty())
        return Read_Status::Corrupt;
    if (values)
        *values = ext == QLatin1String("CSV") ? Csv_Values(*content) : Text_Values(*content);
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
    static const QStringList kPictures = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"),
                                          QStringLiteral("jfif"), QStringLiteral("gif"), QStringLiteral("bmp"),
                                          QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("tiff")};
    QStringList paths;
    for (const QString& name : platform::listFolder(folder, platform::ListKind::Files, kPictures))
        paths.append(folder + QLatin1Char('/') + name);
    return paths;
}

} // namespace series_text
