// The clock: composing the strip for one layout, and one tick's Paint of the
// eleven tiles into a stand-in window surface. Reported in microseconds
// against a limit; there is no peer.
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

// A clock built from the shipped face and figure sheet. The clock opens them
// by bare name, so they are copied into the scratch folder and the body is
// built from there.
struct Clock {
  std::unique_ptr<ClockMain> body;
  std::string error;

  Clock() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path assets = fs::path(HORLIN_SOURCE_DIR) / "assets";
    for (const char* name : {"KL_Face.bmp", "KL_Figs.dat"}) {
      fs::copy_file(assets / name, fs::path(ScratchDir()) / name, fs::copy_options::overwrite_existing, ec);
      if (ec) {
        error = std::string("cannot copy ") + name + ": " + ec.message();
        return;
      }
    }
    const fs::path home = fs::current_path();
    fs::current_path(ScratchDir());
    body = std::make_unique<ClockMain>(nullptr, nullptr);
    HRGN shape = nullptr;
    const int failed = body->Create(&shape, "KL_Face.bmp", "KL_Figs.dat", 0);
    if (shape != nullptr) DeleteObject(shape);
    fs::current_path(home);
    if (failed) error = "ClockMain::Create failed";
  }
};

// Whether every tile on the surface shows the strip row its slot's value picks.
bool ShowsTime(const ClockMain& clock, HDC surface) {
  const ZEMADisplayFCDIB& strip = *clock.Strip;
  const PixelPlane rows = TopDown(strip);
  for (int i = 0; i < kSlotCount; ++i) {
    const POINT at = TilePos[clock.Layout][i];
    const SIZE size = TileSize[i];
    for (int y = 0; y < size.cy; ++y) {
      const unsigned char* p = rows.first + (at.y + y + kFaceHeight * clock.Time.Value[i]) * rows.stride + at.x * 3;
      for (int x = 0; x < size.cx; ++x, p += 3) {
        const DWORD want = p[0] | p[1] << 8 | p[2] << 16;
        if (shim::GetSurfacePixel(surface, at.x + x, at.y + y) != want) return false;
      }
    }
  }
  return true;
}

void Register() {
  AddOurs("ClockMain_Compose_layout0", "clock", [](benchmark::State& state) {
    Clock clock;
    if (!clock.error.empty()) return Fail(state, clock.error);
    for (auto _ : state) {
      const int failed = clock.body->Compose(0);
      benchmark::DoNotOptimize(failed);
      benchmark::ClobberMemory();
      if (failed) return Fail(state, "Compose failed");
    }
    state.counters["limit_us"] = kComposeLimitUs;
  })->Unit(benchmark::kMicrosecond);

  AddOurs("ClockMain_Paint_11_tiles", "clock", [](benchmark::State& state) {
    Clock clock;
    if (!clock.error.empty()) return Fail(state, clock.error);
    // 09:05:00.250 on Friday 3 July 2026: tiles from many different rows.
    SYSTEMTIME now = {};
    now.wYear = 2026;
    now.wMonth = 7;
    now.wDayOfWeek = 5;
    now.wDay = 3;
    now.wHour = 9;
    now.wMinute = 5;
    now.wMilliseconds = 250;
    shim::SetLocalTimeOverride(&now);
    HDC surface = shim::CreateSurfaceDC(kFaceWidth, kFaceHeight);
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
    state.counters["limit_us"] = kPaintLimitUs;
  })->Unit(benchmark::kMicrosecond);
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
