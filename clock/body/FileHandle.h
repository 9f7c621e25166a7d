// A file handle from CreateFileA that closes itself when it goes out of scope.
#pragma once

#include <windows.h>

namespace horlin {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // False when the open failed.
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  // Closes it now (before the file is renamed, say); false when the close
  // fails or there was nothing open.
  bool Close() {
    if (!Ok()) return false;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace horlin
