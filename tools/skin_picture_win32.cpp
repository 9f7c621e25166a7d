// Pictures on Windows, through the Windows Imaging Component: every format
// the system decodes (PNG, JPEG, GIF, TIFF, BMP of any header version) in,
// PNG out.
#include <windows.h>

#include <wincodec.h>  // after windows.h, which it builds on

#include <stdexcept>

#include "skin_picture.h"

#include "wide_text.h"

namespace {

// Owns one reference to a COM object.
template <typename T>
class Ref {
 public:
  Ref() = default;
  ~Ref() {
    if (p_ != nullptr) p_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// COM for this thread and the imaging factory, for one reading or writing.
class Imaging {
 public:
  Imaging() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    joined_ = SUCCEEDED(hr);
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) throw std::runtime_error("cannot start COM for the imaging component");
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory_.Out())))) {
      if (joined_) CoUninitialize();
      throw std::runtime_error("the Windows Imaging Component is not available");
    }
  }
  ~Imaging() {
    if (factory_.Get() != nullptr) factory_->Release();
    *factory_.Out() = nullptr;
    if (joined_) CoUninitialize();
  }
  Imaging(const Imaging&) = delete;
  Imaging& operator=(const Imaging&) = delete;
  IWICImagingFactory* operator->() const { return factory_.Get(); }

 private:
  bool joined_ = false;
  Ref<IWICImagingFactory> factory_;
};

}  // namespace

Picture ReadPicture(const std::string& path) {
  const std::wstring widePath = wide::FromUtf8(path);
  const DWORD attributes = GetFileAttributesW(widePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    throw std::runtime_error("the face picture " + path + " does not exist or cannot be opened");
  Imaging wic;
  Ref<IWICBitmapDecoder> decoder;
  Ref<IWICBitmapFrameDecode> frame;
  Ref<IWICBitmapSource> bgra;
  if (FAILED(wic->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            decoder.Out())) ||
      FAILED(decoder->GetFrame(0, frame.Out())))
    throw std::runtime_error("the face picture " + path +
                             " is not a picture Windows can read (PNG, JPEG, GIF, TIFF or BMP)");
  UINT w = 0, h = 0;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), bgra.Out())) ||
      FAILED(bgra->GetSize(&w, &h)) || w == 0 || h == 0)
    throw std::runtime_error("the face picture " + path + " cannot be converted to colour pixels");
  if (static_cast<unsigned long long>(w) * h > (1ULL << 26))
    throw std::runtime_error("the face picture " + path + " is too large (" + std::to_string(w) + " x " +
                             std::to_string(h) + ")");
  std::vector<BYTE> pixels(static_cast<size_t>(w) * h * 4);
  if (FAILED(bgra->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data())))
    throw std::runtime_error("the face picture " + path + " cannot be decoded");
  return OverBlack(static_cast<int>(w), static_cast<int>(h), pixels.data());
}

void WritePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgb) {
  const std::wstring widePath = wide::FromUtf8(path);
  std::vector<BYTE> bgr(rgb.size());
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    bgr[i] = rgb[i + 2];
    bgr[i + 1] = rgb[i + 1];
    bgr[i + 2] = rgb[i];
  }
  Imaging wic;
  Ref<IWICStream> stream;
  Ref<IWICBitmapEncoder> encoder;
  Ref<IWICBitmapFrameEncode> frame;
  Ref<IPropertyBag2> options;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  const bool ok = SUCCEEDED(wic->CreateStream(stream.Out())) &&
                  SUCCEEDED(stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE)) &&
                  SUCCEEDED(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
                  SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
                  SUCCEEDED(encoder->CreateNewFrame(frame.Out(), options.Out())) &&
                  SUCCEEDED(frame->Initialize(options.Get())) &&
                  SUCCEEDED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))) &&
                  SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
                  SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), static_cast<UINT>(w) * 3,
                                               static_cast<UINT>(bgr.size()), bgr.data())) &&
                  SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  if (!ok) throw std::runtime_error("cannot write " + path);
}
