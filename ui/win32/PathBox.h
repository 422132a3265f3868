#pragma once

#include <windows.h>

#include <string>

#include "FolderLister.h"

namespace tus2wf {

// Posted to a path box's parent when the user asks for the box's file chooser; lParam is the box.
inline constexpr UINT kChooserRequested = FolderLister::kFolderListed + 2;

// Makes an EDIT control a path box: a file dropped onto it replaces its text with the file's
// path, the names of the folder being typed are offered in a list under it, and while its text
// is wider than the box the whole text shows as a tooltip. Call once per box, after it has been
// created; what it sets up goes away with the box.
//
// The offered names never hold a key: the list cannot take the focus or activate. Up and Down
// put the highlighted name into the box; a click on a name does the same. The folder is listed
// on a thread of its own, once per visit to the box; its names show as soon as it arrives, and
// after every key from then on.
//
// A button inside the box at its right end asks for a file chooser, as F4 and Ctrl+O in the box
// do. A screen reader calls it chooserName; its tooltip is chooserToolTip. It never takes the
// focus, and the box's text stops short of it.
void makePathBox(HWND edit, const std::wstring& chooserName, const std::wstring& chooserToolTip);

// Closes the list of names offered under a path box; false when none was showing.
bool closeOfferedNames(HWND edit);

}  // namespace tus2wf
