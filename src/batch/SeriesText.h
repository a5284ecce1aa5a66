#pragma once
// Turning outside text into series values: text files (.txt, .csv, .rtf),
// pasted text and picture folders. Headless: no widget, no message; the
// dialogs show the messages for the statuses returned here.
#include <QString>
#include <QStringList>
#include <optional>

namespace series_text {

// A value of a text or CSV file as stored: every "\", "{" and "}" removed,
// then Trim_Str.
QString chk_and_insert_validation(const QString& value);

// Lines of a text: they end at CRLF, LF or CR.
QStringList Split_Lines(const QString& text);

// The values of a .csv text. Records are comma-separated (RFC 4180):
// fields may be quoted, "" inside quotes is one quote, quoted fields may hold
// commas and line breaks; records end at CRLF, LF or CR outside quotes; an
// unterminated quote runs to the end. Every field of every record, row by
// row, is cleaned (chk_and_insert_validation) with an inner line break made
// one space; empty fields are skipped and a field holding "NSFont = " ends
// its record.
QStringList Csv_Values(const QString& text);

// The values of any other text: each line cleaned, empty ones skipped; a
// line holding "NSFont = " ends the reading.
QStringList Text_Values(const QString& text);

enum class Read_Status {
    Ok,
    Unreadable, // missing, a folder, or cannot be read
    Corrupt     // not decodable, not RTF although named so, or no text
};

// Reads a text file by its extension (case ignored): "rtf" through the RTF
// reader, anything else decoded (byte-order mark, else strict UTF-8); then
// the CSV rules for "csv", the text rules otherwise.
Read_Status Text_File_Values(const QString& path, QStringList* values);

// The bytes of a series file holding a text file's values, the same as
// series::Series_Bytes of Text_File_Values' values (Trimmed_Drop_Empty);
// a UTF-8 CSV goes from its bytes to these without a list of values.
Read_Status Text_File_Series_Bytes(const QString& path, QByteArray* bytes);

// Pasted text, trimmed as a whole and split at line feeds. For a series file
// the non-empty lines unchanged; for the manager's list every line (the list
// trims and drops empty ones itself).
QStringList Pasted_Lines(const QString& text);
// True when the text holds a UTF-16 half without its other half.
bool Has_Lone_Surrogate(const QString& text);

// Full paths of the picture files directly inside a folder, in name order;
// none when the path is not a readable folder.
std::optional<QStringList> Picture_Folder_Values(const QString& folder);

} // namespace series_text
