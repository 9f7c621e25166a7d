// Message boxes and temporary files through the Linux stand-in.
#include "test_support.h"

#include <winshim.h>

#include <unistd.h>

#include <cstdlib>

namespace testing_support {

struct BoxCapture::State {
  std::mutex mutex;
  std::vector<ShownBox> boxes;
};

BoxCapture::BoxCapture() : state_(std::make_shared<State>()) {
  auto state = state_;
  shim::SetMessageBoxHook([state](HWND owner, const char* text, const char* caption, UINT) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->boxes.push_back(ShownBox{text ? text : "", caption ? caption : "", owner});
    return IDOK;
  });
}

BoxCapture::~BoxCapture() { shim::SetMessageBoxHook(nullptr); }

std::vector<ShownBox> BoxCapture::Boxes() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->boxes;
}

std::string TempPath(const std::string& name) {
  static std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/pixolan-test-XXXXXX";
    char* made = ::mkdtemp(tmpl.data());
    return std::string(made ? made : "/tmp");
  }();
  return dir + "/" + name;
}

}  // namespace testing_support
