#pragma once
// The one error number the installer's logic tells apart by name.

namespace tk::platform {

// "Access denied": ERROR_ACCESS_DENIED of a Win32 or registry call, and SE_ERR_ACCESSDENIED
// of ShellExecuteA, which is the same number.
inline constexpr long kAccessDenied = 5;

}  // namespace tk::platform
