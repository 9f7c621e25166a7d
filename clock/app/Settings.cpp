#include "Settings.h"

namespace horlin {

const char kEnvFile[] = "KL_Env.cfg";

unsigned char EnvFromBytes(const unsigned char* bytes, std::size_t count) { return count > 0 ? bytes[0] : kDefaultEnv; }

unsigned char EnvWithCorner(unsigned char env, int corner) {
  return static_cast<unsigned char>((env & ~kEnvCorner) | (corner & kEnvCorner));
}

POINT CornerPosition(int corner, SIZE screen, SIZE window) {
  POINT pos{0, 0};
  if (corner & 1) pos.x = screen.cx - window.cx;  // right-hand corners
  if (corner & 2) pos.y = screen.cy - window.cy;  // lower corners
  return pos;
}

unsigned char ReadEnvFile(const char* name) {
  HANDLE file = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kDefaultEnv;
  unsigned char byte = 0;
  DWORD got = 0;
  if (!ReadFile(file, &byte, 1, &got, nullptr)) got = 0;
  CloseHandle(file);
  return EnvFromBytes(&byte, got);
}

bool WriteEnvFile(const char* name, unsigned char env) {
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(file, &env, 1, &put, nullptr) && put == 1;
  CloseHandle(file);
  return ok;
}

}  // namespace horlin
