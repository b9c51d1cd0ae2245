// The welcome page's two pictures, decoded and drawn with GDI+, and the logo's place on
// the banner. GDI+ is loaded when the pictures are first drawn: a silent install, which
// shows no window, never loads it.
#include "app/pictures.h"

// GDI+ needs the property types that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <propidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "app/installer.h"
#include "app/wizard_layout.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique_handle.h"

namespace tk::app {
namespace {

// The transparent colour of the pictures under resources/pictures (magenta).
constexpr Gdiplus::ARGB kPictureTransparentColour = 0xFFFF00FF;

// The GDI+ functions the pictures use, looked up in gdiplus.dll.
struct GdiPlus {
    platform::win32::SystemLibrary library{L"gdiplus.dll"};
#define TK_GDIPLUS(scope, name) \
    decltype(&scope::name) name = library.Find<decltype(scope::name)>(#name)
    TK_GDIPLUS(Gdiplus, GdiplusStartup);
    TK_GDIPLUS(Gdiplus, GdiplusShutdown);
    TK_GDIPLUS(Gdiplus::DllExports, GdipCreateBitmapFromStream);
    TK_GDIPLUS(Gdiplus::DllExports, GdipDisposeImage);
    TK_GDIPLUS(Gdiplus::DllExports, GdipGetImageWidth);
    TK_GDIPLUS(Gdiplus::DllExports, GdipGetImageHeight);
    TK_GDIPLUS(Gdiplus::DllExports, GdipCreateFromHDC);
    TK_GDIPLUS(Gdiplus::DllExports, GdipDeleteGraphics);
    TK_GDIPLUS(Gdiplus::DllExports, GdipCreateImageAttributes);
    TK_GDIPLUS(Gdiplus::DllExports, GdipSetImageAttributesColorKeys);
    TK_GDIPLUS(Gdiplus::DllExports, GdipDisposeImageAttributes);
    TK_GDIPLUS(Gdiplus::DllExports, GdipDrawImageRectRectI);
#undef TK_GDIPLUS

    // Without every one of them, the pictures are left out.
    bool Complete() const {
        return GdiplusStartup && GdiplusShutdown && GdipCreateBitmapFromStream &&
               GdipDisposeImage && GdipGetImageWidth && GdipGetImageHeight && GdipCreateFromHDC &&
               GdipDeleteGraphics && GdipCreateImageAttributes && GdipSetImageAttributesColorKeys &&
               GdipDisposeImageAttributes && GdipDrawImageRectRectI;
    }
};

// A decoded picture, disposed of through the loaded library.
struct ImageDisposer {
    decltype(&Gdiplus::DllExports::GdipDisposeImage) dispose;
    void operator()(Gdiplus::GpImage* image) const { dispose(image); }
};
using Image = std::unique_ptr<Gdiplus::GpImage, ImageDisposer>;

struct StreamTraits {
    using Type = IStream*;
    static Type Invalid() { return nullptr; }
    static void Close(Type stream) { stream->Release(); }
};
using Stream = platform::win32::UniqueHandle<StreamTraits>;

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

struct Pictures::Decoded {
    GdiPlus gdiplus;
    ULONG_PTR gdiplusToken = 0;
    Stream bannerStream;
    Stream logoStream;
    Image banner{nullptr, {gdiplus.GdipDisposeImage}};
    Image logo{nullptr, {gdiplus.GdipDisposeImage}};

    explicit Decoded(platform::Resources& resources) {
        Gdiplus::GdiplusStartupInput input;
        if (!gdiplus.Complete() ||
            gdiplus.GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
            gdiplusToken = 0;
            return;
        }
        Load(resources, kBannerResource, bannerStream, banner);
        Load(resources, kLogoResource, logoStream, logo);
    }
    ~Decoded() {
        banner.reset();
        logo.reset();
        if (gdiplusToken != 0) {
            gdiplus.GdiplusShutdown(gdiplusToken);
        }
    }
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;

