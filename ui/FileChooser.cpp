#include "FileChooser.h"

#include <array>

#include "WindowLayout.h"

namespace tus2wf {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
#else
constexpr std::string_view kSeparators = "/";
#endif

constexpr FileFilter kAllFiles{"All files (*)", "*"};
constexpr std::array<FileFilter, 2> kScriptFilters{{{"World scripts (*.scp)", "*.scp"}, kAllFiles}};
constexpr std::array<FileFilter, 2> kListFilters{{{"ID lists (*.txt)", "*.txt"}, kAllFiles}};
constexpr std::array<FileFilter, 1> kRecordFilters{{kAllFiles}};

// The path boxes from the top of the window down.
constexpr std::array<PathBox, 4> kRows{PathBox::TusworldScp, PathBox::Worldforge,
                                       PathBox::NewTusworldScp, PathBox::ItemList};
static_assert(layout::kControls[layout::textBoxOf(kRows[0])].at.top <
                  layout::kControls[layout::textBoxOf(kRows[1])].at.top &&
              layout::kControls[layout::textBoxOf(kRows[1])].at.top <
                  layout::kControls[layout::textBoxOf(kRows[2])].at.top &&
              layout::kControls[layout::textBoxOf(kRows[2])].at.top <
                  layout::kControls[layout::textBoxOf(kRows[3])].at.top);

// The folder a path names or lies in, and the file name it names there; none when the path is
// empty or its folder does not exist.
ChooserStart startOf(const std::string& path,
                     const std::function<bool(const std::string&)>& isFolder) {
    if (path.empty()) {
        return {};
    }
    if (isFolder(path)) {
        return {path, {}};
    }
    const std::size_t separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos) {
        return isFolder(".") ? ChooserStart{".", path} : ChooserStart{};
    }
    // A separator at the root, or after a drive, belongs to the folder: "/", "C:\".
    const bool atRoot = separator == 0 || (separator == 2 && path[1] == ':');
    std::string folder = path.substr(0, atRoot ? separator + 1 : separator);
    if (!isFolder(folder)) {
        return {};
    }
    return {std::move(folder), path.substr(separator + 1)};
}

}  // namespace

FileChooser fileChooserOf(PathBox box) {
    switch (box) {
        case PathBox::TusworldScp:
            return {false, "Choose the TUS file", kScriptFilters};
        case PathBox::Worldforge:
            return {true, "Choose the Worldforge file", kRecordFilters};
        case PathBox::NewTusworldScp:
            return {true, "Choose the new TUS file", kScriptFilters};
        case PathBox::ItemList:
            break;
    }
    return {false, "Choose the ID list", kListFilters};
}

std::string chooserToolTip(PathBox box) {
    return std::string(fileChooserOf(box).name) + " (F4 or Ctrl+O)";
}

ChooserStart chooserStart(PathBox box, const std::function<std::string(PathBox)>& pathText,
                          const std::function<bool(const std::string&)>& isFolder) {
    ChooserStart start = startOf(pathText(box), isFolder);
    if (!start.folder.empty()) {
        return start;
    }
    std::size_t row = 0;
    while (kRows[row] != box) {
        ++row;
    }
    while (row-- > 0) {
        start = startOf(pathText(kRows[row]), isFolder);
        if (!start.folder.empty()) {
            return {std::move(start.folder), {}};
        }
    }
    return {};
}

}  // namespace tus2wf
