#pragma once
// Application-wide globals kept beside the main window controller.
#include <QString>
#include <atomic>

extern QString Resource_Path;        // the per-user resource folder
extern QString Data_Folder_Path;     // Resource_Path/"DataSet": the saved series
extern const QString design_file_EXT; // "dcard"
extern const QString batch_file_EXT;  // "txt"
extern std::atomic<bool> yes_no_msg_val; // last answer of a yes/no alert
extern std::atomic<int> Card_Front_Or_Back; // 0 front, 1 back: the side being edited (read by workers)
extern std::atomic<int> Card_Shape;           // 0 "R", 1 "RR", 2 "E"
