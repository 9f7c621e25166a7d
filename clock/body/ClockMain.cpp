// The clock body: loading the skin and the figure sheet, composing the strip
// of ten pre-rendered face rows, and copying eleven tiles of it per tick.
#include "ClockMain.h"

#include "FaceTables.h"
#include "GuardedStep.h"
#include "Messages.h"
#include "file_handle.h"
#include "gdi_owners.h"
#include "message_box.h"

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

void ShowFailure(HWND owner, const char* text) { boxes::ShowCp932(owner, text, horlin::kErrorCaption, MB_OK); }

bool ValidLayout(int layout) { return layout >= 0 && layout < kLayoutCount; }

}  // namespace

ClockMain::ClockMain(HWND hWnd_, HINSTANCE hInstance_)
    : hWnd(hWnd_),
      hInstance(hInstance_),
      Skin(nullptr),
      Strip(nullptr),
      Figures(nullptr),
      Layout(0),
      Time(),
      Dpi(kBaseDpi),
      ArtScale(1),
      ArtSkin(nullptr),
      ArtFigures(nullptr),
      UnusableSizes(0) {}

ClockMain::~ClockMain() {
  delete Skin;
  delete Strip;
  delete Figures;
  delete ArtSkin;
  delete ArtFigures;
}

int ClockMain::Create(HRGN* Shape, const char* FaceFile, const char* FigureFile, int Layout_) {
  // The outline is made first and handed back even if a later step fails.
  gdi::Owned<HRGN> region(CreateShape(Layout_));
  if (Shape != nullptr) *Shape = region.Release();

  faceFile_ = FaceFile != nullptr ? FaceFile : "";
  figureFile_ = FigureFile != nullptr ? FigureFile : "";
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
    files::FileHandle file(FileName, files::FileHandle::kRead);
    if (!file.IsOpen()) {
      ShowFailure(hWnd, horlin::kMsgDataOpen);
      return 1;
    }
    got = static_cast<DWORD>(file.ReadUpTo(buffer.get(), kFigureBytes));
  }
  if (got < kFigureBytes) {  // bytes after the sheet are never read
    ShowFailure(hWnd, horlin::kMsgDataRead);
    return 1;
  }

  // Figures stays null when the step raises.
  if (!horlin::GuardedStep([&] { Figures = NewFigureSheet(1, buffer.get()); })) {
    ShowFailure(hWnd, horlin::kMsgObjectCreate);
    return 1;
  }
  buffer.reset();  // the library has copied the pixels into its own memory
  return Figures->DisplayError() != 0 ? 1 : 0;
}

int ClockMain::Compose(int Layout_) {
  if (!ValidLayout(Layout_) || Skin == nullptr || Strip == nullptr || Figures == nullptr) return 1;

  // The artwork to compose from: at 96 DPI the 1x files, straight into the
  // 360 x 600 strip the skin's loading made. A larger size that cannot be
  // read is left out, and the choice made again among the sizes that remain;
  // the 1x files are always there.
  int k = ChooseArtScale();
  while (k > 1 && k != ArtScale && !LoadArt(k)) {
    UnusableSizes |= 1u << k;
    k = ChooseArtScale();
  }
  ZEMADisplayFCDIB* face = k == 1 ? Skin : ArtSkin;
  ZEMADisplayFCDIB* sheet = k == 1 ? Figures : ArtFigures;

  // A strip of another size (the scale changed) is built aside and replaces
  // the old one only when done, so a failure leaves the old strip, layout and
  // scale in force; a strip of the right size is composed in place.
  const SIZE size = FaceSizeAt(Dpi);
  const bool fits =
      Strip->BitmapInfo.bmiHeader.biWidth == size.cx && Strip->BitmapInfo.bmiHeader.biHeight == size.cy * kStripRows;
  std::unique_ptr<ZEMADisplayFCDIB> strip(fits ? nullptr : NewStrip(size.cx, size.cy * kStripRows));
  if (!fits && strip == nullptr) return 1;
  ZEMADisplayFCDIB* target = fits ? Strip : strip.get();

  if (kBaseDpi * k == Dpi) {
    // Artwork made for this size is used as it is.
    if (ComposeRows(target, face, sheet, k, Layout_) != 0) return 1;
  } else {
    std::unique_ptr<ZEMADisplayFCDIB> composed(NewStrip(kFaceWidth * k, kFaceHeight * k * kStripRows));
    if (composed == nullptr || ComposeRows(composed.get(), face, sheet, k, Layout_) != 0) return 1;
    // Each row on its own, so that no row's edge bleeds into its neighbour.
    // (A view's size is clamped at its origin, so the origin goes first.)
    for (int r = 0; r < kStripRows; ++r) {
      composed->SetViewOrigin(POINT{0, kFaceHeight * k * r});
      composed->SetViewSize(SIZE{kFaceWidth * k, kFaceHeight * k});
      target->SetViewOrigin(POINT{0, size.cy * r});
      target->SetViewSize(size);
      if (target->StretchImage(composed.get(), 1) != 0) return 1;
    }
  }
  if (strip != nullptr) {
    delete Strip;
    Strip = strip.release();
  }
  Layout = Layout_;
  return 0;
}

int ClockMain::ChooseArtScale() const {
  int largest = 1;
  for (int k = 1; k <= kMaxArtScale; ++k) {
    if (k > 1 && (UnusableSizes & (1u << k)) != 0) continue;
    if (kBaseDpi * k >= Dpi) return k;
    largest = k;
  }
  return largest;
}

