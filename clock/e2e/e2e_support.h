// The end-to-end driver's view of the clock: a Horlin.exe started in a fresh
// folder and watched from outside with ordinary Win32 calls (windows, regions,
// styles, screen pixels, message boxes, the popup menu).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class ClockMain;

namespace e2e {

using Bytes = std::vector<unsigned char>;

// The folder of this program: Horlin.exe, the DLLs and the asset copies.
std::wstring ProgramDir();
// The folder holding the clock's three data files for the tests.
std::wstring AssetDir();
// The screen's DPI, which is the clock's under Wine (one monitor).
int ScreenDpi();
// The data files the tests give the clock: KL_Face.bmp and KL_Figs.dat and
// whatever larger artwork lies beside them, sorted.
std::vector<std::wstring> AssetFiles();
std::string ToAnsi(const std::wstring& text);

// A fresh temporary folder holding copies of the data files (AssetFiles) and
// no settings file; removed with everything in it at the end.
class WorkDir {
 public:
  WorkDir();
  ~WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;

  const std::wstring& Dir() const { return dir_; }
  std::wstring Path(const wchar_t* name) const;
  bool Write(const wchar_t* name, const Bytes& bytes) const;
  bool Read(const wchar_t* name, Bytes* bytes) const;  // false when missing
  void Remove(const wchar_t* name) const;
  // The names of the files in it, sorted.
  std::vector<std::wstring> Files() const;

 private:
  std::wstring dir_;
};

// Horlin.exe running with a work folder as its current folder.
class ClockProcess {
 public:
  // showCommand: the start-up show command a shortcut would give (none: the
  // default).
  explicit ClockProcess(const WorkDir& dir, int showCommand = -1);
  ~ClockProcess();  // a clock still running is ended by force
  ClockProcess(const ClockProcess&) = delete;
  ClockProcess& operator=(const ClockProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  // The clock's visible window (class and title are the title line), or null
  // when none appears in time or the process ends first.
  HWND WaitWindow(DWORD timeoutMs);
  HWND Window() const { return window_; }
  DWORD WindowThread() const;
  // True when the process has ended in time; its exit code in *code.
  bool WaitExit(DWORD timeoutMs, DWORD* code);
  // The process's private memory in bytes; 0 when it can't be read.
  SIZE_T PrivateBytes() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
};

// A visible top-level window of a process with the given class, or null.
HWND FindWindowOf(DWORD pid, const wchar_t* className);
HWND WaitWindowOf(DWORD pid, const wchar_t* className, DWORD timeoutMs);
// True once the window is destroyed or hidden.
bool WaitGone(HWND window, DWORD timeoutMs);
// Polls `done` every 20 ms until it holds or the time is up.
template <typename Done>
bool WaitFor(DWORD timeoutMs, Done done) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

struct MessageBoxInfo {
  HWND box = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;  // the static control 0xFFFF
};
// The first message box (class #32770) the process shows within the time.
bool WaitMessageBox(DWORD pid, DWORD timeoutMs, MessageBoxInfo* info);
// Presses OK and waits until the box is gone.
bool CloseMessageBox(HWND box);

// True when this program runs under Wine rather than on Windows itself.
bool RunningUnderWine();

// Ends the Windows session as logging off does. Under Wine that is
// `wineboot --end-session`, which sends WM_QUERYENDSESSION and WM_ENDSESSION
// to every program with windows and then ends them; on Windows itself, where a
// test can't log its user off, the clock gets the two messages and is then
// ended, as the system would end it.
struct SessionEnd {
  bool finished = false;  // the session end completed within the time
  DWORD elapsedMs = 0;
  std::wstring boxText;  // a message box the clock showed meanwhile (closed again)
  std::string why;       // what went wrong when it didn't finish
};
SessionEnd EndSession(ClockProcess& clock, DWORD timeoutMs);

// Pixels as 0x00RRGGBB, row by row from the top.
using Pixels = std::vector<DWORD>;
Pixels CaptureScreen(const RECT& area);

// A clock body of our own, made from the same data files as the clock's:
// what the clock window must show, and the outline it must have.
class ReferenceFace {
 public:
  ReferenceFace();
  ~ReferenceFace();
  bool Ok() const { return ok_; }
  // The scale the reference draws at: the screen's until changed here.
  int Dpi() const;
  bool SetDpi(int dpi);
  SIZE Size() const;     // the face's size at that scale
  int ArtScale() const;  // the artwork size the last composition used
  bool Compose(int layout);
  // The face for the local time now; *colon gets the colon value.
  Pixels Paint(int* colon);
  HRGN Shape(int layout);  // the caller deletes it

 private:
  std::unique_ptr<ClockMain> body_;
  bool ok_ = false;
};

// Compares the screen inside the clock window's outline with the reference
// face painted just before and just after the capture. Returns the colon value
// of the matching paint, or -1 with the reason in *why after a few attempts.
int MatchScreen(HWND clock, ReferenceFace& face, std::string* why);

// The probe hook in the clock's thread (see ProbeShared.h).
class Probe {
 public:
  Probe();
  ~Probe();
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  // Hooks the clock window's thread and counts that window's WM_SHOWWINDOW.
  bool Attach(HWND clock);
  LONG ShowWindowCount() const;
  struct Row {
    std::wstring text;
    UINT state = 0;
    UINT id = 0;
  };
  // The popup menu open in the clock's thread, read there.
  bool ReadMenu(std::vector<Row>* rows);
  bool EndMenu();
  // Runs ticks of the clock (its timer's work and the paint) in its own
  // thread, as fast as they go; false unless every tick painted.
  bool RunTicks(LONG count);

 private:
  bool Request(WPARAM what, DWORD timeoutMs = 5000);
  HANDLE mapping_ = nullptr;
  void* shared_ = nullptr;
  HMODULE dll_ = nullptr;
  HHOOK hook_ = nullptr;
  HWND clock_ = nullptr;
};

struct OpenMenu {
  HWND popup = nullptr;
  RECT rect{};
  std::vector<Probe::Row> rows;
  bool readInClock = false;  // read through the probe rather than directly
};
// Right-clicks the clock at a client point and reads the menu that opens.
bool OpenClockMenu(ClockProcess& clock, Probe& probe, POINT clientPoint, OpenMenu* menu, std::string* why);
// Closes it with Escape, or through the probe when Escape isn't seen.
bool CloseClockMenu(Probe& probe, const OpenMenu& menu);

}  // namespace e2e
