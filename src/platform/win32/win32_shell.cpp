#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/error_mode.h"
#include "platform/win32/handles.h"

namespace tk::platform::win32 {
namespace {

// The shell-link class and its two interfaces, defined here rather than taken from the
// uuid library, which would bring every interface identifier of the system along.
constexpr CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidShellLinkA = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

Status StatusOf(HRESULT result) {
    return Status(static_cast<std::uint32_t>(result));
}

class Win32ShellLink final : public ShellLink {
public:
    HRESULT Init() {
        HRESULT hr = ::CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        kIidShellLinkA, reinterpret_cast<void**>(link_.put()));
        if (FAILED(hr)) {
            return hr;
        }
        return link_->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(file_.put()));
    }
    Status SetPath(const std::string& target) override {
        return StatusOf(link_->SetPath(target.c_str()));
    }
    Status SetWorkingDirectory(const std::string& folder) override {
        return StatusOf(link_->SetWorkingDirectory(folder.c_str()));
    }
    Status Save(const std::string& linkPath) override {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(), length);
        return StatusOf(file_->Save(wide.data(), FALSE));
    }

private:
    ComPtr<IShellLinkA> link_;
    ComPtr<IPersistFile> file_;
};

}  // namespace

std::optional<std::string> Win32Shell::SpecialFolderPath(int csidl) {
    ItemList list;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, list.put())) || !list) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListA(list.get(), path);
    if (!found) {
        return std::nullopt;
    }
    return std::string(path);
}

Status Win32Shell::Execute(const std::string& verb, const std::string& file,
                           const std::string& parameters, const std::string& directory,
                           int showCommand) {
    const StartErrorModeScope startMode;
    const HINSTANCE result =
        ::ShellExecuteA(nullptr, verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                        parameters.empty() ? nullptr : parameters.c_str(),
                        directory.empty() ? nullptr : directory.c_str(), showCommand);
    return StatusOfShellExecute(reinterpret_cast<std::intptr_t>(result));
}

Status Win32Shell::ExecuteWithoutUi(const std::string& verb, const std::string& file,
                                    const std::string& parameters, int showCommand) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = showCommand;
    const StartErrorModeScope startMode;
    if (::ShellExecuteExA(&info)) {
        return Status();
    }
    const DWORD error = ::GetLastError();
    return Status(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
}

Shell::CreatedLink Win32Shell::CreateShellLink() {
    auto link = std::make_unique<Win32ShellLink>();
    const HRESULT result = link->Init();
    if (FAILED(result)) {
        return {nullptr, StatusOf(result)};
    }
    return {std::move(link), Status()};
}

}  // namespace tk::platform::win32
