#pragma once
// The template folders on disk. A template is a pair in one folder: a
// preview picture ("png", or "jpg" for older ones) and a design log
// ("dcard") with the same base name. Pairs are copied, renamed and deleted
// whole or not at all: a failure leaves the old pair and says why.
#include <QString>
#include <QStringList>
#include <optional>

namespace template_store {

// Resource_Path/"Templates" and its "User" subfolder.
QString Built_In_Folder();
QString User_Folder();

// The design file of a preview: its extension replaced by "dcard".
QString Design_Path(const QString& preview);
// True when the preview lies directly in the user folder.
bool Is_User_Template(const QString& preview);

// A typed name cleaned at both ends (white space, control characters, then
// the reserved characters / \ ? % * | " < >). None when the result is empty,
// holds "/" or U+0000 inside, starts with "." or, with ".dcard", is longer
// than a file name may be; `refusal` then receives the message that says
// which ("Please enter template name." for an empty one).
std::optional<QString> Clean_Name(const QString& typed, QString* refusal = nullptr);

// A name is taken when its design or a "png" or "jpg" preview exists in the
// folder (extensions compared lower-cased).
bool Name_Taken(const QString& folder, const QString& name);

// "B (copy n).E" beside the preview for the first n (up to 10,000) whose
// name is free; none when every number is taken.
std::optional<QString> Create_New_File_Path(const QString& preview);

// Copies the pair's existing files to the new preview's name (the design
// beside it). On failure nothing of the copy is left.
bool Copy_Pair(const QString& preview, const QString& new_preview, QString* error);
// Moves the pair to the new preview path and its design beside it; a file
// that is its own target is left alone. On failure the old pair is back.
bool Rename_Pair(const QString& preview, const QString& new_preview, QString* error);
// Deletes the pair: both files first move to hidden names no browser lists,
// then go; on failure before both moved, the old pair is back.
bool Delete_Pair(const QString& preview, QString* error);

} // namespace template_store
