// Test controls of the Linux Win32 stand-in. Production code never includes
// this header; tests use it to capture message boxes, fix the clock, stand in
// for a window's client area and make platform calls fail on request.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace shim {

// Message boxes: while a hook is installed, MessageBoxA calls it instead of
// printing; its result is MessageBoxA's result.
using MessageBoxHook = std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);  // an empty hook restores printing

// The text of a code page 932 string as UTF-8 (what MessageBoxA prints).
std::string Cp932ToUtf8(const char* text);

// GetLocalTime returns this time while it is set (nullptr: the real local time).
void SetLocalTimeOverride(const SYSTEMTIME* time);

// The next `count` CreateDIBSection calls fail, as when memory runs out.
void FailNextDIBSections(int count);
// The next `count` WriteFile calls fail without writing, as on a full disk.
void FailNextFileWrites(int count);
// The next `count` MoveFileExA calls fail and leave both files as they were,
// as when another program holds the target open.
void FailNextFileMoves(int count);

// A device context with its own 32-bit surface, standing for a window's client
// area: blits into it draw, blits out of it read what it shows. Pixels are
// 0x00RRGGBB; (0, 0) is the top-left one.
HDC CreateSurfaceDC(int width, int height);
void DeleteSurfaceDC(HDC dc);
DWORD GetSurfacePixel(HDC dc, int x, int y);
void SetSurfacePixel(HDC dc, int x, int y, DWORD rgb);

// Live counts, so tests can see that every bitmap, region and device context
// made was released again.
int LiveGdiObjects();
int LiveDCs();
int OpenFiles();

}  // namespace shim