bool ClockMain::LoadArt(int k) {
  std::string faceName = ArtFileName(faceFile_, k);
  const std::string sheetName = ArtFileName(figureFile_, k);

  std::unique_ptr<ZEMADisplayFCDIB> face, sheet;
  std::unique_ptr<unsigned char[]> bytes;
  const DWORD byteCount = FigureBytesAt(k);
  if (!horlin::GuardedStep([&] {
        face.reset(new ZEMADisplayFCDIB(kRequiredVersion, hWnd, hInstance, &faceName[0], kColor24, LANGUAGE_JAPANESE));
        bytes.reset(new unsigned char[byteCount]);
      }))
    return false;
  // The face and the whole ink band must be there: a larger size has no
  // reason to be smaller than it says.
  if (face->ErrorCode != ERR_NONE || face->BitmapInfo.bmiHeader.biWidth < kFaceWidth * k ||
      face->BitmapInfo.bmiHeader.biHeight < 2 * kFaceHeight * k)
    return false;

  {
    files::FileHandle file(sheetName.c_str(), files::FileHandle::kRead);
    if (!file.ReadAll(bytes.get(), byteCount)) return false;
  }
  if (!horlin::GuardedStep([&] { sheet.reset(NewFigureSheet(k, bytes.get())); }) || sheet->ErrorCode != ERR_NONE)
    return false;

  delete ArtSkin;
  delete ArtFigures;
  ArtSkin = face.release();
  ArtFigures = sheet.release();
  ArtScale = k;
  return true;
}

ZEMADisplayFCDIB* ClockMain::NewFigureSheet(int k, unsigned char* Bytes) {
  // The library takes a writable palette; it only reads it, and copies the
  // pixels into its own memory.
  unsigned char palette[sizeof FigurePalette];
  std::memcpy(palette, FigurePalette, sizeof palette);
  return new ZEMADisplayFCDIB(kRequiredVersion, hWnd, hInstance, FigureHeaderAt(k), palette, Bytes, kColor32,
                              LANGUAGE_JAPANESE);
}

ZEMADisplayFCDIB* ClockMain::NewStrip(int Width, int Height) {
  ZEMADisplayFCDIB* image = nullptr;
  if (!horlin::GuardedStep([&] {
        image = new ZEMADisplayFCDIB(kRequiredVersion, hWnd, hInstance, static_cast<unsigned>(Width),
                                     static_cast<unsigned>(Height), kColor24, kPixelsPerMetre, kPixelsPerMetre,
                                     LANGUAGE_JAPANESE);
      })) {
    ShowFailure(hWnd, horlin::kMsgStripCreate);
    return nullptr;
  }
  if (image->DisplayError() != 0) {
    delete image;
    return nullptr;
  }
  return image;
}

int ClockMain::ComposeRows(ZEMADisplayFCDIB* Target, ZEMADisplayFCDIB* Face, ZEMADisplayFCDIB* Sheet, int k,
                           int Layout_) {
  const int faceHeight = kFaceHeight * k;
  const auto scaled = [k](POINT p) { return POINT{p.x * k, p.y * k}; };
  const auto scaledSize = [k](SIZE s) { return SIZE{s.cx * k, s.cy * k}; };

  // Ten plain faces first; a failure here leaves the old layout in force.
  Face->SetViewOrigin(POINT{0, 0});
  Face->SetViewSize(SIZE{kFaceWidth * k, faceHeight});
  for (int r = 0; r < kStripRows; ++r) {
    if (Target->BltImage(Face, 0, static_cast<unsigned long>(faceHeight * r), SRCCOPY) != 0) return 1;
  }

  // Each figure is recoloured with the ink one face height below its glyph's
  // place in the face, then laid over that place in its strip row. (A view's
  // size is clamped at its origin, so the origin goes first.)
  WalkFigureScript([&](int slot, int row, int figure) {
    const POINT glyph = scaled(SlotPos[Layout_][slot]);
    const SIZE size = scaledSize(SlotSize[slot]);
    Sheet->SetViewOrigin(scaled(FigurePos[figure]));
    Sheet->SetViewSize(size);
    Face->SetViewOrigin(POINT{glyph.x, glyph.y + faceHeight});
    Face->SetViewSize(size);
    Sheet->CopyImage(Face, kKeepCoverage);
    Target->SetViewOrigin(POINT{glyph.x, glyph.y + faceHeight * row});
    Target->PutImage(Sheet, 0, 0);
  });
  return 0;
}

void ClockMain::Paint(HDC hDC) {
  Time.Update();
  if (Strip == nullptr) return;
  const LONG rowHeight = FaceSizeAt(Dpi).cy;
  for (int i = 0; i < kSlotCount; ++i) {
    // The tile of slot i in the strip row that shows value i.
    const RECT tile = TileRectAt(Layout, i, Dpi);
    Strip->SetViewOrigin(POINT{tile.left, tile.top});
    Strip->MoveView(0, rowHeight * Time.Value[i]);
    Strip->SetViewSize(SIZE{tile.right - tile.left, tile.bottom - tile.top});
    Strip->Position = POINT{tile.left, tile.top};
    Strip->Display(hDC, static_cast<unsigned long>(Strip->Position.x), static_cast<unsigned long>(Strip->Position.y), 0,
                   0, SRCCOPY);
  }
}

HRGN ClockMain::CreateShape(int Layout_) {
  if (!ValidLayout(Layout_)) return nullptr;
  POINT points[kShapePointCount];
  for (int i = 0; i < kShapePointCount; ++i)
    points[i] = POINT{ScaleToDpi(ShapePoints[Layout_][i].x, Dpi), ScaleToDpi(ShapePoints[Layout_][i].y, Dpi)};
  return CreatePolygonRgn(points, kShapePointCount, WINDING);
}
