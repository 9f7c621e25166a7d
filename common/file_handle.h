// One open file, closed on every way out of the scope that opened it. Files
// are opened with share mode 0 (no other program may open them meanwhile),
// and a read or write that moves fewer bytes than asked counts as failed.
// Header-only, so each binary carries its own copy.
#pragma once

#include <windows.h>

#include <cstddef>

namespace files {

// Reads up to `count` bytes; returns how many arrived (a failed read counts
// as none).
inline std::size_t ReadUpTo(HANDLE file, void* dest, std::size_t count) {
  DWORD got = 0;
  if (!ReadFile(file, dest, static_cast<DWORD>(count), &got, nullptr)) got = 0;
  return got;
}

class FileHandle {
 public:
  enum Access { kRead, kCreate };
  // Opens an existing file for reading, or creates (empties) one for
  // writing; a null name opens nothing.
  FileHandle(const char* name, Access access)
      : handle_(name == nullptr
                    ? INVALID_HANDLE_VALUE
                    : CreateFileA(name, access == kRead ? GENERIC_READ : GENERIC_WRITE, 0, nullptr,
                                  access == kRead ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  std::size_t ReadUpTo(void* dest, std::size_t count) { return files::ReadUpTo(handle_, dest, count); }
  bool ReadAll(void* dest, std::size_t count) { return ReadUpTo(dest, count) == count; }
  bool Write(const void* data, std::size_t count) {
    DWORD put = 0;
    return WriteFile(handle_, data, static_cast<DWORD>(count), &put, nullptr) && put == count;
  }
  // Closes it now (before the file is renamed, say); false when the close
  // fails or nothing was open.
  bool Close() {
    if (!IsOpen()) return false;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace files
