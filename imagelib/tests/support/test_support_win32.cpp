// Real message boxes: a watcher thread finds each box of this process (dialog
// class #32770), reads its text from the static control 0xFFFF and presses OK.
#include "test_support.h"

#include <atomic>
#include <cstdio>
#include <thread>

namespace testing_support {

namespace {
std::string ToCp932(const wchar_t* text) {
  int n = WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}
}  // namespace

struct BoxCapture::State {
  std::mutex mutex;
  std::vector<ShownBox> boxes;
  std::atomic<bool> stop{false};
  std::thread watcher;
};

BoxCapture::BoxCapture() : state_(std::make_shared<State>()) {
  State* s = state_.get();
  s->watcher = std::thread([s] {
    const DWORD self = GetCurrentProcessId();
    while (!s->stop) {
      HWND box = nullptr;
      while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        if (pid != self || !IsWindowVisible(box)) continue;
        wchar_t text[1024] = L"", caption[256] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        GetWindowTextW(box, caption, 256);
        {
          std::lock_guard<std::mutex> lock(s->mutex);
          s->boxes.push_back(ShownBox{ToCp932(text), ToCp932(caption), GetWindow(box, GW_OWNER)});
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Sleep(50);
        break;
      }
      Sleep(20);
    }
  });
}

BoxCapture::~BoxCapture() {
  state_->stop = true;
  if (state_->watcher.joinable()) state_->watcher.join();
}

std::vector<ShownBox> BoxCapture::Boxes() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->boxes;
}

std::string TempPath(const std::string& name) {
  static std::string dir = [] {
    char base[MAX_PATH + 1] = "";
    GetTempPathA(MAX_PATH, base);
    char made[MAX_PATH + 1] = "";
    std::snprintf(made, sizeof made, "%spixolan-test-%lu", base, GetCurrentProcessId());
    CreateDirectoryA(made, nullptr);
    return std::string(made);
  }();
  return dir + "\\" + name;
}

}  // namespace testing_support
