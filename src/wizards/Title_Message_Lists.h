#pragma once
// The ready-made card titles and messages: "Title.txt" and "Message.txt" in
// the resource folder, UTF-8, one entry per line. The start wizard and the
// insert dialog both browse them through this one class.
#include <QString>
#include <QStringList>

class Title_Message_Lists {
public:
    // The two lists; empty when the file gave no text (a missing file, one
    // that cannot be read, or bytes that are not UTF-8).
    QStringList Title_Array;
    QStringList Message_Array;
    int title_count = 0;
    int message_count = 0;
    int title_index = 0;
    int message_index = 0;

    // Reads both files again and replaces both lists and counts; the
    // positions are left alone.
    void Load_Msg_And_Title();
    // The entry at the position, or "" without a list.
    QString Get_Title() const;
    QString Get_Message() const;
    // Next wraps from the last entry to the first, back from the first to
    // the last; each returns the entry now shown.
    QString Title_Next();
    QString Title_Back();
    QString Msg_Next();
    QString Msg_Back();

    // One list file: the whole text trimmed with Trim_Str, then split at
    // every line feed, dropping one carriage return before each line feed
    // (CRLF files); blank lines in the middle stay as empty entries. An empty
    // list when there is no text; the reason is logged.
    static QStringList Load_List_File(const QString& path);
    // Cuts a text to at most `limit` UTF-16 units without splitting a
    // surrogate pair: a pair that does not fit is dropped whole.
    static QString Cut_To_Length(const QString& text, int limit);
};
