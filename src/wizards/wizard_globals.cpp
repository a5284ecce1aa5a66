// What the start wizard and the template dialogs hand back to the editor.
#include "wizards/WizardGlobals.h"

QString Start_Card_Option = QStringLiteral("T");
QString Invite_Title, Invite_Message, Invite_From, Invite_To, Invite_Venue, Invite_Date, Invite_Time, Invite_BG_IMG;
QString Template_Msg_Val, Selected_Template_Path;
quint64 User_Defined_File = 0;
