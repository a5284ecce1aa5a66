#include "batch/SeriesText.h"

#include "app/AppHelpers.h"
#include "batch/SeriesStore.h"
#include "platform/files.h"
#include "platform/rtf_text.h"
#include "platform/text_decode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <string>

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

QStringList Csv_Values(const QString& text)
{
    // One pass over the text: fields are cleaned while they are read (line
    // breaks inside quotes made one space, "\", "{", "}" left out) into one
    // reused buffer, so each value is copied only once, into the result.
    QStringList values;
    std::u16string field;
    bool quoted = false;     // inside a quoted field
    bool anything = false;   // the current record has begun
    bool fieldStart = true;  // nothing of the current field read yet
    bool recordDone = false; // a field of the record held the font mark
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    auto endField = [&] {
        if (!recordDone && !field.empty()) {
            const QString value = series::Trimmed(QString(reinterpret_cast<const QChar*>(field.data()), qsizetype(field.size())));
            if (value.contains(kFontMark))
                recordDone = true;
            else if (!value.isEmpty())
                values.append(value);
        }
        field.clear();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        switch (c) {
        case u'"':
            if (quoted) {
                if (i + 1 < n && p[i + 1] == u'"') {
                    field.push_back(c);
                    ++i;
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
        case u',':
            if (quoted) {
                field.push_back(c);
                continue;
            }
            endField();
            anything = true;
            fieldStart = true;
            continue;
        case u'\r':
        case u'\n':
            if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
                ++i;
            if (quoted) {
                field.push_back(u' ');
                continue;
            }
            endField();
            recordDone = false;
            anything = false;
            fieldStart = true;
            continue;
        case u'\\':
        case u'{':
        case u'}':
            break;
        default:
            field.push_back(c);
            break;
        }
        anything = true;
        fieldStart = false;
    }
    if (anything)
        endField();
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
