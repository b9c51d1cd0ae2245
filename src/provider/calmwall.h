#pragma once
// TVoFirewall: controls the filter's Winsock layered service provider on behalf of the
// program that hosts it. Creating it prunes the providers of earlier generations from the
// protocol catalogue, tidies the "plugin\" folder next to the running program, opens a
// hidden message window and starts Winsock; the catalogue operations find out whether the
// current provider is registered with the current library and start the provider helper
// "_fltw.exe" to register or remove it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/hidden_window.h"
#include "platform/protocol_catalogue.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "provider/dllunits.h"

namespace tk::provider {

class TVoFirewall;

// An event: an object and one of its member functions, called with the event's arguments.
// (Held as the object, the member and a function that joins them: no std::function.)
template <typename... Args>
class TMethod {
public:
    TMethod() = default;
    template <typename Object>
    TMethod(Object& object, void (Object::*member)(Args...)) : object_(&object) {
        static_assert(sizeof member <= sizeof member_);
        std::memcpy(member_, &member, sizeof member);
        call_ = [](void* target, const unsigned char* stored, Args... args) {
            void (Object::*called)(Args...) = nullptr;
            std::memcpy(&called, stored, sizeof called);
            (static_cast<Object*>(target)->*called)(args...);
        };
    }

    bool Assigned() const { return call_ != nullptr; }
    void operator()(Args... args) const {
        if (call_ != nullptr) {
            call_(object_, member_, args...);
        }
    }

private:
    void* object_ = nullptr;
    void (*call_)(void*, const unsigned char*, Args...) = nullptr;
    unsigned char member_[2 * sizeof(void*)] = {};
};

// Sender, Data, Accept, NewPort.
using TEFConnect = TMethod<TVoFirewall&, TFirewallData&, bool&, int&>;
// Sender, DataType, DataLen, Buf, Data, Accept.
using TEFData = TMethod<TVoFirewall&, TDataType, int, char*, TFirewallData&, bool&>;

// Provider GUIDs, as the 16 bytes of the GUID structure in memory.
extern const platform::Guid FilterProviderId;
extern const platform::Guid EarlierProviderIdA;
extern const platform::Guid EarlierProviderIdB;

// Plug-in file names of earlier generations, deleted from "plugin\" at every construction.
inline constexpr std::string_view OldPluginNames[] = {
    "_tidywall.dll", "tidywall.dll", "kfirewall.dll", "_kfirewall.dll", "kfilter.dll",
};
inline constexpr std::string_view kMarkerFileName = "wlmark.rdk";
inline constexpr std::string_view kPluginFileName = "_kfilter.dll";
inline constexpr std::string_view kPluginFolder = "plugin\\";
inline constexpr std::string_view kHelperFileName = "_fltw.exe";

// Message numbers the hidden window answers.
inline constexpr std::uint32_t kQueryEndSession = 0x0011;
inline constexpr std::uint32_t kCopyData = 0x004A;
inline constexpr std::uint32_t kFilterNotification = 0x05FF;  // WM_USER + 511

// The system services the component works through.
struct ProviderServices {
    platform::Files& files;
    platform::System& system;
    platform::Shell& shell;
    platform::ProtocolCatalogue& catalogue;
    platform::HiddenWindows& windows;
};

class TVoFirewall {
public:
    // `ownerWindow` is the window handle of the owner, written into the helper's command
    // line as an unsigned decimal number.
    TVoFirewall(std::uintptr_t ownerWindow, ProviderServices services);
    ~TVoFirewall();
    TVoFirewall(const TVoFirewall&) = delete;
    TVoFirewall& operator=(const TVoFirewall&) = delete;

    // Folder of the running program file, with its backslash. Shared by all instances;
    // every construction sets it and it outlives the component.
    static const std::string& AppFolder() { return appFolder_; }
    const std::string& PluginPath() const { return pluginPath_; }
    std::uintptr_t OwnerWindow() const { return ownerWindow_; }

