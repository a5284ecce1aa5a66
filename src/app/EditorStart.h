#pragma once
// The start of the card editor, called by main: prepares the resource folder,
// opens the main window and runs the event loop. Returns the program's exit
// code (non-zero when start-up stops before the loop).
int Start_Editor();
