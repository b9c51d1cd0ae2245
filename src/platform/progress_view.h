#pragma once
// What the install sequence shows while it runs: the progress page of the installer window.
#include <string>

namespace tk::platform {

class ProgressView {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~ProgressView() = default;

public:
    // Lets the window handle pending messages so it repaints and stays responsive.
    virtual void ProcessMessages() = 0;
    virtual void SetProgressMax(int maximum) = 0;
    virtual int ProgressMax() = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual int ProgressPosition() = 0;
    virtual void SetStatusText(const std::string& text) = 0;       // status line
    virtual void SetCurrentFileText(const std::string& text) = 0;  // current file line
};

}  // namespace tk::platform
