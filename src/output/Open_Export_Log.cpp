#include "output/Open_Export_Log.h"

#include "app/AppHelpers.h"
#include "platform/workspace.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>

platform::LockedValue<QString> Export_File_Path;
platform::LockedValue<QString> Export_File_Message;

Open_Export_Log::Open_Export_Log(QDialog* box, QCheckBox* openCheck, QObject* parent)
    : QObject(parent)
    , m_box(box)
    , _open_log_chk(openCheck)
{
}

namespace {

// Opens what the export wrote; a refusal says why on screen.
void Open_Exported(const QString& path)
{
    const QFileInfo info(path);
    QString why;
    if (path.isEmpty() || !info.exists())
        why = QStringLiteral("it no longer exists.");
    else if (!platform::workspace::openPath(path))
        why = QStringLiteral("the desktop has no application that opens it.");
    if (!why.isEmpty())
        Show_MessageBox(QStringLiteral("\"%1\" cannot be opened: %2").arg(path, why));
}

} // namespace

void Open_Export_Log::OKPressed()
{
    if (_open_log_chk && _open_log_chk->isChecked())
        Open_Exported(Export_File_Path.get());
    if (_open_log_chk)
        _open_log_chk->setChecked(true);
    if (m_box)
        m_box->done(1);
}

void Open_Export_Log::CancelPressed()
{
    // The box is shown again with its check box on, whatever was chosen.
    if (_open_log_chk)
        _open_log_chk->setChecked(true);
    if (m_box)
        m_box->done(0);
}
