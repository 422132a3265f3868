#pragma once

#include <windows.h>

namespace tus2wf {

// Makes an EDIT control a path box: a file dropped onto it replaces its text with the file's
// path, the names of the folder being typed are offered in a list under it, and while its text
// is wider than the box the whole text shows as a tooltip. Call once per box, after it has been
// created; what it sets up goes away with the box.
//
// The offered names never hold a key: the list cannot take the focus or activate. Up and Down
// put the highlighted name into the box; a click on a name does the same. The folder is listed
// on a thread of its own, once per visit to the box; its names show as soon as it arrives, and
// after every key from then on.
void makePathBox(HWND edit);

// Closes the list of names offered under a path box; false when none was showing.
bool closeOfferedNames(HWND edit);

}  // namespace tus2wf
