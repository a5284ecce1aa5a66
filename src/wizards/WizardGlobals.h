#pragma once
// What the start wizard and the template dialogs hand back to the editor.
#include <QString>
#include <QtGlobal>

extern QString Start_Card_Option; // "T", "W", "L"
extern QString Invite_Title, Invite_Message, Invite_From, Invite_To, Invite_Venue, Invite_Date, Invite_Time,
    Invite_BG_IMG;
extern QString Template_Msg_Val, Selected_Template_Path;
extern QString export_template_name; // set by the template-name window

extern quint64 User_Defined_File; // identifiers of user template items, never reset

// Runs the template-name window with its two fields (both empty for a new
// template, the old name in both for a rename); 1 on OK with the accepted
// name in export_template_name.
int Run_Export_Template_Window(const QString& name = {}, const QString& passed = {});
