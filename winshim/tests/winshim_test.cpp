// The stand-in does what the library and the clock rely on: exact-size zeroed
// sections, clipped and converting blits, files with Windows' short-read
// rules, replacements in one step, and failures on request.
#include <windows.h>
#include <winshim.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HBITMAP MakeSection(int w, int h, int bits, unsigned char** mem) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits);
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
  *mem = static_cast<unsigned char*>(p);
  return b;
}

TEST(WinShimGdi, SectionsAreZeroedAndFailOnRequest) {
  unsigned char* mem = nullptr;
  HBITMAP b = MakeSection(5, 3, 24, &mem);
  ASSERT_NE(b, nullptr);
  for (int i = 0; i < 16 * 3; ++i) EXPECT_EQ(mem[i], 0) << i;  // stride 16
  EXPECT_EQ(shim::LiveGdiObjects(), 1);
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_EQ(shim::LiveGdiObjects(), 0);

  shim::FailNextDIBSections(1);
  EXPECT_EQ(MakeSection(5, 3, 24, &mem), nullptr);
  EXPECT_EQ(mem, nullptr);
  b = MakeSection(5, 3, 24, &mem);
  EXPECT_NE(b, nullptr);
  DeleteObject(b);
}

TEST(WinShimGdi, BlitClipsToBothBitmapsAndConvertsDepth) {
  unsigned char *src = nullptr, *dst = nullptr;
  HBITMAP s = MakeSection(4, 4, 32, &src);  // bottom-up, stride 16
  HBITMAP d = MakeSection(3, 3, 24, &dst);  // bottom-up, stride 12
  // Source pixel (x, y) from the top holds (x, y, 7, 9).
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      unsigned char* p = src + (3 - y) * 16 + x * 4;
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = 7;
      p[3] = 9;
    }
  HDC sdc = CreateCompatibleDC(nullptr), ddc = CreateCompatibleDC(nullptr);
  SelectObject(sdc, s);
  SelectObject(ddc, d);
  // Asked for 10 x 10 from (2, 1) to (1, 0): only 2 columns and 2 rows fit
  // both the source (x 2..3) and the destination (x 1..2, y 0..1) — rows 3
  // onwards of the source are past its end.
  EXPECT_TRUE(BitBlt(ddc, 1, 0, 10, 10, sdc, 2, 2, SRCCOPY));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      const unsigned char* p = dst + (2 - y) * 12 + x * 3;
      bool inside = x >= 1 && y <= 1;
      EXPECT_EQ(p[0], inside ? x + 1 : 0) << x << "," << y;
      EXPECT_EQ(p[1], inside ? y + 2 : 0) << x << "," << y;
      EXPECT_EQ(p[2], inside ? 7 : 0);
    }
  // 24 -> 32: the fourth byte receives 0.
  EXPECT_TRUE(BitBlt(sdc, 0, 0, 3, 3, ddc, 0, 0, SRCCOPY));
  EXPECT_EQ(src[3 * 16 + 3], 0);       // (0, 0) alpha cleared
  EXPECT_EQ(src[3 * 16 + 12 + 3], 9);  // (3, 0) outside the copy keeps its alpha
  // A bitmap still selected cannot be deleted; deleting the context frees it.
  EXPECT_FALSE(DeleteObject(s));
  DeleteDC(sdc);
  DeleteDC(ddc);
  EXPECT_TRUE(DeleteObject(s));
  EXPECT_TRUE(DeleteObject(d));
  EXPECT_EQ(shim::LiveDCs(), 0);
}

TEST(WinShimGdi, PolygonRegionHoldsPixelsWhoseCentreIsInside) {
  const POINT pts[] = {{0, 0}, {10, 0}, {10, 4}, {0, 4}};
  HRGN r = CreatePolygonRgn(pts, 4, WINDING);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, 0, 0));
  EXPECT_TRUE(PtInRegion(r, 9, 3));
  EXPECT_FALSE(PtInRegion(r, 10, 3));
  EXPECT_FALSE(PtInRegion(r, 9, 4));
  EXPECT_FALSE(PtInRegion(r, -1, 0));
  EXPECT_TRUE(DeleteObject(r));
}

