#pragma once

#include <windows.h>

namespace tus2wf {

// Makes an EDIT control a path box: a file dropped onto it replaces its text with the file's
// path, folder and file names are completed from the file system as they are typed, and while
// its text is wider than the box the whole text shows as a tooltip. Call once per box, after it
// has been created; what it sets up goes away with the box.
void makePathBox(HWND edit);

}  // namespace tus2wf
