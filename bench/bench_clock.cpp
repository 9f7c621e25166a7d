// The clock: composing the strip for one layout, and one tick's Paint of the
// eleven tiles into a stand-in window surface, at 100 % and at larger display
// scales. Reported in microseconds against a limit; there is no peer.
#include "bench_common.h"

#include "ClockMain.h"
#include "FaceTables.h"
#include "winshim.h"

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace bench {
namespace {

constexpr double kComposeLimitUs = 1000;
constexpr double kPaintLimitUs = 20;
// At 400 % the strip is sixteen times the pixels, from the largest artwork.
constexpr double kComposeLargestLimitUs = 10000;
constexpr double kPaintDoubleLimitUs = 50;

// A clock built from the shipped face and figure sheet. The clock opens them
// by bare name, so they are copied into the scratch folder and the body is
// built from there.
struct Clock {
  std::unique_ptr<ClockMain> body;
  std::string error;

  explicit Clock(int dpi = kBaseDpi) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path assets = fs::path(HORLIN_SOURCE_DIR) / "assets";
    // The skin at every size it comes in.
    for (int k = 1; k <= kMaxArtScale; ++k)
      for (const char* base : {kFaceFile, kFigureFile}) {
        const std::string name = ArtFileName(base, k);
        if (k > 1 && !fs::exists(assets / name)) continue;
        fs::copy_file(assets / name, fs::path(ScratchDir()) / name, fs::copy_options::overwrite_existing, ec);
        if (ec) {
          error = "cannot copy " + name + ": " + ec.message();
          return;
        }
      }
    const fs::path home = fs::current_path();
    fs::current_path(ScratchDir());
    body = std::make_unique<ClockMain>(nullptr, nullptr);
    body->Dpi = dpi;
    const int failed = body->Create(nullptr, kFaceFile, kFigureFile, 0);
    fs::current_path(home);
    if (failed) error = "ClockMain::Create failed";
  }
};

// Whether every tile on the surface shows the strip row its slot's value picks.
bool ShowsTime(const ClockMain& clock, HDC surface) {
  const ZEMADisplayFCDIB& strip = *clock.Strip;
  const PixelPlane rows = TopDown(strip);
  const LONG rowHeight = FaceSizeAt(clock.Dpi).cy;
  for (int i = 0; i < kSlotCount; ++i) {
    const RECT tile = TileRectAt(clock.Layout, i, clock.Dpi);
    for (LONG y = tile.top; y < tile.bottom; ++y) {
      const unsigned char* p = rows.first + (y + rowHeight * clock.Time.Value[i]) * rows.stride + tile.left * 3;
      for (LONG x = tile.left; x < tile.right; ++x, p += 3) {
        const DWORD want = p[0] | p[1] << 8 | p[2] << 16;
        if (shim::GetSurfacePixel(surface, x, y) != want) return false;
      }
    }
  }
  return true;
}

void AddCompose(const char* name, int dpi, double limitUs) {
  AddOurs(name, "clock", [dpi, limitUs](benchmark::State& state) {
    Clock clock(dpi);
    if (!clock.error.empty()) return Fail(state, clock.error);
    for (auto _ : state) {
      const int failed = clock.body->Compose(0);
      benchmark::DoNotOptimize(failed);
      benchmark::ClobberMemory();
      if (failed) return Fail(state, "Compose failed");
    }
    state.counters["limit_us"] = limitUs;
  })->Unit(benchmark::kMicrosecond);
}

void AddPaint(const char* name, int dpi, double limitUs) {
  AddOurs(name, "clock", [dpi, limitUs](benchmark::State& state) {
    Clock clock(dpi);
    if (!clock.error.empty()) return Fail(state, clock.error);
    // 09:05:00.250 on Friday 3 July 2026: tiles from many different rows.
    SYSTEMTIME now = {2026, 7, 5, 3, 9, 5, 0, 250};  // year, month, weekday, day, hour, minute, s, ms
    shim::SetLocalTimeOverride(&now);
    const SIZE face = FaceSizeAt(dpi);
    HDC surface = shim::CreateSurfaceDC(face.cx, face.cy);
    clock.body->Paint(surface);
    if (!ShowsTime(*clock.body, surface)) {
      shim::DeleteSurfaceDC(surface);
      shim::SetLocalTimeOverride(nullptr);
      return Fail(state, "Paint did not copy the tiles of the time");
    }
    for (auto _ : state) {
      clock.body->Paint(surface);
      benchmark::ClobberMemory();
    }
    shim::DeleteSurfaceDC(surface);
    shim::SetLocalTimeOverride(nullptr);
    state.counters["limit_us"] = limitUs;
  })->Unit(benchmark::kMicrosecond);
}

void Register() {
  AddCompose("ClockMain_Compose_layout0", kBaseDpi, kComposeLimitUs);
  AddPaint("ClockMain_Paint_11_tiles", kBaseDpi, kPaintLimitUs);
  // 150 % composes from the 2x artwork and area-averages it down; 400 % is
  // the largest artwork as it is; 200 % paints tiles of four times the pixels.
  AddCompose("ClockMain_Compose_layout0_at_150%", 144, kComposeLargestLimitUs);
  AddCompose("ClockMain_Compose_layout0_at_400%", 4 * kBaseDpi, kComposeLargestLimitUs);
  AddPaint("ClockMain_Paint_11_tiles_at_200%", 2 * kBaseDpi, kPaintDoubleLimitUs);
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