    // The answer of the hidden message window.
    static std::intptr_t AnswerMessage(std::uint32_t message);

    // Catalogue operations.
    void RemoveEarlierProviders();
    std::string ProviderPath();
    bool IsInstalled();
    // True when the helper was started.
    bool RunInstallHelper(const std::string& helperPath, const std::string& dllPath, bool flagY);
    void RunUninstallHelper();
    std::string ShortPathOf(const std::string& path);
    bool LaunchHelper(const std::string& file, const std::string& parameters);

    // A silent run: nobody is there to answer a consent prompt or to close a box, so a
    // helper that may not be started is not retried with elevation, and a start that fails
    // shows nothing. Off (the wizard's way) until set.
    bool Silent() const { return silent_; }
    void SetSilent(bool value) { silent_ = value; }

    // Published properties.
    const std::string& BanlistFile() const { return banlistFile_; }
    void SetBanlistFile(const std::string& value) { banlistFile_ = value; }
    const std::string& WebFilterFile() const { return webFilterFile_; }
    void SetWebFilterFile(const std::string& value) { webFilterFile_ = value; }
    const std::string& RuleFile() const { return ruleFile_; }
    void SetRuleFile(const std::string& value) { ruleFile_ = value; }
    const std::string& TrustListFile() const { return trustListFile_; }
    void SetTrustListFile(const std::string& value) { trustListFile_ = value; }
    std::uint32_t TCPBytesRecieved() const { return tcpBytesRecieved_; }
    std::uint32_t TCPBytesSent() const { return tcpBytesSent_; }
    std::uint32_t UDPBytesRecieved() const { return udpBytesRecieved_; }
    std::uint32_t UDPBytesSent() const { return udpBytesSent_; }
    std::uint32_t DownloadLimit() const { return downloadLimit_; }
    void SetDownloadLimit(std::uint32_t value) { downloadLimit_ = value; }
    std::uint32_t UploadLimit() const { return uploadLimit_; }
    void SetUploadLimit(std::uint32_t value) { uploadLimit_ = value; }
    const TEFConnect& OnAccept() const { return onAccept_; }
    void SetOnAccept(TEFConnect value) { onAccept_ = std::move(value); }
    const TEFConnect& OnConnecting() const { return onConnecting_; }
    void SetOnConnecting(TEFConnect value) { onConnecting_ = std::move(value); }
    const TEFData& OnRead() const { return onRead_; }
    void SetOnRead(TEFData value) { onRead_ = std::move(value); }
    const TEFData& OnWrite() const { return onWrite_; }
    void SetOnWrite(TEFData value) { onWrite_ = std::move(value); }
    const TEFData& OnBeforeWrite() const { return onBeforeWrite_; }
    void SetOnBeforeWrite(TEFData value) { onBeforeWrite_ = std::move(value); }

private:
    void DeinstallWherePresent(const platform::Guid& id);
    void DeleteOldPlugins();
    void TurnMarkerIntoPlugin();
    std::string HelperParameters(std::string_view operation);

    static inline std::string appFolder_;

    ProviderServices services_;
    std::uintptr_t ownerWindow_ = 0;
    bool silent_ = false;
    std::unique_ptr<platform::HiddenWindow> messageWindow_;
    std::string pluginPath_;

    std::string banlistFile_;
    std::string webFilterFile_;
    std::string ruleFile_;
    std::string trustListFile_;
    std::uint32_t tcpBytesRecieved_ = 0;
    std::uint32_t tcpBytesSent_ = 0;
    std::uint32_t udpBytesRecieved_ = 0;
    std::uint32_t udpBytesSent_ = 0;
    std::uint32_t downloadLimit_ = 0;
    std::uint32_t uploadLimit_ = 0;
    TEFConnect onAccept_;
    TEFConnect onConnecting_;
    TEFData onRead_;
    TEFData onWrite_;
    TEFData onBeforeWrite_;
};

}  // namespace tk::provider
