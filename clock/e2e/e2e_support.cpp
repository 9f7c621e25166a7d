#include "e2e_support.h"

#include "wide_text.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "ClockMain.h"
#include "FaceTables.h"
#include "Messages.h"
#include "ProbeShared.h"
#include "gdi_owners.h"

namespace e2e {

namespace {

// A 32-bit top-down DIB section selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  bool Ok() const { return old_ != nullptr; }
  HDC Dc() const { return dc_; }
  Pixels Take() const {
    GdiFlush();
    Pixels out(static_cast<size_t>(width_) * height_);
    const DWORD* p = static_cast<const DWORD*>(bits_);
    for (size_t i = 0; i < out.size(); ++i) out[i] = p[i] & 0x00FFFFFF;
    return out;
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

struct FindArgs {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* title;  // null: any
  HWND found;
};

BOOL CALLBACK FindEnum(HWND hwnd, LPARAM param) {
  FindArgs* args = reinterpret_cast<FindArgs*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != args->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t cls[256] = {};
  GetClassNameW(hwnd, cls, 256);
  if (lstrcmpW(cls, args->className) != 0) return TRUE;
  if (args->title) {
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (lstrcmpW(title, args->title) != 0) return TRUE;
  }
  args->found = hwnd;
  return FALSE;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  return text;
}

}  // namespace

std::wstring ProgramDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring AssetDir() { return ProgramDir() + L"\\e2e-assets"; }

int ScreenDpi() { return GetDeviceCaps(gdi::ScreenDC().Get(), LOGPIXELSX); }

std::vector<std::wstring> AssetFiles() {
  std::vector<std::wstring> names;
  for (const wchar_t* pattern : {L"\\KL_Face*.bmp", L"\\KL_Figs*.dat"}) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((AssetDir() + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ToAnsi(const std::wstring& text) { return wide::ToCodePage(CP_ACP, text.c_str()); }

// ---- work folder ----

WorkDir::WorkDir() {
  static int serial = 0;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstringstream name;
  name << temp << L"horlin-e2e-" << GetCurrentProcessId() << L"-" << ++serial;
  dir_ = name.str();
  CreateDirectoryW(dir_.c_str(), nullptr);
  for (const std::wstring& file : AssetFiles())
    CopyFileW((AssetDir() + L"\\" + file).c_str(), Path(file.c_str()).c_str(), FALSE);
}

WorkDir::~WorkDir() {
  for (const std::wstring& name : Files()) {
    // A file a case made read-only goes as well.
    SetFileAttributesW(Path(name.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Path(name.c_str()).c_str());
  }
  RemoveDirectoryW(dir_.c_str());
}

std::wstring WorkDir::Path(const wchar_t* name) const { return dir_ + L"\\" + name; }

bool WorkDir::Write(const wchar_t* name, const Bytes& bytes) const {
  HANDLE f = CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = bytes.empty() ||
            (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size());
  CloseHandle(f);
  return ok;
}

bool WorkDir::Read(const wchar_t* name, Bytes* bytes) const {
  bytes->clear();
  HANDLE f = CreateFileW(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  unsigned char buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) bytes->insert(bytes->end(), buf, buf + got);
  CloseHandle(f);
  return true;
}

void WorkDir::Remove(const wchar_t* name) const { DeleteFileW(Path(name).c_str()); }

std::vector<std::wstring> WorkDir::Files() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir_ + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ---- the clock process ----

ClockProcess::ClockProcess(const WorkDir& dir, int showCommand) {
  std::wstring exe = ProgramDir() + L"\\Horlin.exe";
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (showCommand >= 0) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
  }
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.Dir().c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
  }
}

ClockProcess::~ClockProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

HWND ClockProcess::WaitWindow(DWORD timeoutMs) {
  if (!process_) return nullptr;
  const std::wstring title = wide::FromCp932(horlin::kTitle);
  WaitFor(timeoutMs, [&] {
    // FindWindow by class and title, then make sure it is this process's window.
    for (HWND w = FindWindowExW(nullptr, nullptr, title.c_str(), title.c_str()); w;
         w = FindWindowExW(nullptr, w, title.c_str(), title.c_str())) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == pid_ && IsWindowVisible(w)) {
        window_ = w;
        return true;
      }
    }
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
  });
  return window_;
}

DWORD ClockProcess::WindowThread() const { return window_ ? GetWindowThreadProcessId(window_, nullptr) : 0; }

bool ClockProcess::WaitExit(DWORD timeoutMs, DWORD* code) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_, code);
  return true;
}

