// The clock body: loading the skin and the figure sheet, composing the strip
// of ten pre-rendered face rows, and copying eleven tiles of it per tick.
#include "ClockMain.h"

#include "FaceTables.h"
#include "FileHandle.h"
#include "GuardedStep.h"
#include "Messages.h"
#include "ShowMessage.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr unsigned long kRequiredVersion = 0x100;  // the library interface the clock is written for
constexpr int kColor24 = 3;
constexpr int kColor32 = 4;
constexpr long kPixelsPerMetre = 96;
// Every channel is copied when recolouring a figure except its alpha, which
// holds the glyph's coverage.
constexpr int kKeepCoverage = KEEP_ALPHA;

void ShowFailure(HWND owner, const char* text) { horlin::ShowMessage(owner, text, horlin::kErrorCaption, MB_OK); }

bool ValidLayout(int layout) { return layout >= 0 && layout < kLayoutCount; }

}  // namespace

ClockMain::ClockMain(HWND hWnd_, HINSTANCE hInstance_)
    : hWnd(hWnd_), hInstance(hInstance_), Skin(nullptr), Strip(nullptr), Figures(nullptr), Layout(0), Time() {}

ClockMain::~ClockMain() {
  delete Skin;
  delete Strip;
  delete Figures;
}

int ClockMain::Create(HRGN* Shape, const char* FaceFile, const char* FigureFile, int Layout_) {
  // The outline is made first and handed back even if a later step fails.
  HRGN region = CreateShape(Layout_);
  if (Shape != nullptr)
    *Shape = region;
  else if (region != nullptr)
    DeleteObject(region);

  if (LoadSkin(FaceFile) != 0) return 1;
  if (LoadFigures(FigureFile) != 0) return 1;
  if (Compose(Layout_) != 0) return 1;
  Layout = Layout_;
  return 0;
}

int ClockMain::LoadSkin(const char* FileName) {
  delete Skin;
  Skin = nullptr;
  // Skin stays null when the step raises.
  if (!horlin::GuardedStep([&] {
        // The library takes a writable name; it only reads it.
        std::vector<char> name;
        if (FileName != nullptr) name.assign(FileName, FileName + std::strlen(FileName) + 1);
        Skin = new ZEMADisplayFCDIB(kRequiredVersion, hWnd, hInstance, name.empty() ? nullptr : name.data(), kColor24,
                                    LANGUAGE_JAPANESE);
      })) {
    ShowFailure(hWnd, horlin::kMsgSkinLoad);
    return 1;
  }
  if (Skin->DisplayError() != 0) return 1;

  // A second load replaces the strip rather than leaking the first one.
  delete Strip;
  Strip = nullptr;
  if (!horlin::GuardedStep([&] {
        Strip = new ZEMADisplayFCDIB(kRequiredVersion, hWnd, hInstance, kFaceWidth, kFaceHeight * kStripRows, kColor24,
                                     kPixelsPerMetre, kPixelsPerMetre, LANGUAGE_JAPANESE);
      })) {
    ShowFailure(hWnd, horlin::kMsgStripCreate);
    return 1;
  }
  return Strip->DisplayError() != 0 ? 1 : 0;
}

int ClockMain::LoadFigures(const char* FileName) {
  delete Figures;
  Figures = nullptr;

  // Owned here so that every return frees it.
  std::unique_ptr<unsigned char[]> buffer;
  if (!horlin::GuardedStep([&] { buffer.reset(new unsigned char[kFigureBytes]); })) {
    ShowFailure(hWnd, horlin::kMsgMemory);
    return 1;
  }

  DWORD got = 0;
  {
    // Closed again before any message is shown.
    horlin::FileHandle file(
        CreateFileA(FileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Ok()) {
      ShowFailure(hWnd, horlin::kMsgDataOpen);
      return 1;
    }
    if (!ReadFile(file.Get(), buffer.get(), kFigureBytes, &got, nullptr)) got = 0;
  }
  if (got < kFigureBytes) {  // bytes after the sheet are never read
    ShowFailure(hWnd, horlin::kMsgDataRead);
    return 1;
  }

  // Figures stays null when the step raises.
  if (!horlin::GuardedStep([&] {
        // The library takes a writable palette; it only reads it.
        unsigned char palette[sizeof FigurePalette];
        std::memcpy(palette, FigurePalette, sizeof palette);
        Figures = new ZEMADisplayFCDIB(kRequiredVersion, hWnd, hInstance, FigureHeader, palette, buffer.get(), kColor32,
                                       LANGUAGE_JAPANESE);
      })) {
    ShowFailure(hWnd, horlin::kMsgObjectCreate);
    return 1;
  }
  buffer.reset();  // the library has copied the pixels into its own memory
  return Figures->DisplayError() != 0 ? 1 : 0;
}

int ClockMain::Compose(int Layout_) {
  if (!ValidLayout(Layout_) || Skin == nullptr || Strip == nullptr || Figures == nullptr) return 1;
  const int L = Layout_;

  // Ten plain faces first; a failure here leaves the old layout in force.
  Skin->SetViewOrigin(POINT{0, 0});
  Skin->SetViewSize(SIZE{kFaceWidth, kFaceHeight});
  for (int r = 0; r < kStripRows; ++r) {
    if (Strip->BltImage(Skin, 0, static_cast<unsigned long>(kFaceHeight * r), SRCCOPY) != 0) return 1;
  }

  // Strip's view origin walks down the rows of the current slot's glyph; the
  // skin's view stays on the glyph's place in the face, and moves 60 rows down
  // to the ink band only while a figure is recoloured from it.
  int j = 0;
  Strip->SetViewOrigin(SlotPos[L][0]);
  Skin->SetViewOrigin(SlotPos[L][0]);
  Skin->SetViewSize(SlotSize[0]);
  for (int k = 0; k < kScriptLength; ++k) {
    const std::int32_t v = FigureScript[k];
    if (v >= 0 && v < kFigureCount) {
      Figures->SetViewOrigin(FigurePos[v]);
      Figures->SetViewSize(SlotSize[j]);
      Skin->MoveView(0, kFaceHeight);
      Figures->CopyImage(Skin, kKeepCoverage);
      Skin->MoveView(0, -kFaceHeight);
      Strip->PutImage(Figures, 0, 0);
      Strip->MoveView(0, kFaceHeight);
    } else if (v == kScriptBlank) {
      Strip->MoveView(0, kFaceHeight);
    } else if (v == kScriptNextSlot) {
      if (++j >= kSlotCount) break;
      Strip->SetViewOrigin(SlotPos[L][j]);
      Skin->SetViewOrigin(SlotPos[L][j]);
      Skin->SetViewSize(SlotSize[j]);
    } else {
      break;
    }
  }
  Layout = L;
  return 0;
}

void ClockMain::Paint(HDC hDC) {
  Time.Update();
  if (Strip == nullptr) return;
  const int L = Layout;
  for (int i = 0; i < kSlotCount; ++i) {
    // The tile of slot i in the strip row that shows value i.
    Strip->SetViewOrigin(TilePos[L][i]);
    Strip->MoveView(0, kFaceHeight * Time.Value[i]);
    Strip->SetViewSize(TileSize[i]);
    Strip->Position = TilePos[L][i];
    Strip->Display(hDC, static_cast<unsigned long>(Strip->Position.x), static_cast<unsigned long>(Strip->Position.y), 0,
                   0, SRCCOPY);
  }
}

HRGN ClockMain::CreateShape(int Layout_) {
  if (!ValidLayout(Layout_)) return nullptr;
  return CreatePolygonRgn(ShapePoints[Layout_], kShapePointCount, WINDING);
}
