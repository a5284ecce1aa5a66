#include "app/EditorStart.h"

// The card editor's main window is not part of the program yet: set-up is
// complete and the program ends successfully.
int Start_Editor()
{
    return 0;
}
