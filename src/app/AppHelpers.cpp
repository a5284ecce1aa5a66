#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/alerts.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/resource_folders.h"
#include "platform/workspace.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QWidget>

namespace {

// Trims code points matching the predicate from both ends (surrogate pairs
// are judged as one code point).
template <typename Pred>
QString trimCodePoints(QStringView text, Pred matches)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end) {
        char32_t c = text[begin].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && begin + 1 < end && text[begin + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[begin], text[begin + 1]);
            width = 2;
        }
        if (!matches(c))
            break;
        begin += width;
    }
    while (end > begin) {
        char32_t c = text[end - 1].unicode();
        qsizetype width = 1;
        if (QChar::isLowSurrogate(c) && end - 2 >= begin && text[end - 2].isHighSurrogate()) {
            c = QChar::surrogateToUcs4(text[end - 2], text[end - 1]);
            width = 2;
        }
        if (!matches(c))
            break;
        end -= width;
    }
    return text.mid(begin, end - begin).toString();
}

// White space, line ends, control and format characters: trimmed together,
// so that what one pass leaves holds none of them at either end.
bool isBlankAtEnd(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return QChar::isSpace(c) || category == QChar::Other_Control || category == QChar::Other_Format;
}

bool isReservedFileNameChar(char32_t c)
{
    switch (c) {
    case U'/': case U'\\': case U'?': case U'%': case U'*': case U'|': case U'"': case U'<': case U'>':
        return true;
    default:
        return false;
    }
}

} // namespace

void Show_MessageBox(const QString& text)
{
    platform::showAlert(platform::modal::AlertKind::Ok, QStringLiteral("\n") + text);
}

bool Show_YES_NO_MessageBox(const QString& text)
{
    // The answer is this caller's own; the global only mirrors the latest.
    const bool yes = platform::showAlert(platform::modal::AlertKind::YesNo, text) == platform::modal::AlertAnswer::Yes;
    yes_no_msg_val = yes;
    return yes;
}

void Show_NSLog_Message(const QString& text)
{
    platform::logText(text);
}

QString Trim_Str(const QString& text)
{
    return trimCodePoints(text, isBlankAtEnd);
}

QString Remove_Reserve_Char_In_File_Name(const QString& text)
{
    return Trim_Str(trimCodePoints(text, isReservedFileNameChar));
}

QString Left_Str_substringToIndex(const QString& text, int n)
{
    n = qMax(n, 0);
    return n < text.size() ? text.left(n) : text;
}

QString Right_Str_substringFromIndex(const QString& text, int n)
{
    n = qMax(n, 0);
    return n >= text.size() ? text : text.right(n);
}

QString Read_Str_FromIndex(const QString& text, int n)
{
    // A negative index read as unsigned is beyond any length.
    if (n < 0 || n > text.size())
        return QString();
    return text.mid(n);
}

QString Read_Str_Upto_Index(const QString& text, int n)
{
    if (n < 0 || n > text.size())
        return QString();
    return text.left(n);
}

QString Replace_char_in_string(const QString& text, const QString& find, const QString& replacement)
{
    // Qt inserts the replacement between every character for an empty find.
    if (find.isEmpty())
        return text;
    QString result = text;
    return result.replace(find, replacement, Qt::CaseSensitive);
}

bool Find_Str(const QString& text, const QString& find)
{
    return !find.isEmpty() && text.contains(find, Qt::CaseSensitive);
}

bool Find_Str_Case_Insensitive(const QString& text, const QString& find)
{
    if (text.isNull() || find.isEmpty())
        return false;
    return text.contains(find, Qt::CaseInsensitive);
}

bool Check_Path_And_Create_Files()
{
    if (Resource_Path.isEmpty() || Data_Folder_Path.isEmpty()) {
        Show_NSLog_Message(QStringLiteral("Check_Path_And_Create_Files: the resource folder is not set"));
        return false;
    }
    const QString folders[] = {
        Data_Folder_Path,
        Resource_Path + QStringLiteral("/Background"),
        Resource_Path + QStringLiteral("/Fill_Style_Image"),
        Resource_Path + QStringLiteral("/LibraryImage"),
        Resource_Path + QStringLiteral("/Templates"),
        Resource_Path + QStringLiteral("/Templates/User"),
    };
    bool allThere = true;
    for (const QString& folder : folders) {
        QString error;
        if (!platform::makeFolder(folder, &error)) {
            Show_NSLog_Message(QStringLiteral("Check_Path_And_Create_Files: ") + error);
            allThere = false;
        }
    }
    return allThere;
}

bool Delete_File(const QString& path)
{
    QString error;
    if (platform::removePath(path, &error))
        return true;
    Show_NSLog_Message(QStringLiteral("Delete_File: ") + error);
    return false;
}

void SetObjEnabled(QObject* object, bool flag)
{
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setEnabled(flag);
        return;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return;
    // A plain container has no enabled state of its own here; disabling it
    // would grey out controls that were never meant to change.
    const QMetaObject* type = widget->metaObject();
    if (type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject)
        return;
    // Qt greys a disabled field's text, and a disabled group box passes the
    // state to every control inside it.
    widget->setEnabled(flag);
}

void Open_Help_File()
{
    const QString path = Resource_Path + QStringLiteral("/Help.pdf");
    if (!QFileInfo(path).isFile()) {
        Show_MessageBox(QStringLiteral("Help file does not exist!"));
        return;
    }
    platform::workspace::openPath(path);
}

bool Prepare_Resource_Folder(const QString& folder, const QString& seedFolder)
{
    Resource_Path = folder;
    Data_Folder_Path = folder + QStringLiteral("/DataSet");
    QString error;
    if (folder.isEmpty() || !platform::prepareResourceFolder(folder, seedFolder, &error)) {
        Show_NSLog_Message(QStringLiteral("resource folder: ") + error);
        Show_MessageBox(QStringLiteral("Can not access Tessmark Data file."));
        return false;
    }
    return true;
}

bool Prepare_Resource_Folder()
{
    return Prepare_Resource_Folder(platform::defaultResourceFolder(), platform::defaultSeedFolder());
}

bool Check_And_Validate_File_Path(const QString& path)
{
    const QString trimmed = Trim_Str(path);
    if (trimmed.isEmpty() || !QFileInfo::exists(trimmed)) {
        Show_MessageBox(QStringLiteral("Please select valid file path."));
        return true;
    }
    return false;
}
