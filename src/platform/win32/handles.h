#pragma once
// Owning handles for the Win32 handle kinds the installer uses.
#include <windows.h>
#include <shlobj.h>

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
template <typename Object>
struct GdiObjectTraits {
    using Type = Object;
    static Type Invalid() { return nullptr; }
    static void Close(Type object) { ::DeleteObject(object); }
};
struct ItemListTraits {
    using Type = LPITEMIDLIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type list) { ::CoTaskMemFree(list); }
};
template <typename Interface>
struct ComTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static void Close(Type pointer) { pointer->Release(); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type dc) { ::DeleteDC(dc); }
};

// A file handle; INVALID_HANDLE_VALUE is the empty state.
using FileHandle = UniqueHandle<FileHandleTraits>;
// A kernel handle whose empty state is NULL (tokens, processes).
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// A key opened with the registry calls themselves (platform::RegistryKey is the interface's).
using KeyHandle = UniqueHandle<RegistryKeyTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
// A font, bitmap or region of one's own (not one selected into a device context).
template <typename Object>
using GdiObject = UniqueHandle<GdiObjectTraits<Object>>;
// A shell item list (PIDL), freed with CoTaskMemFree.
using ItemList = UniqueHandle<ItemListTraits>;
// A COM interface pointer, released once.
template <typename Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;
// A device context from CreateCompatibleDC.
using MemoryDc = UniqueHandle<MemoryDcTraits>;

}  // namespace tk::platform::win32
