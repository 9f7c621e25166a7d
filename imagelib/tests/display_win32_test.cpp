// Display into a real window: a straight copy of a 24-bit view and a blend of
// a 32-bit image with per-pixel alpha over what the window showed. The window
// is read back through a DIB section; on a true-colour screen the comparison
// is exact.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using testing_support::ImagePtr;
using testing_support::MakeImage;
using testing_support::PixelAt;
using testing_support::Rng;

namespace {

constexpr int kW = 64, kH = 48;

// A borderless visible popup whose client area nothing else paints: no
// background brush, and painting only validates.
class TestWindow {
 public:
  TestWindow() {
    static const ATOM cls = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "PixolanDisplayTest";
      return RegisterClassA(&wc);
    }();
    (void)cls;
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, "PixolanDisplayTest", "", WS_POPUP | WS_VISIBLE, 40, 30, kW, kH, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(hwnd_);
    Pump();
  }
  ~TestWindow() { DestroyWindow(hwnd_); }
  HWND Get() const { return hwnd_; }

  void Pump() {
    MSG msg;
    for (int round = 0; round < 5; ++round) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(20);
    }
  }

  // Paints 0x00RRGGBB pixels, top row first, over the whole client area.
  void Paint(const std::vector<std::uint32_t>& rgb) {
    BITMAPINFO bi = Info();
    HDC dc = GetDC(hwnd_);
    SetDIBitsToDevice(dc, 0, 0, kW, kH, 0, 0, 0, kH, rgb.data(), &bi, DIB_RGB_COLORS);
    GdiFlush();
    ReleaseDC(hwnd_, dc);
  }

  // What the client area shows, as 0x00RRGGBB, top row first.
  std::vector<std::uint32_t> Read() {
    BITMAPINFO bi = Info();
    void* bits = nullptr;
    HDC dc = GetDC(hwnd_);
    HBITMAP section = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, section);
    BitBlt(mem, 0, 0, kW, kH, dc, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<std::uint32_t> out(static_cast<const std::uint32_t*>(bits),
                                   static_cast<const std::uint32_t*>(bits) + kW * kH);
    for (auto& p : out) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(section);
    ReleaseDC(hwnd_, dc);
    return out;
  }

 private:
  static BITMAPINFO Info() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kW;
    bi.bmiHeader.biHeight = -kH;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
  }
  HWND hwnd_;
};

std::vector<std::uint32_t> RandomPicture(std::uint32_t seed) {
  Rng rng(seed);
  std::vector<std::uint32_t> out(kW * kH);
  for (auto& p : out) p = rng.Next() & 0xFFFFFF;
  return out;
}

// Image pixel `px` over the window colour `rgb` with no global transparency.
std::uint32_t Expected(const std::vector<unsigned char>& px, std::uint32_t rgb) {
  std::uint32_t out = px[0] | px[1] << 8 | px[2] << 16;
  if (px.size() == 4) {
    out = 0;
    const std::int64_t K = (255 - px[3]) * std::int64_t{256};
    for (int c = 0; c < 3; ++c) {
      const std::int64_t d = (rgb >> (8 * c)) & 0xFF, s = px[c];
      out |= static_cast<std::uint32_t>((d * 65280 + (s - d) * K + 32640) / 65280) << (8 * c);
    }
  }
  return out;
}

void ExpectDrawn(const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& after,
                 const ZEMADisplayFCDIB& img, long ox, long oy, long w, long h, int dx, int dy) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const std::uint32_t was = before[y * kW + x];
      const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h;
      const std::uint32_t want = inside ? Expected(PixelAt(img, ox + x - dx, oy + y - dy), was) : was;
      ASSERT_EQ(after[y * kW + x], want) << x << "," << y;
    }
}

TEST(DisplayOnWindow, DirectCopyOfA24BitView) {
  TestWindow win;
  win.Paint(RandomPicture(1));
  const auto before = win.Read();
  ImagePtr img = MakeImage(31, 21, 24);
  testing_support::FillRandom(*img, 2);
  img->SetViewOrigin(POINT{5, 3});
  img->SetViewSize(SIZE{20, 15});
  HDC dc = GetDC(win.Get());
  ASSERT_EQ(img->Display(dc, 9, 11, 0, 0, SRCCOPY), ERR_NONE);
  GdiFlush();
  ReleaseDC(win.Get(), dc);
  EXPECT_EQ(img->Background, nullptr);
  ExpectDrawn(before, win.Read(), *img, 5, 3, 20, 15, 9, 11);
}

TEST(DisplayOnWindow, CompositedPerPixelAlpha) {
  TestWindow win;
  win.Paint(RandomPicture(3));
  const auto before = win.Read();
  ImagePtr img = MakeImage(27, 19, 32);
  testing_support::FillRandom(*img, 4);
  // Some pixels fully opaque and some invisible, besides random alphas.
  Rng rng(5);
  for (long y = 0; y < 19; ++y)
    for (long x = 0; x < 27; ++x) {
      const int pick = rng.Below(4);
      if (pick < 2) img->Bits[(18 - y) * 108 + x * 4 + 3] = pick == 0 ? 0 : 255;
    }
  HDC dc = GetDC(win.Get());
  ASSERT_EQ(img->Display(dc, 30, 20, 0, 1, SRCCOPY), ERR_NONE);
  GdiFlush();
  ReleaseDC(win.Get(), dc);
  ASSERT_NE(img->Background, nullptr);
  ExpectDrawn(before, win.Read(), *img, 0, 0, 27, 19, 30, 20);
}

}  // namespace
