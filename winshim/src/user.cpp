// USER32 message boxes: printed to stderr as UTF-8, or handed to a test's hook.
#include <windows.h>
#include <winshim.h>

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
shim::MessageBoxHook& Hook() {
  static shim::MessageBoxHook hook;
  return hook;
}
}  // namespace

namespace shim {

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

std::string Cp932ToUtf8(const char* text) {
  if (text == nullptr) return std::string();
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string in(text), out(in.size() * 3 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
      // An invalid byte is shown as '?' and skipped, so a box always prints.
      if (dstLeft == 0) break;
      *dst++ = '?';
      --dstLeft;
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace shim

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (Hook()) return Hook()(owner, text, caption, type);
  std::fprintf(stderr, "[%s] %s\n", shim::Cp932ToUtf8(caption).c_str(), shim::Cp932ToUtf8(text).c_str());
  return IDOK;
}