SIZE_T ClockProcess::PrivateBytes() const {
  // The commit charge, which is the private memory; Wine fills in this field
  // for another process, but not PrivateUsage.
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process_ || !GetProcessMemoryInfo(process_, &counters, sizeof counters)) return 0;
  return counters.PagefileUsage;
}

// ---- the end of the session ----

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

SessionEnd EndSession(ClockProcess& clock, DWORD timeoutMs) {
  SessionEnd end;
  const ULONGLONG start = GetTickCount64();
  HANDLE ender = nullptr;
  if (RunningUnderWine()) {
    std::wstring cmd = L"wineboot.exe --end-session";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      end.why = "wineboot.exe did not start";
      return end;
    }
    CloseHandle(pi.hThread);
    ender = pi.hProcess;
  } else {
    // What the system does at a log-off, for this one program.
    DWORD_PTR mayEnd = 0;
    if (!SendMessageTimeoutW(clock.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, timeoutMs,
                             &mayEnd) ||
        !mayEnd) {
      end.why = "WM_QUERYENDSESSION was refused or not answered";
      return end;
    }
    DWORD_PTR ignored = 0;
    const bool answered = SendMessageTimeoutW(clock.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                              timeoutMs, &ignored) != 0;
    if (!answered) end.why = "WM_ENDSESSION was not answered in time";
    end.elapsedMs = static_cast<DWORD>(GetTickCount64() - start);
    MessageBoxInfo box;
    if (WaitMessageBox(clock.Pid(), 0, &box)) end.boxText = box.text;
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, clock.Pid());
    if (process) {
      TerminateProcess(process, 0);
      CloseHandle(process);
    }
    end.finished = answered;
    return end;
  }
  // A box the clock shows would hold the session end up: note it and close it.
  end.finished = WaitFor(timeoutMs, [&] {
    MessageBoxInfo box;
    if (end.boxText.empty() && WaitMessageBox(clock.Pid(), 0, &box)) {
      end.boxText = box.text;
      CloseMessageBox(box.box);
    }
    return WaitForSingleObject(ender, 0) == WAIT_OBJECT_0;
  });
  end.elapsedMs = static_cast<DWORD>(GetTickCount64() - start);
  DWORD code = 0;
  if (!end.finished) {
    end.why = "wineboot --end-session did not finish in time";
    TerminateProcess(ender, 1);
  } else if (GetExitCodeProcess(ender, &code) && code != 0) {
    end.finished = false;
    end.why = "wineboot --end-session failed with exit code " + std::to_string(code);
  }
  CloseHandle(ender);
  return end;
}

// ---- windows and message boxes ----

HWND FindWindowOf(DWORD pid, const wchar_t* className) {
  FindArgs args{pid, className, nullptr, nullptr};
  EnumWindows(FindEnum, reinterpret_cast<LPARAM>(&args));
  return args.found;
}

