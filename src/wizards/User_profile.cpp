#include "wizards/User_profile.h"

User_profile::User_profile() : User_Profile_Form(true) {}

User_profile* User_profile::defaultInstance()
{
    static User_profile* instance = new User_profile;
    return instance;
}
