#pragma once
// The series store: named value lists kept one per text file in the data
// folder ("<Data_Folder_Path>/<name>.txt", UTF-8, one value per line, each
// line ending in "\n"). Every reader and writer finds a series file through
// Series_Path, so a name can never reach outside the data folder.
//
// Headless: no widget; the only message is the writers' "Error in file
// accessing." with its reason through the message seam, when asked for.
#include "drawing/QBXGraphic.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace series {

// The folder the store works in: Data_Folder_Path unless a folder is given.
QString Folder(const QString& folder = {});

// The name as every writer stores it: reserved characters and blanks removed
// from both ends (Remove_Reserve_Char_In_File_Name).
QString Clean_Name(const QString& name);

// Path of the series file of a name, after cleaning. None when the cleaned
// name is empty, ".", "..", or holds "/" or NUL: such a name is refused by
// writers ("cannot be opened") and reads as a missing series.
std::optional<QString> Series_Path(const QString& name, const QString& folder = {});

// True when the series file of the name exists as a regular file.
bool Series_Exists(const QString& name, const QString& folder = {});

// The list of series names: regular files of the folder whose last extension
// is exactly "txt" and whose name is its own clean form, sorted by name,
// case-insensitively first, then case-sensitively. Empty when the folder is
// missing. Every list of series (combo boxes, manager, binding slots) is this
// one list, so slot k is always series k.
QStringList Get_datasheet_File_Name_Array(const QString& folder = {});

// ---- readers ----------------------------------------------------------------

// The whole text of a series; none when the file is missing, unreadable or
// not valid UTF-8 (a leading byte-order mark is skipped). Failures other
// than a missing file are logged.
std::optional<QString> Read_Series_Text(const QString& name, const QString& folder = {});

// The binding rows of a text: the one final line end dropped, split at "\n";
// leading and interior empty lines stay rows (so row i is line i), lines at
// the end that are blank after trimming are not rows. A zero-byte or
// all-blank text has no rows. Rows are not trimmed here.
QStringList Split_Series_Rows(const QString& text);

// The binding rows of a series (Split_Series_Rows of its text); none when the
// series cannot be read.
std::optional<QStringList> Read_Series_Rows(const QString& name, const QString& folder = {});

// Values for the manager's editor and the viewer: every line trimmed, empty
// lines dropped. Empty when the series cannot be read.
QStringList Read_Series_Values(const QString& name, const QString& folder = {});

// Preview of a series: the value card 0 takes, i.e. row 0 trimmed; "" when
// the series is missing, unreadable or has no rows.
QString Get_First_Value_Of_Dataset(const QString& name, const QString& folder = {});

// ---- writers ----------------------------------------------------------------

// How a writer treats the values it is given (each dialog has its own rule).
enum class Values {
    Trimmed_Keep_Empty, // spreadsheet columns: trimmed, empty cells stay empty lines
    Trimmed_Drop_Empty, // manager, text import: trimmed, empty values dropped
    As_Given_Drop_Empty, // pasted lines: unchanged, empty lines dropped (blank ones stay)
    As_Given            // generated values, picture paths: unchanged
};

// A value as one line: each CR, LF or CRLF inside it becomes one space, so a
// value can never split into two rows.
QString Single_Line(const QString& value);

// Trim_Str of the value, without a copy when both ends are characters no
// trimming removes (visible ASCII, letters, digits): the common case of
// large imports.
QString Trimmed(const QString& value);

// The bytes of a series file holding these values (treated as `how` says).
QByteArray Series_Bytes(const QStringList& values, Values how);

enum class Write { Replace, Append };

// Writes a series through a temporary file in the data folder that replaces
// the old file only when everything was written. Append keeps the old bytes
// first and puts a line feed after them when they lack a final one. On any
// failure (refused name, folder missing, write or rename failed) the old
// series is unchanged, the reason is logged, "Error in file accessing." with
// the reason is shown when show_msg is set, and false is returned.
bool Save_Series(const QString& name, const QStringList& values, Values how, Write mode = Write::Replace,
                 bool show_msg = true, const QString& folder = {});
// Save_Series of bytes made by Series_Bytes (or the same way).
bool Save_Series_Bytes(const QString& name, const QByteArray& series_bytes, Write mode = Write::Replace,
                       bool show_msg = true, const QString& folder = {});

// ---- in-use rule ------------------------------------------------------------

// True when the series file exists and a text, picture or barcode graphic of
// the front list, or of the back list when the card is two-sided
// (card_side_str "2"), is bound to the series (data_source_type 1) by this
// exact name.
bool Check_Batch_File_In_Use_Validation(const QString& name, const GraphicList& front, const GraphicList& back,
                                        const QString& card_side_str, const QString& folder = {});

// True for a graphic whose class is exactly text, picture or barcode: the
// only graphics that take part in data binding.
bool Takes_Part_In_Binding(const QBXGraphic& graphic);

// ---- replace question over one walk -----------------------------------------

// The answer "apply to all" of a replace question lasts one walk over the
// series to write: a new walk starts with it cleared.
class Replace_Walk {
public:
    Replace_Walk() = default; // Msg_Apply_All_Chk cleared
    // The remembered answer when "apply to all" was chosen in this walk.
    std::optional<bool> Remembered() const
    {
        return Msg_Apply_All_Chk ? std::optional<bool>(answer_) : std::nullopt;
    }
    void Remember(bool answer, bool apply_to_all)
    {
        Msg_Apply_All_Chk = apply_to_all;
        answer_ = answer;
    }
    bool Msg_Apply_All_Chk = false;

private:
    bool answer_ = false;
};

} // namespace series
