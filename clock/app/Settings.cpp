#include "Settings.h"

#include "FileHandle.h"

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
  FileHandle file(CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Ok()) return kDefaultEnv;
  unsigned char byte = 0;
  DWORD got = 0;
  if (!ReadFile(file.Get(), &byte, 1, &got, nullptr)) got = 0;
  return EnvFromBytes(&byte, got);
}

bool WriteEnvFile(const char* name, unsigned char env) {
  FileHandle file(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Ok()) return false;
  DWORD put = 0;
  return WriteFile(file.Get(), &env, 1, &put, nullptr) && put == 1;
}

}  // namespace horlin