HWND WaitWindowOf(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor(timeoutMs, [&] { return (found = FindWindowOf(pid, className)) != nullptr; });
  return found;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  return WaitFor(timeoutMs, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

bool WaitMessageBox(DWORD pid, DWORD timeoutMs, MessageBoxInfo* info) {
  HWND box = WaitWindowOf(pid, L"#32770", timeoutMs);
  if (!box) return false;
  info->box = box;
  info->owner = GetWindow(box, GW_OWNER);
  info->caption = WindowText(box);
  // The box may still be filling in its text right after it appears.
  WaitFor(1000, [&] { return GetDlgItem(box, 0xFFFF) && !WindowText(GetDlgItem(box, 0xFFFF)).empty(); });
  info->text = WindowText(GetDlgItem(box, 0xFFFF));
  return true;
}

bool CloseMessageBox(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return WaitGone(box, 5000);
}

// ---- pixels ----

Pixels CaptureScreen(const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  Canvas canvas(w, h);
  if (!canvas.Ok()) return Pixels();
  BitBlt(canvas.Dc(), 0, 0, w, h, gdi::ScreenDC().Get(), area.left, area.top, SRCCOPY);
  return canvas.Take();
}

ReferenceFace::ReferenceFace() : body_(new ClockMain(nullptr, GetModuleHandleW(nullptr))) {
  std::string face = ToAnsi(AssetDir() + L"\\KL_Face.bmp"), figs = ToAnsi(AssetDir() + L"\\KL_Figs.dat");
  body_->Dpi = ScreenDpi();
  ok_ = body_->Create(nullptr, face.c_str(), figs.c_str(), 1) == 0;  // the outline is asked for by layout
}

ReferenceFace::~ReferenceFace() = default;

int ReferenceFace::Dpi() const { return body_->Dpi; }

bool ReferenceFace::SetDpi(int dpi) {
  body_->Dpi = dpi;
  return Compose(body_->Layout);
}

SIZE ReferenceFace::Size() const { return FaceSizeAt(body_->Dpi); }

int ReferenceFace::ArtScale() const { return body_->ChooseArtScale(); }

bool ReferenceFace::Compose(int layout) { return ok_ && body_->Compose(layout) == 0; }

Pixels ReferenceFace::Paint(int* colon) {
  const SIZE size = Size();
  Canvas canvas(size.cx, size.cy);
  if (!canvas.Ok()) return Pixels();
  body_->Paint(canvas.Dc());
  *colon = body_->Time.Value[8];
  return canvas.Take();
}

HRGN ReferenceFace::Shape(int layout) { return body_->CreateShape(layout); }

int MatchScreen(HWND clock, ReferenceFace& face, std::string* why) {
  RECT rect;
  const gdi::Owned<HRGN> outlineOwner(CreateRectRgn(0, 0, 0, 0));
  const HRGN outline = outlineOwner.Get();
  std::ostringstream reason;
  int matched = -1;
  const SIZE size = face.Size();
  const int width = size.cx, height = size.cy;
  for (int attempt = 0; attempt < 5 && matched < 0; ++attempt) {
    if (!GetWindowRect(clock, &rect) || GetWindowRgn(clock, outline) == ERROR) {
      reason << "no window or outline; ";
      break;
    }
    int colonBefore = 0, colonAfter = 0;
    Pixels before = face.Paint(&colonBefore);
    // The clock repaints every 125 ms: wait so that what the screen shows was
    // painted after `before`, and so lies between the two reference paints.
    Sleep(160);
    Pixels screen = CaptureScreen(rect);
    Pixels after = face.Paint(&colonAfter);
    if (screen.size() != before.size() || before.size() != static_cast<size_t>(width) * height) {
      reason << "capture of " << screen.size() << " pixels; ";
      continue;
    }
    long diffBefore = 0, diffAfter = 0, inside = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (!PtInRegion(outline, x, y)) continue;
        ++inside;
        size_t i = static_cast<size_t>(y) * width + x;
        if (screen[i] != before[i]) ++diffBefore;
        if (screen[i] != after[i] && diffAfter++ == 0) {
          firstX = x;
          firstY = y;
        }
      }
    }
    if (inside < width * height / 2) {
      reason << "outline covers only " << inside << " pixels; ";
      break;
    }
    if (diffBefore == 0)
      matched = colonBefore;
    else if (diffAfter == 0)
      matched = colonAfter;
    else {
      char first[64];
      std::snprintf(first, sizeof first, "(%d,%d) %06lx vs %06lx", firstX, firstY,
                    static_cast<unsigned long>(screen[static_cast<size_t>(firstY) * width + firstX]),
                    static_cast<unsigned long>(after[static_cast<size_t>(firstY) * width + firstX]));
      reason << diffBefore << "/" << diffAfter << " pixels differ, first at " << first << "; ";
    }
  }
  if (matched < 0 && why) *why = reason.str();
  return matched;
}

// ---- the probe ----

Probe::Probe() {
  mapping_ =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(probe::Shared), probe::kMappingName);
  if (mapping_) shared_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(probe::Shared));
  if (shared_) ZeroMemory(shared_, sizeof(probe::Shared));
  dll_ = LoadLibraryW((ProgramDir() + L"\\" + probe::kDllName).c_str());
}

Probe::~Probe() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (dll_) FreeLibrary(dll_);
  if (shared_) UnmapViewOfFile(shared_);
  if (mapping_) CloseHandle(mapping_);
}

