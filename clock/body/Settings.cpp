#include "Settings.h"

#include <string>

#include "FileHandle.h"
#include "GuardedStep.h"

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
  // A read-only file is never replaced. The attribute is tested here because
  // MoveFileEx does not refuse a read-only target everywhere (Wine replaces
  // it, Windows refuses). A folder of that name isn't replaced either.
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;

  // The byte goes to a temporary file beside the settings file, which then
  // replaces it in one step: a write that fails or is cut off leaves the old
  // byte in place, never an empty file.
  std::string temporary;
  if (!GuardedStep([&] { temporary = std::string(name) + ".tmp"; })) return false;
  bool written = false;
  {
    FileHandle file(
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Ok()) return false;  // nothing was made
    DWORD put = 0;
    written = WriteFile(file.Get(), &env, 1, &put, nullptr) && put == 1 && FlushFileBuffers(file.Get());
    // Closed before the move: an open file can't be renamed on Windows.
    written = file.Close() && written;
  }
  if (written && MoveFileExA(temporary.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace horlin
