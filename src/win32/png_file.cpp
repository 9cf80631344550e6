#include "win32/png_file.hpp"

#include <wincodec.h>

#include "win32/com_ptr.hpp"
#include "win32/skin.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

bool savePng(const Bitmap& bitmap, const std::string& fileName) {
    IWICImagingFactory& factory = imagingFactory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(factory.CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(widen(fileName).c_str(), GENERIC_WRITE)) ||
        FAILED(factory.CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr))) {
        return false;
    }
    const auto width = static_cast<UINT>(bitmap.width());
    const auto height = static_cast<UINT>(bitmap.height());
    // What GDI draws leaves the fourth byte of each pixel as it pleases: the
    // picture is written without it.
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    if (FAILED(frame->SetSize(width, height)) || FAILED(frame->SetPixelFormat(&format))) return false;
    if (format != GUID_WICPixelFormat32bppBGR) {
        // The encoder wants another layout: let WIC convert the pixels.
        ComPtr<IWICBitmap> source;
        ComPtr<IWICBitmapSource> converted;
        if (FAILED(factory.CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGR, width * 4,
                                                  width * height * 4, static_cast<BYTE*>(bitmap.pixels()),
                                                  source.put())) ||
            FAILED(::WICConvertBitmapSource(format, source.get(), converted.put())) ||
            FAILED(frame->WriteSource(converted.get(), nullptr))) {
            return false;
        }
    } else if (FAILED(frame->WritePixels(height, width * 4, width * height * 4, static_cast<BYTE*>(bitmap.pixels())))) {
        return false;
    }
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace quorvane::win32
