#include "wizards/Show_User_Profile.h"

Show_User_Profile::Show_User_Profile() : User_Profile_Form(false) {}

Show_User_Profile* Show_User_Profile::defaultInstance()
{
    static Show_User_Profile* instance = new Show_User_Profile;
    return instance;
}