TEST(WinShimFiles, ShortReadsAndSeeks) {
  std::string path = ::testing::TempDir() + "winshim_file.bin";
  HANDLE w = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(w, "abcdef", 6, &n, nullptr));
  EXPECT_EQ(n, 6u);
  CloseHandle(w);

  HANDLE r = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(r, INVALID_HANDLE_VALUE);
  char buf[16] = {};
  EXPECT_EQ(SetFilePointer(r, 4, nullptr, FILE_BEGIN), 4u);
  EXPECT_TRUE(ReadFile(r, buf, 10, &n, nullptr));
  EXPECT_EQ(n, 2u);  // the file ends: a short count, not a failure
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(SetFilePointer(r, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(shim::OpenFiles(), 1);
  CloseHandle(r);
  EXPECT_EQ(shim::OpenFiles(), 0);

  EXPECT_EQ(CreateFileA((path + ".missing").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(::testing::TempDir().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  std::remove(path.c_str());
}

TEST(WinShimFiles, AttributesReplacementsAndFailuresOnRequest) {
  const std::string dir = ::testing::TempDir(), from = dir + "winshim_from.bin", to = dir + "winshim_to.bin";
  auto put = [](const std::string& path, const char* text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD n = 0;
    const BOOL ok = WriteFile(f, text, static_cast<DWORD>(std::strlen(text)), &n, nullptr);
    EXPECT_TRUE(FlushFileBuffers(f));
    CloseHandle(f);
    return ok;
  };
  auto held = [](const std::string& path) {
    char buf[8] = {};
    DWORD n = 0;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ReadFile(f, buf, sizeof buf - 1, &n, nullptr);
    CloseHandle(f);
    return std::string(buf, n);
  };
  ASSERT_TRUE(put(to, "old"));
  EXPECT_EQ(GetFileAttributesA(to.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA((to + ".missing").c_str()), INVALID_FILE_ATTRIBUTES);

  shim::FailNextFileWrites(1);
  EXPECT_FALSE(put(from, "new"));
  EXPECT_EQ(held(from), "");
  ASSERT_TRUE(put(from, "new"));
  shim::FailNextFileMoves(1);
  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(held(to), "old");
  EXPECT_TRUE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(held(to), "new");
  EXPECT_EQ(GetFileAttributesA(from.c_str()), INVALID_FILE_ATTRIBUTES);

  ::chmod(to.c_str(), 0444);
  EXPECT_EQ(GetFileAttributesA(to.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(DeleteFileA(to.c_str()));
  EXPECT_FALSE(DeleteFileA(to.c_str()));
  EXPECT_EQ(shim::OpenFiles(), 0);
}

TEST(WinShimUser, MessageBoxesReachTheHookOrStderrAsUtf8) {
  std::string seen;
  shim::SetMessageBoxHook([&](HWND, const char* text, const char*, UINT type) {
    seen = text;
    EXPECT_EQ(type, MB_OK | MB_ICONERROR);
    return IDOK;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "hello", "cap", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(seen, "hello");
  shim::SetMessageBoxHook(nullptr);
  // "エラー" in code page 932.
  EXPECT_EQ(shim::Cp932ToUtf8("\x83\x47\x83\x89\x81\x5b"), "\xe3\x82\xa8\xe3\x83\xa9\xe3\x83\xbc");
  ::testing::internal::CaptureStderr();
  MessageBoxA(nullptr, "\x83\x47\x83\x89\x81\x5b", "Cap", MB_OK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[Cap] \xe3\x82\xa8\xe3\x83\xa9\xe3\x83\xbc\n");
}

TEST(WinShimKernel, LocalTimeCanBeFixed) {
  SYSTEMTIME fixed{2026, 7, 5, 3, 9, 5, 0, 499};
  shim::SetLocalTimeOverride(&fixed);
  SYSTEMTIME t{};
  GetLocalTime(&t);
  EXPECT_EQ(std::memcmp(&t, &fixed, sizeof t), 0);
  shim::SetLocalTimeOverride(nullptr);
  GetLocalTime(&t);
  EXPECT_GE(t.wYear, 2024);
  EXPECT_LT(t.wMilliseconds, 1000);
}

}  // namespace
