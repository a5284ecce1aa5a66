#include "app/Globals.h"

QString Resource_Path;
QString Data_Folder_Path;
const QString design_file_EXT = QStringLiteral("dcard");
const QString batch_file_EXT = QStringLiteral("txt");
std::atomic<bool> yes_no_msg_val{false};
std::atomic<int> Card_Front_Or_Back{0};
std::atomic<int> Card_Shape{0};
