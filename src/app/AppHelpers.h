#pragma once
// Plain helpers every subsystem uses: message boxes that always run on the
// main thread, logging, string helpers, file-name cleaning and data folders.
#include <QString>

class QObject;

// OK alert showing "\n" + text; runs on the main thread while the caller waits.
void Show_MessageBox(const QString& text);
// Yes/No alert; true for Yes. Each caller gets its own answer.
bool Show_YES_NO_MessageBox(const QString& text);
// Logs a non-empty text verbatim.
void Show_NSLog_Message(const QString& text);

// White space, line ends, control and format characters off both ends: one
// pass gives the final result.
QString Trim_Str(const QString& text);
QString Remove_Reserve_Char_In_File_Name(const QString& text);
QString Left_Str_substringToIndex(const QString& text, int n);
QString Right_Str_substringFromIndex(const QString& text, int n);
QString Read_Str_FromIndex(const QString& text, int n);
QString Read_Str_Upto_Index(const QString& text, int n);
QString Replace_char_in_string(const QString& text, const QString& find, const QString& replacement);
bool Find_Str(const QString& text, const QString& find);
bool Find_Str_Case_Insensitive(const QString& text, const QString& find);

// Creates the data folders when missing (0700; existing folders are left as
// they are); false (and a log line) on failure.
bool Check_Path_And_Create_Files();
// Removes a file or folder; false (and a log line) on failure.
bool Delete_File(const QString& path);
// Enables or disables a control, an action or a group box with everything
// in it; plain containers are left alone.
void SetObjEnabled(QObject* object, bool flag);
// False (go on) when the trimmed path is not empty and exists; otherwise
// shows "Please select valid file path." and returns true (stop).
bool Check_And_Validate_File_Path(const QString& path);
// Opens Resource_Path/"Help.pdf", or says "Help file does not exist!".
void Open_Help_File();

// Sets Resource_Path (the given folder) and Data_Folder_Path (its
// "DataSet"), creates the resource folder (0700) and seeds it with the
// missing files of seedFolder. On failure shows "Can not access Tessmark
// Data file." and returns false; the caller then ends the program.
bool Prepare_Resource_Folder(const QString& folder, const QString& seedFolder);
// The same with the default folders ($CARDWRIGHT_RESOURCE_DIR or the
// application data folder; the resources installed beside the program).
bool Prepare_Resource_Folder();
