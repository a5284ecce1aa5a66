#include "batch/SeriesStore.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace series {

namespace {
const QString kAccessError = QStringLiteral("Error in file accessing.");

bool Is_Blank(const QString& line)
{
    return Trim_Str(line).isEmpty();
}
} // namespace

QString Folder(const QString& folder)
{
    return folder.isEmpty() ? Data_Folder_Path : folder;
}

QString Clean_Name(const QString& name)
{
    return Remove_Reserve_Char_In_File_Name(name);
}

std::optional<QString> Series_Path(const QString& name, const QString& folder)
{
    const QString clean = Clean_Name(name);
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String("..")
        || clean.contains(QLatin1Char('/')) || clean.contains(QChar(0)))
        return std::nullopt;
    const QString base = Folder(folder);
    if (base.isEmpty())
        return std::nullopt;
    return platform::childPath(base, clean, batch_file_EXT);
}

bool Series_Exists(const QString& name, const QString& folder)
{
    const auto path = Series_Path(name, folder);
    return path && QFileInfo(*path).isFile();
}

QStringList Get_datasheet_File_Name_Array(const QString& folder)
{
    const QString base = Folder(folder);
    QStringList names;
    const QFileInfo dirInfo(base);
    if (base.isEmpty() || !dirInfo.isDir())
        return names;
    const QString dotExt = QLatin1Char('.') + batch_file_EXT;
    const QFileInfoList entries = QDir(base).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                           QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        if (!entry.isFile())
            continue;
        const QString file = entry.fileName();
        if (!file.endsWith(dotExt, Qt::CaseSensitive))
            continue;
        const QString name = file.left(file.size() - dotExt.size());
        // Only a name that finds its own file back through Series_Path.
        if (Clean_Name(name) != name || !Series_Path(name, base))
            continue;
        names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int ci = QString::compare(a, b, Qt::CaseInsensitive);
        return ci != 0 ? ci < 0 : a < b;
    });
    return names;
}

std::optional<QString> Read_Series_Text(const QString& name, const QString& folder)
{
    const auto path = Series_Path(name, folder);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!QFileInfo(*path).isFile())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        Show_NSLog_Message(QStringLiteral("Series \"%1\" cannot be read: %2").arg(name, file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Show_NSLog_Message(QStringLiteral("Series \"%1\" cannot be read: %2").arg(name, file.errorString()));
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8); // skips a leading byte-order mark
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        Show_NSLog_Message(QStringLiteral("Series \"%1\" is not valid UTF-8 text.").arg(name));
        return std::nullopt;
    }
    return text;
}

QStringList Split_Series_Rows(const QString& text)
{
    QString body = text;
    if (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    if (body.isEmpty())
        return {};
    QStringList rows = body.split(QLatin1Char('\n'));
    while (!rows.isEmpty() && Is_Blank(rows.constLast()))
        rows.removeLast();
    return rows;
}

std::optional<QStringList> Read_Series_Rows(const QString& name, const QString& folder)
{
    const auto text = Read_Series_Text(name, folder);
    if (!text)
        return std::nullopt;
    return Split_Series_Rows(*text);
}

QStringList Read_Series_Values(const QString& name, const QString& folder)
{
    QStringList values;
    const auto text = Read_Series_Text(name, folder);
    if (!text)
        return values;
    const QStringList pieces = text->split(QLatin1Char('\n'));
    for (const QString& piece : pieces) {
        const QString value = Trim_Str(piece);
        if (!value.isEmpty())
            values << value;
    }
    return values;
}

QString Get_First_Value_Of_Dataset(const QString& name, const QString& folder)
{
    const auto rows = Read_Series_Rows(name, folder);
    if (!rows || rows->isEmpty())
        return QString(QLatin1String(""));
    return Trim_Str(rows->constFirst());
}

QString Single_Line(const QString& value)
{
    if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1Char(' ');
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out;
}

QString Trimmed(const QString& value)
{
    auto kept = [](QChar c) {
        const char16_t u = c.unicode();
        return (u > 0x20 && u < 0x7f) || (u > 0xa0 && !c.isSurrogate() && c.isLetterOrNumber());
    };
    if (value.isEmpty() || (kept(value.front()) && kept(value.back())))
        return value;
    return Trim_Str(value);
}

QByteArray Series_Bytes(const QStringList& values, Values how)
{
    const bool trim = how == Values::Trimmed_Keep_Empty || how == Values::Trimmed_Drop_Empty;
    const bool keepEmpty = how == Values::Trimmed_Keep_Empty || how == Values::As_Given;
    qsizetype size = 0;
    for (const QString& value : values)
        size += value.size() + 1;
    QByteArray bytes;
    bytes.reserve(size);
    for (const QString& given : values) {
        const QString value = trim ? Trimmed(Single_Line(given)) : Single_Line(given);
        if (value.isEmpty() && !keepEmpty)
            continue;
        // ASCII is copied as it stands; any other value goes through the
        // UTF-8 encoder.
        const qsizetype at = bytes.size();
        bytes.resize(at + value.size());
        char* out = bytes.data() + at;
        for (QChar c : value) {
            if (c.unicode() >= 0x80) {
                bytes.truncate(at);
                bytes += value.toUtf8();
                break;
            }
            *out++ = char(c.unicode());
        }
        bytes += '\n';
    }
    return bytes;
}

bool Save_Series(const QString& name, const QStringList& values, Values how, Write mode, bool show_msg,
                 const QString& folder)
{
    return Save_Series_Bytes(name, Series_Bytes(values, how), mode, show_msg, folder);
}

bool Save_Series_Bytes(const QString& name, const QByteArray& series_bytes, Write mode, bool show_msg,
                       const QString& folder)
{
    auto failed = [&](const QString& why) {
        const QString sentence = QStringLiteral("The series \"%1\" could not be written: %2").arg(name, why);
        Show_NSLog_Message(sentence);
        if (show_msg)
            Show_MessageBox(kAccessError + QLatin1Char('\n') + sentence);
        return false;
    };
    const auto path = Series_Path(name, folder);
    if (!path)
        return failed(QStringLiteral("the name names no file in the data folder"));

    QByteArray bytes;
    if (mode == Write::Append && QFileInfo::exists(*path)) {
        QFile old(*path);
        if (!old.open(QIODevice::ReadOnly))
            return failed(old.errorString());
        bytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return failed(old.errorString());
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += '\n';
        bytes += series_bytes;
    } else {
        bytes = series_bytes;
    }

    QString error;
    // Series live in the private data folder: owner-only, whatever the umask.
    if (!platform::writeFileAtomically(*path, bytes, platform::WriteMode::OwnerOnly, &error))
        return failed(error);
    return true;
}

bool Takes_Part_In_Binding(const QBXGraphic& graphic)
{
    const QString kind = graphic.className();
    return kind == QLatin1String("QBXText") || kind == QLatin1String("QBXImage") || kind == QLatin1String("QBXBarcode");
}

bool Check_Batch_File_In_Use_Validation(const QString& name, const GraphicList& front, const GraphicList& back,
                                        const QString& card_side_str, const QString& folder)
{
    if (!Series_Exists(name, folder))
        return false;
    auto used = [&name](const GraphicList& list) {
        return std::any_of(list.begin(), list.end(), [&name](const GraphicPtr& g) {
            return g && Takes_Part_In_Binding(*g) && g->data_source_type == 1 && g->batch_list_name == name;
        });
    };
    if (used(front))
        return true;
    return card_side_str == QLatin1String("2") && used(back);
}

} // namespace series
