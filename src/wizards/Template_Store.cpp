#include "wizards/Template_Store.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/files.h"

#include <QDir>
#include <QFileInfo>

namespace template_store {

namespace {

constexpr int kLongestFileName = 255; // bytes
constexpr int kMostCopies = 10000;

bool Is_Preview_Suffix(const QString& suffix)
{
    const QString lower = suffix.toLower();
    return lower == QLatin1String("png") || lower == QLatin1String("jpg");
}

QString Sibling(const QString& path, const QString& name)
{
    return QFileInfo(path).dir().filePath(name);
}

} // namespace

QString Built_In_Folder()
{
    return QDir(Resource_Path).filePath(QStringLiteral("Templates"));
}

QString User_Folder()
{
    return QDir(Built_In_Folder()).filePath(QStringLiteral("User"));
}

QString Design_Path(const QString& preview)
{
    const QFileInfo info(preview);
    return Sibling(preview, info.completeBaseName() + QLatin1Char('.') + design_file_EXT);
}

bool Is_User_Template(const QString& preview)
{
    const QFileInfo info(preview);
    const QFileInfo folder(User_Folder());
    return info.isFile() && folder.isDir()
        && QFileInfo(info.absolutePath()).canonicalFilePath() == folder.canonicalFilePath();
}

std::optional<QString> Clean_Name(const QString& typed, QString* refusal)
{
    const QString name = Remove_Reserve_Char_In_File_Name(Trim_Str(typed));
    const char* why = nullptr;
    if (name.isEmpty())
        why = "Please enter template name.";
    else if (name.contains(QLatin1Char('/')))
        why = "Template name cannot contain the character \"/\".";
    else if (name.contains(QChar(0)))
        why = "Template name cannot contain a null character.";
    else if (name.startsWith(QLatin1Char('.')))
        why = "Template name cannot start with \".\".";
    else if ((name + QLatin1Char('.') + design_file_EXT).toUtf8().size() > kLongestFileName)
        why = "Template name is too long for a file name.";
    if (!why)
        return name;
    if (refusal)
        *refusal = QString::fromLatin1(why);
    return std::nullopt;
}

bool Name_Taken(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QFileInfo info(entry);
        if (info.completeBaseName() != name)
            continue;
        if (info.suffix() == design_file_EXT || Is_Preview_Suffix(info.suffix()))
            return true;
    }
    return false;
}

std::optional<QString> Create_New_File_Path(const QString& preview)
{
    const QFileInfo info(preview);
    const QString folder = info.absolutePath();
    for (int n = 1; n <= kMostCopies; ++n) {
        // One multi-argument arg(): a "%1" inside the name stays as it is.
        const QString base = QStringLiteral("%1 (copy %2)").arg(info.completeBaseName(), QString::number(n));
        if (!Name_Taken(folder, base))
            return Sibling(preview, base + QLatin1Char('.') + info.suffix());
    }
    return std::nullopt;
}

bool Copy_Pair(const QString& preview, const QString& new_preview, QString* error)
{
    const QString design = Design_Path(preview);
    const QString new_design = Design_Path(new_preview);
    if (!platform::copyFile(preview, new_preview, error))
        return false;
    if (QFileInfo(design).isFile() && !platform::copyFile(design, new_design, error)) {
        platform::removePath(new_preview);
        return false;
    }
    return true;
}

bool Rename_Pair(const QString& preview, const QString& new_preview, QString* error)
{
    const QString design = Design_Path(preview);
    const QString new_design = Design_Path(new_preview);
    const bool movePreview = QFileInfo(preview).absoluteFilePath() != QFileInfo(new_preview).absoluteFilePath();
    const bool moveDesign = QFileInfo(design).isFile()
        && QFileInfo(design).absoluteFilePath() != QFileInfo(new_design).absoluteFilePath();
    if (movePreview && !platform::renamePath(preview, new_preview, error))
        return false;
    if (moveDesign && !platform::renamePath(design, new_design, error)) {
        if (movePreview)
            platform::renamePath(new_preview, preview);
        return false;
    }
    return true;
}

bool Delete_Pair(const QString& preview, QString* error)
{
    const QString design = Design_Path(preview);
    // Hidden names without a picture extension: listed by no browser.
    const auto hidden = [](const QString& path) {
        const QFileInfo info(path);
        return Sibling(path, QLatin1Char('.') + info.fileName() + QStringLiteral(".deleting"));
    };
    const QString gonePreview = hidden(preview);
    const QString goneDesign = hidden(design);
    for (const QString& stale : {gonePreview, goneDesign}) {
        if (QFileInfo::exists(stale))
            platform::removePath(stale);
    }
    if (!platform::renamePath(preview, gonePreview, error))
        return false;
    const bool hasDesign = QFileInfo(design).isFile();
    if (hasDesign && !platform::renamePath(design, goneDesign, error)) {
        platform::renamePath(gonePreview, preview);
        return false;
    }
    QString why;
    if (!platform::removePath(gonePreview, &why) || (hasDesign && !platform::removePath(goneDesign, &why)))
        Show_NSLog_Message(why); // the pair is gone from the lists either way
    return true;
}

} // namespace template_store
