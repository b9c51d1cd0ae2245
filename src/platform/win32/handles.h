#pragma once
// Owning handles for the Win32 handle kinds the installer uses.
#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace tk::platform::win32 {

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type key) { ::RegCloseKey(key); }
};
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type memory) { ::LocalFree(memory); }
};

// A file handle; INVALID_HANDLE_VALUE is the empty state.
using FileHandle = UniqueHandle<FileHandleTraits>;
// A kernel handle whose empty state is NULL (tokens, processes).
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

}  // namespace tk::platform::win32
