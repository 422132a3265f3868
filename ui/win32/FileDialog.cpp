#include "FileDialog.h"

#include <shobjidl.h>

#include <memory>
#include <vector>

#include "Utf16_win32.h"

namespace tus2wf {
namespace {

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using Owned = std::unique_ptr<Interface, Releaser>;

void setFileTypes(IFileDialog& dialog, const FileChooser& chooser) {
    // The dialog keeps pointers into these only for the call.
    std::vector<std::wstring> texts;
    for (const FileFilter& filter : chooser.filters) {
        texts.push_back(toUtf16(filter.name));
        texts.push_back(toUtf16(filter.pattern));
    }
    std::vector<COMDLG_FILTERSPEC> types;
    for (std::size_t i = 0; i < texts.size(); i += 2) {
        types.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    }
    dialog.SetFileTypes(static_cast<UINT>(types.size()), types.data());
}

// A folder the dialog cannot find is left to the dialog, which then opens where it likes.
void setFolder(IFileDialog& dialog, const std::string& folder) {
    const std::wstring named = toUtf16(folder);
    std::wstring full(GetFullPathNameW(named.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(named.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    IShellItem* item = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(full.c_str(), nullptr, IID_PPV_ARGS(&item)))) {
        dialog.SetFolder(Owned<IShellItem>(item).get());
    }
}

}  // namespace

std::optional<std::wstring> showFileDialog(HWND owner, const FileChooser& chooser,
                                           const ChooserStart& start) {
    IFileDialog* created = nullptr;
    if (FAILED(CoCreateInstance(chooser.save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created)))) {
        return std::nullopt;
    }
    const Owned<IFileDialog> dialog(created);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(
        options | FOS_FORCEFILESYSTEM |
        (chooser.save ? FOS_OVERWRITEPROMPT : FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST));
    dialog->SetTitle(toUtf16(chooser.name).c_str());
    setFileTypes(*dialog, chooser);
    if (!start.folder.empty()) {
        setFolder(*dialog, start.folder);
    }
    if (!start.name.empty()) {
        dialog->SetFileName(toUtf16(start.name).c_str());
    }
    IShellItem* chosen = nullptr;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(&chosen))) {
        return std::nullopt;
    }
    const Owned<IShellItem> item(chosen);
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return std::nullopt;
    }
    std::wstring whole(path);
    CoTaskMemFree(path);
    return whole;
}

}  // namespace tus2wf
