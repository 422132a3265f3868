#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "Host.h"

namespace tus2wf {

// What the chooser of a path box asks the platform's own file chooser for, and where it opens,
// decided once for both windows. Each window shows the platform's dialog itself (Qt's file dialog,
// Windows' common item dialog) from a button inside the box and from F4 or Ctrl+O in it.

struct FileFilter {
    std::string_view name;  // as the chooser lists it: "World scripts (*.scp)"
    std::string_view pattern;
};

struct FileChooser {
    // A Save chooser asks before an existing file is chosen; an Open chooser takes only one.
    bool save;
    // The button's name for a screen reader, and the chooser's title.
    std::string_view name;
    // The first is in force when the chooser opens; the last takes every file.
    std::span<const FileFilter> filters;
};

FileChooser fileChooserOf(PathBox box);

// The button's tooltip: its name and the keys that open it from the box.
std::string chooserToolTip(PathBox box);

// Where a chooser opens: a folder, and the name in it to offer (empty for none). An empty folder
// leaves it to the toolkit: the user's home, or Documents on Windows.
struct ChooserStart {
    std::string folder;
    std::string name;
};

// The folder of the box's text when that folder exists, offering the text's file name; else the
// folder of the nearest box above whose folder exists; else none. isFolder tells whether a path
// names a folder that exists; a path without a folder lies in the working folder, ".".
ChooserStart chooserStart(PathBox box, const std::function<std::string(PathBox)>& pathText,
                          const std::function<bool(const std::string&)>& isFolder);

}  // namespace tus2wf
