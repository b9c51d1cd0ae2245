// The welcome page's two pictures, decoded from the program's resources when they are
// first drawn and drawn with plain GDI, and the logo's place on the banner. A silent
// install, which shows no window, never decodes them.
#include "app/pictures.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "app/installer.h"
#include "app/palette_png.h"
#include "app/wizard_layout.h"
#include "platform/win32/handles.h"

namespace tk::app {
namespace {

// The transparent colour of the pictures under resources/pictures (magenta): the logo's
// background, which lets the banner show through.
constexpr COLORREF kPictureTransparentColour = RGB(255, 0, 255);

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

// One decoded picture, held as a 32-bit bitmap selected into a memory device context that
// the drawing copies from.
struct Pictures::Bitmap {
    platform::win32::GdiObject<HBITMAP> bitmap;
    platform::win32::MemoryDc dc;
    HGDIOBJ replaced = nullptr;
    int width = 0;
    int height = 0;

    Bitmap(platform::Resources& resources, int id) {
        const auto bytes = resources.RawData(id);
        const std::optional<PalettePicture> picture =
            bytes ? DecodePalettePng(*bytes) : std::nullopt;
        if (!picture) {
            return;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = static_cast<LONG>(picture->width);
        info.bmiHeader.biHeight = -static_cast<LONG>(picture->height);  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc.reset(::CreateCompatibleDC(nullptr));
        if (!bitmap || !dc || bits == nullptr) {
            return;
        }
        auto* pixel = static_cast<std::uint32_t*>(bits);
        for (const std::uint8_t index : picture->indices) {
            const auto& [red, green, blue] = picture->palette[index];
            *pixel++ = (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
        }
        replaced = ::SelectObject(dc.get(), bitmap.get());
        width = static_cast<int>(picture->width);
        height = static_cast<int>(picture->height);
    }
    ~Bitmap() {
        if (replaced != nullptr) {
            ::SelectObject(dc.get(), replaced);
        }
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    bool Ready() const { return width > 0; }
};

Pictures::Pictures(platform::Resources& resources) : resources_(resources) {}

Pictures::~Pictures() = default;

void Pictures::Draw(const DRAWITEMSTRUCT& item, HWND banner, HWND logo) {
    if (!banner_) {
        banner_ = std::make_unique<Bitmap>(resources_, kBannerResource);
        logo_ = std::make_unique<Bitmap>(resources_, kLogoResource);
    }
    // Each picture control draws the banner and the logo where they fall inside it, so the
    // logo's transparent parts show the banner whatever order the two are painted in.
    const RECT self = RectInParent(item.hwndItem);
    ::SetStretchBltMode(item.hDC, COLORONCOLOR);
    for (const auto& [control, picture] :
         {std::pair{banner, banner_.get()}, std::pair{logo, logo_.get()}}) {
        if (control == nullptr || !picture->Ready()) {
            continue;
        }
        const RECT rect = RectInParent(control);
        const int left = rect.left - self.left;
        const int top = rect.top - self.top;
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        if (picture == logo_.get()) {
            ::GdiTransparentBlt(item.hDC, left, top, width, height, picture->dc.get(), 0, 0,
                                picture->width, picture->height, kPictureTransparentColour);
        } else {
            ::StretchBlt(item.hDC, left, top, width, height, picture->dc.get(), 0, 0,
                         picture->width, picture->height, SRCCOPY);
        }
    }
}

void TtkInstaller::DrawPicture(const DRAWITEMSTRUCT& item) {
    pictures_->Draw(item, ControlWindow(kBannerPicture), ControlWindow(kLogoPicture));
}

void TtkInstaller::FormResize() {
    const HWND banner = ControlWindow(kBannerPicture);
    const HWND logo = ControlWindow(kLogoPicture);
    if (banner == nullptr || logo == nullptr) {
        return;
    }
    const RECT bannerRect = RectInParent(banner);
    const RECT logoRect = RectInParent(logo);
    ControlDef bannerNow = *FindControl(kBannerPicture);
    bannerNow.top = bannerRect.top;
    bannerNow.width = bannerRect.right - bannerRect.left;
    bannerNow.height = bannerRect.bottom - bannerRect.top;
    const Point at =
        LogoPosition(bannerNow, logoRect.right - logoRect.left, logoRect.bottom - logoRect.top);
    ::SetWindowPos(logo, nullptr, at.left, at.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tk::app
