#pragma once
// The welcome page's banner and logo, decoded from the program's resources when they are
// first drawn, and drawn into the two picture controls.
#include <windows.h>

#include <memory>

#include "platform/resources.h"

namespace tk::app {

class Pictures {
public:
    explicit Pictures(platform::Resources& resources);
    ~Pictures();
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    // Draws into one of the two picture controls the part of the banner and of the logo
    // that falls inside it, so the logo's transparent parts show the banner whatever order
    // the controls are painted in.
    void Draw(const DRAWITEMSTRUCT& item, HWND banner, HWND logo);

private:
    struct Bitmap;
    platform::Resources& resources_;
    std::unique_ptr<Bitmap> banner_;
    std::unique_ptr<Bitmap> logo_;
};

}  // namespace tk::app