bool Probe::Attach(HWND clock) {
  if (!shared_ || !dll_ || hook_) return false;
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll_, probe::kHookProcName)));
  if (!proc) return false;
  clock_ = clock;
  auto* shared = static_cast<probe::Shared*>(shared_);
  shared->watchedWindow = static_cast<LONG>(reinterpret_cast<LONG_PTR>(clock));
  hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc, dll_, GetWindowThreadProcessId(clock, nullptr));
  // A first request loads the DLL into the clock's process and proves the hook works.
  return hook_ && Request(0);
}

LONG Probe::ShowWindowCount() const {
  return shared_ ? static_cast<volatile probe::Shared*>(shared_)->showWindowCount : -1;
}

bool Probe::Request(WPARAM what, DWORD timeoutMs) {
  if (!hook_) return false;
  auto* shared = static_cast<volatile probe::Shared*>(shared_);
  const LONG before = shared->requests;
  DWORD_PTR result = 0;
  static const UINT message = RegisterWindowMessageW(probe::kMessageName);
  if (!SendMessageTimeoutW(clock_, message, what, 0, SMTO_ABORTIFHUNG, timeoutMs, &result)) return false;
  return shared->requests != before;
}

bool Probe::ReadMenu(std::vector<Row>* rows) {
  rows->clear();
  if (!Request(probe::kReadMenu)) return false;
  auto* shared = static_cast<probe::Shared*>(shared_);
  if (!shared->menuFound) return false;
  for (int i = 0; i < shared->rowCount && i < probe::kMaxRows; ++i) {
    Row row;
    row.text.assign(shared->rows[i].text, wcsnlen(shared->rows[i].text, probe::kMaxText));
    row.state = shared->rows[i].state;
    row.id = shared->rows[i].id;
    rows->push_back(row);
  }
  return true;
}

bool Probe::EndMenu() { return Request(probe::kEndMenu); }

bool Probe::RunTicks(LONG count) {
  auto* shared = static_cast<volatile probe::Shared*>(shared_);
  if (!shared) return false;
  shared->tickCount = count;
  const LONG painted = shared->paintCount;
  // About a millisecond a tick at most, with room for a slow host.
  return Request(probe::kRunTicks, 60000 + static_cast<DWORD>(count) * 5) && shared->paintCount - painted == count;
}

// ---- the popup menu ----

bool OpenClockMenu(ClockProcess& clock, Probe& probe, POINT at, OpenMenu* menu, std::string* why) {
  *menu = OpenMenu();
  PostMessageW(clock.Window(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  menu->popup = WaitWindowOf(clock.Pid(), L"#32768", 5000);
  if (!menu->popup) {
    *why = "no popup menu window appeared";
    return false;
  }
  GetWindowRect(menu->popup, &menu->rect);
  // Directly: on Windows a menu handle is valid in every process.
  DWORD_PTR handle = 0;
  SendMessageTimeoutW(menu->popup, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 5000, &handle);
  HMENU hmenu = reinterpret_cast<HMENU>(handle);
  const int count = hmenu ? GetMenuItemCount(hmenu) : -1;
  if (count > 0) {
    for (int i = 0; i < count; ++i) {
      Probe::Row row;
      wchar_t text[probe::kMaxText] = {};
      GetMenuStringW(hmenu, static_cast<UINT>(i), text, probe::kMaxText, MF_BYPOSITION);
      row.text = text;
      row.state = GetMenuState(hmenu, static_cast<UINT>(i), MF_BYPOSITION);
      row.id = GetMenuItemID(hmenu, i);
      menu->rows.push_back(row);
    }
    return true;
  }
  // Wine keeps menus per process: read it inside the clock's thread.
  menu->readInClock = true;
  if (!probe.ReadMenu(&menu->rows)) {
    *why = "the probe found no open menu";
    return false;
  }
  return true;
}

bool CloseClockMenu(Probe& probe, const OpenMenu& menu) {
  PostMessageW(menu.popup, WM_KEYDOWN, VK_ESCAPE, 0);
  if (WaitGone(menu.popup, 1000)) return true;
  return probe.EndMenu() && WaitGone(menu.popup, 5000);
}

}  // namespace e2e
