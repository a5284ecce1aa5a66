#pragma once
// The card wizards' user-profile form: opens blank with a side choice per
// row and fills the front and the back record with the same values on OK.
#include "wizards/User_Profile_Form.h"

class User_profile : public User_Profile_Form {
    Q_OBJECT
public:
    User_profile();
    // The singleton, made on first use.
    static User_profile* defaultInstance();
};
