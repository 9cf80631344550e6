#include "win32/skin.hpp"

#include <wincodec.h>

#include <stdexcept>

#include "win32/com_ptr.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace {

// The picture behind a slider's Picture handle.
struct BitmapPicture final : PictureData {
    explicit BitmapPicture(std::shared_ptr<const Bitmap> b) : bitmap(std::move(b)) {}
    std::shared_ptr<const Bitmap> bitmap;
};

void check(HRESULT result, std::string_view what, std::string_view name) {
    if (FAILED(result)) {
        throw std::runtime_error("the picture " + std::string(name) + " cannot be " + std::string(what));
    }
}

// "SOURCE" of ":/bitmaps/SOURCE".
std::string_view resourceName(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace

Bitmap::Bitmap(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    handle_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels_, nullptr, 0);
    if (!handle_) throw std::runtime_error("no memory for a bitmap");
}

Bitmap::~Bitmap() { ::DeleteObject(handle_); }

void Bitmap::draw(HDC target, int x, int y) const { drawPart(target, RECT{0, 0, width_, height_}, x, y); }

void Bitmap::drawPart(HDC target, const RECT& part, int dx, int dy) const {
    HDC source = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(source, handle_);
    ::BitBlt(target, part.left + dx, part.top + dy, part.right - part.left, part.bottom - part.top, source, part.left,
             part.top, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

IWICImagingFactory& imagingFactory() {
    static ComPtr<IWICImagingFactory> factory = [] {
        ComPtr<IWICImagingFactory> made;
        if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      made.putVoid()))) {
            throw std::runtime_error("the Windows Imaging Component cannot be started");
        }
        return made;
    }();
    return *factory.get();
}

const Bitmap& Skin::picture(std::string_view name) const { return *load(name); }

Picture Skin::sliderPicture(std::string_view name) const {
    std::shared_ptr<const Bitmap> bitmap = load(name);
    const int width = bitmap->width();
    const int height = bitmap->height();
    return Picture{std::make_shared<BitmapPicture>(std::move(bitmap)), width, height};
}

std::shared_ptr<const Bitmap> Skin::load(std::string_view fullName) const {
    const std::string_view name = resourceName(fullName);
    if (auto found = pictures_.find(name); found != pictures_.end()) return found->second;

    const std::wstring wideName = widen(name);
    HRSRC resource = ::FindResourceW(nullptr, wideName.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
    auto* bytes = static_cast<BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!bytes) throw std::runtime_error("the picture " + std::string(name) + " is not in the program");

    IWICImagingFactory& factory = imagingFactory();
    ComPtr<IWICStream> stream;
    check(factory.CreateStream(stream.put()), "read", name);
    check(stream->InitializeFromMemory(bytes, ::SizeofResource(nullptr, resource)), "read", name);
    ComPtr<IWICBitmapDecoder> decoder;
    check(factory.CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put()),
          "decoded", name);
    ComPtr<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.put()), "decoded", name);
    ComPtr<IWICBitmapSource> converted;
    check(::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), converted.put()), "converted", name);
    UINT width = 0;
    UINT height = 0;
    check(converted->GetSize(&width, &height), "measured", name);

    auto bitmap = std::make_shared<Bitmap>(static_cast<int>(width), static_cast<int>(height));
    check(converted->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(bitmap->pixels())),
          "decoded", name);
    pictures_.emplace(std::string(name), bitmap);
    return bitmap;
}

const Bitmap* bitmapOf(const Picture& picture) {
    const auto* held = dynamic_cast<const BitmapPicture*>(picture.data.get());
    return held ? held->bitmap.get() : nullptr;
}

}  // namespace quorvane::win32
