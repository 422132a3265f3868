#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "FileChooser.h"

namespace tus2wf {

// Shows Windows' own file chooser, the common item dialog, as chooser describes it, owned by
// owner and opening where start says. Returns the whole path of the file chosen; nothing when the
// user cancelled or the dialog could not be shown. Needs COM initialised apartment-threaded on
// the calling thread.
std::optional<std::wstring> showFileDialog(HWND owner, const FileChooser& chooser,
                                           const ChooserStart& start);

}  // namespace tus2wf
