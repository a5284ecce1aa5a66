#pragma once
// The start of the card editor, called by main once the resource folder is
// ready. Returns the program's exit code.
int Start_Editor();
