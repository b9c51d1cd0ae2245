#pragma once
// A system library that only one step needs, loaded when that step first asks for one of
// its functions rather than by the loader at start-up, and kept until the program ends.
// It is looked for by name, as the loader looks for an imported library.
#include <windows.h>

namespace tk::platform::win32 {

class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name) : name_(name) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The exported function `name` as a pointer of the declared function's type, e.g.
    // Find<decltype(::WSAStartup)>("WSAStartup"); nullptr when the library or the function
    // is missing, so that the step can fail instead of the program.
    template <typename Function>
    Function* Find(const char* name) {
        if (!tried_) {
            tried_ = true;
            module_ = ::LoadLibraryW(name_);
        }
        if (module_ == nullptr) {
            return nullptr;
        }
        return reinterpret_cast<Function*>(
            reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

private:
    const wchar_t* name_;
    HMODULE module_ = nullptr;
    bool tried_ = false;
};

// A function of a library that the process has already loaded, as a pointer of the given
// function type; nullptr when the library is not loaded or lacks it (a function that only
// some versions of Windows have). Nothing is loaded for the look-up.
template <typename Function>
Function* LoadedFunction(const wchar_t* library, const char* name) {
    const HMODULE module = ::GetModuleHandleW(library);
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function*>(
                                   reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tk::platform::win32
