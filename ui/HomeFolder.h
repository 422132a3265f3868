#pragma once

#include <string>
#include <string_view>

namespace tus2wf {

// A path box's text as the run and the file chooser take it: "~" alone, or "~" followed by a
// folder separator, stands for the user's home folder, as it does in a shell and in the
// desktop's file dialogs. Any other text, "~name" among them, is taken as it stands, and so is
// every text while home is empty (no home folder is known). The box itself keeps what was typed.
std::string withHomeFolder(std::string_view text, std::string_view home);

}  // namespace tus2wf
