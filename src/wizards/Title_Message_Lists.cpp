#include "wizards/Title_Message_Lists.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

QString entryAt(const QStringList& list, int index)
{
    if (list.isEmpty() || index < 0 || index >= list.size())
        return QString();
    return list.at(index);
}

int step(int index, int count, int delta)
{
    if (count <= 0)
        return 0;
    index += delta;
    if (index >= count)
        index = 0;
    if (index < 0)
        index = count - 1;
    return index;
}

} // namespace

QStringList Title_Message_Lists::Load_List_File(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Show_NSLog_Message(QStringLiteral("Cannot read list file %1: %2").arg(path, file.errorString()));
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Show_NSLog_Message(QStringLiteral("Cannot read list file %1: %2").arg(path, file.errorString()));
        return {};
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        Show_NSLog_Message(QStringLiteral("List file %1 is not UTF-8 text").arg(path));
        return {};
    }
    // A byte order mark is an encoding signature, never part of entry 1.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text = Trim_Str(text);
    QStringList entries = text.split(QChar(u'\n'));
    // Every entry but the last stood before a line feed; a CRLF line end
    // leaves its CR there.
    for (qsizetype i = 0; i + 1 < entries.size(); ++i) {
        if (entries[i].endsWith(QChar(u'\r')))
            entries[i].chop(1);
    }
    return entries;
}

QString Title_Message_Lists::Cut_To_Length(const QString& text, int limit)
{
    if (limit < 0)
        limit = 0;
    if (text.size() <= limit)
        return text;
    int cut = limit;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate() && text.at(cut).isLowSurrogate())
        --cut;
    return text.left(cut);
}

void Title_Message_Lists::Load_Msg_And_Title()
{
    const QDir folder(Resource_Path);
    Title_Array = Load_List_File(folder.filePath(QStringLiteral("Title.txt")));
    title_count = int(Title_Array.size());
    Message_Array = Load_List_File(folder.filePath(QStringLiteral("Message.txt")));
    message_count = int(Message_Array.size());
}

QString Title_Message_Lists::Get_Title() const
{
    return entryAt(Title_Array, title_index);
}

QString Title_Message_Lists::Get_Message() const
{
    return entryAt(Message_Array, message_index);
}

QString Title_Message_Lists::Title_Next()
{
    title_index = step(title_index, title_count, 1);
    return Get_Title();
}

QString Title_Message_Lists::Title_Back()
{
    title_index = step(title_index, title_count, -1);
    return Get_Title();
}

QString Title_Message_Lists::Msg_Next()
{
    message_index = step(message_index, message_count, 1);
    return Get_Message();
}

QString Title_Message_Lists::Msg_Back()
{
    message_index = step(message_index, message_count, -1);
    return Get_Message();
}
