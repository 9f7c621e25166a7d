// The library's file handle: one open file, closed on every way out of the
// scope that opened it.
#pragma once

#include "internal.h"

#include <cstddef>

namespace pixolan {

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
  // writing; a null name opens nothing. Either way no other program may open
  // the file while it is held.
  FileHandle(const char* name, Access access)
      : handle_(name == nullptr
                    ? INVALID_HANDLE_VALUE
                    : CreateFileA(name, access == kRead ? GENERIC_READ : GENERIC_WRITE, 0, nullptr,
                                  access == kRead ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Only the count of bytes that arrived or went out matters.
  bool ReadAll(void* dest, std::size_t count) { return ReadUpTo(handle_, dest, count) == count; }
  bool Write(const void* data, std::size_t count) {
    DWORD put = 0;
    WriteFile(handle_, data, static_cast<DWORD>(count), &put, nullptr);
    return put == count;
  }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

}  // namespace pixolan