    // GDI+ reads the picture from its stream for as long as the picture lives.
    void Load(platform::Resources& resources, int id, Stream& stream, Image& image) {
        const auto bytes = resources.RawData(id);
        if (!bytes) {
            return;
        }
        const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes->size());
        if (memory == nullptr) {
            return;
        }
        std::copy(bytes->begin(), bytes->end(), static_cast<std::uint8_t*>(::GlobalLock(memory)));
        ::GlobalUnlock(memory);
        IStream* created = nullptr;
        if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &created))) {
            ::GlobalFree(memory);
            return;
        }
        stream.reset(created);
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (gdiplus.GdipCreateBitmapFromStream(stream.get(), &bitmap) == Gdiplus::Ok) {
            image.reset(bitmap);
        }
    }
};

Pictures::Pictures(platform::Resources& resources) : resources_(resources) {}

Pictures::~Pictures() = default;

void Pictures::Draw(const DRAWITEMSTRUCT& item, HWND banner, HWND logo) {
    if (!decoded_) {
        decoded_ = std::make_unique<Decoded>(resources_);
    }
    if (decoded_->gdiplusToken == 0) {
        return;
    }
    const GdiPlus& gdiplus = decoded_->gdiplus;
    // Each picture control draws the banner and the logo where they fall inside it, so the
    // logo's transparent parts show the banner whatever order the two are painted in.
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gdiplus.GdipCreateFromHDC(item.hDC, &graphics) != Gdiplus::Ok) {
        return;
    }
    const RECT self = RectInParent(item.hwndItem);
    // The logo's transparent colour is keyed out as well, for GIF decoders that keep it as
    // an opaque palette entry.
    Gdiplus::GpImageAttributes* keyed = nullptr;
    gdiplus.GdipCreateImageAttributes(&keyed);
    if (keyed != nullptr) {
        gdiplus.GdipSetImageAttributesColorKeys(keyed, Gdiplus::ColorAdjustTypeDefault, TRUE,
                                                kPictureTransparentColour,
                                                kPictureTransparentColour);
    }
    for (const auto& [control, image] :
         {std::pair{banner, decoded_->banner.get()}, std::pair{logo, decoded_->logo.get()}}) {
        if (image == nullptr) {
            continue;
        }
        UINT width = 0;
        UINT height = 0;
        gdiplus.GdipGetImageWidth(image, &width);
        gdiplus.GdipGetImageHeight(image, &height);
        const RECT rect = RectInParent(control);
        gdiplus.GdipDrawImageRectRectI(graphics, image, rect.left - self.left, rect.top - self.top,
                                       rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                                       static_cast<INT>(width), static_cast<INT>(height),
                                       Gdiplus::UnitPixel, keyed, nullptr, nullptr);
    }
    if (keyed != nullptr) {
        gdiplus.GdipDisposeImageAttributes(keyed);
    }
    gdiplus.GdipDeleteGraphics(graphics);
}

void TtkInstaller::DrawPicture(const DRAWITEMSTRUCT& item) {
    pictures_->Draw(item, ControlWindow(kImage1), ControlWindow(kImage2));
}

void TtkInstaller::FormResize() {
    const HWND banner = ControlWindow(kImage1);
    const HWND logo = ControlWindow(kImage2);
    if (banner == nullptr || logo == nullptr) {
        return;
    }
    const RECT bannerRect = RectInParent(banner);
    const RECT logoRect = RectInParent(logo);
    ControlDef bannerNow = *FindControl(kImage1);
    bannerNow.top = bannerRect.top;
    bannerNow.width = bannerRect.right - bannerRect.left;
    bannerNow.height = bannerRect.bottom - bannerRect.top;
    const Point at =
        LogoPosition(bannerNow, logoRect.right - logoRect.left, logoRect.bottom - logoRect.top);
    ::SetWindowPos(logo, nullptr, at.left, at.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tk::app
