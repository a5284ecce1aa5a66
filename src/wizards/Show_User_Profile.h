#pragma once
// The editor's user-profile form: opened for the side being edited, it reads
// that side's profile graphics back and fills the side's record on OK.
#include "wizards/User_Profile_Form.h"

class Show_User_Profile : public User_Profile_Form {
    Q_OBJECT
public:
    Show_User_Profile();
    // The singleton, made on first use.
    static Show_User_Profile* defaultInstance();
};
