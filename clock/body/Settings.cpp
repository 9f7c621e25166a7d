#include "Settings.h"

#include <string>

#include "GuardedStep.h"
#include "file_handle.h"

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
  files::FileHandle file(name, files::FileHandle::kRead);
  if (!file.IsOpen()) return kDefaultEnv;
  unsigned char byte = 0;
  return EnvFromBytes(&byte, file.ReadUpTo(&byte, 1));
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
    files::FileHandle file(temporary.c_str(), files::FileHandle::kCreate);
    if (!file.IsOpen()) return false;  // nothing was made
    written = file.Write(&env, 1) && FlushFileBuffers(file.Get());
    // Closed before the move: an open file can't be renamed on Windows.
    written = file.Close() && written;
  }
  if (written && MoveFileExA(temporary.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace horlin
