#include "output/Open_Export_Log.h"

#include "platform/workspace.h"

#include <QCheckBox>
#include <QDialog>

platform::LockedValue<QString> Export_File_Path;
platform::LockedValue<QString> Export_File_Message;

Open_Export_Log::Open_Export_Log(QDialog* box, QCheckBox* openCheck, QObject* parent)
    : QObject(parent)
    , m_box(box)
    , _open_log_chk(openCheck)
{
}

void Open_Export_Log::OKPressed()
{
    if (_open_log_chk && _open_log_chk->isChecked())
        platform::workspace::openPath(Export_File_Path.get());
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
