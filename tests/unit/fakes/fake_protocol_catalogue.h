#pragma once
// An in-memory Winsock protocol catalogue and hidden windows whose handler the test calls.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/hidden_window.h"
#include "platform/protocol_catalogue.h"

namespace tk::fakes {

class FakeProtocolCatalogue : public platform::ProtocolCatalogue {
public:
    std::vector<platform::Guid> entries;          // one ProviderId per catalogue entry
    std::map<platform::Guid, std::string> paths;  // registered library paths
    bool enumerationFails = false;
    int startups = 0;
    int cleanups = 0;
    std::vector<std::string>* log = nullptr;

    std::vector<platform::Guid> ProviderIds() override {
        Log("Enumerate");
        return enumerationFails ? std::vector<platform::Guid>{} : entries;
    }
    int DeinstallProvider(const platform::Guid& id) override {
        Log("Deinstall " + Name(id));
        std::erase(entries, id);
        paths.erase(id);
        return 0;
    }
    std::optional<std::string> ProviderPath(const platform::Guid& id) override {
        Log("ProviderPath");
        const auto found = paths.find(id);
        if (found == paths.end()) {
            return std::nullopt;  // SOCKET_ERROR: no such provider
        }
        return found->second;
    }
    int Startup(std::uint16_t version) override {
        Log("Startup " + std::to_string(version));
        ++startups;
        return 0;
    }
    int Cleanup() override {
        Log("Cleanup");
        ++cleanups;
        return 0;
    }

    // The first byte in memory, in hex: enough to tell the GUIDs of a test apart.
    static std::string Name(const platform::Guid& id) {
        static const char digits[] = "0123456789ABCDEF";
        return {digits[id[0] >> 4], digits[id[0] & 15]};
    }

private:
    void Log(const std::string& entry) {
        if (log != nullptr) {
            log->push_back(entry);
        }
    }
};

class FakeHiddenWindows : public platform::HiddenWindows {
public:
    class Window : public platform::HiddenWindow {
    public:
        Window(FakeHiddenWindows& owner, std::uintptr_t handle) : owner_(owner), handle_(handle) {}
        ~Window() override {
            owner_.open.erase(handle_);
            if (owner_.log != nullptr) {
                owner_.log->push_back("DestroyWindow");
            }
        }
        std::uintptr_t Handle() const override { return handle_; }

    private:
        FakeHiddenWindows& owner_;
        std::uintptr_t handle_;
    };

    std::map<std::uintptr_t, platform::MessageHandler> open;  // handle -> its handler
    std::uintptr_t nextHandle = 0x1000;
    bool creationFails = false;
    std::vector<std::string>* log = nullptr;

    std::unique_ptr<platform::HiddenWindow> Create(platform::MessageHandler handler) override {
        if (log != nullptr) {
            log->push_back("CreateWindow");
        }
        if (creationFails) {
            return nullptr;
        }
        const std::uintptr_t handle = nextHandle++;
        open[handle] = std::move(handler);
        return std::make_unique<Window>(*this, handle);
    }

    std::intptr_t Send(std::uintptr_t handle, std::uint32_t message, std::uintptr_t wParam = 0,
                       std::intptr_t lParam = 0) {
        return open.at(handle)(message, wParam, lParam);
    }
};

}  // namespace tk::fakes
