// Test tool: makes a registry key unwritable, or writable again, through its access list.
//   tk_key_access deny HKLM|HKCU PATH    create the key if needed; deny setting values and
//                                        making subkeys to everyone, so a full-access open
//                                        is refused
//   tk_key_access allow HKLM|HKCU PATH   give everyone full access again
// The key is reached through the same 32-bit view as the setup program. Under Wine the
// access list lasts only while the wineserver stays up.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tk_key_access deny|allow HKLM|HKCU PATH\n");
        return 2;
    }
    const std::string command = argv[1];
    const HKEY root = std::string(argv[2]) == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExA(root, argv[3], 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot open the key: %ld\n", status);
        return 1;
    }
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    alignas(DWORD) BYTE aclBuffer[256] = {};
    auto* acl = reinterpret_cast<PACL>(aclBuffer);
    ::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    if (command == "deny") {
        ::AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone);
    }
    ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR descriptor;
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    status = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    ::RegCloseKey(key);
    ::FreeSid(everyone);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot set the access list: %ld\n", status);
        return 1;
    }
    return 0;
}
