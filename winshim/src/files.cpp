// KERNEL32 file calls and the local time, over POSIX.
#include <windows.h>
#include <winshim.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace {

struct ShimFile {
  int fd;
};

std::atomic<int> gOpenFiles{0};
std::atomic<int> gFailWrites{0};
std::atomic<int> gFailMoves{0};
std::optional<SYSTEMTIME> gTimeOverride;

ShimFile* FromHandle(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  return static_cast<ShimFile*>(h);
}

}  // namespace

// Two modes are used: GENERIC_READ with OPEN_EXISTING, and GENERIC_WRITE with
// CREATE_ALWAYS (create or truncate). POSIX has no share modes; a directory is
// refused as Windows refuses it.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
  if (name == nullptr) return INVALID_HANDLE_VALUE;
  int flags;
  if (access == GENERIC_READ && disposition == OPEN_EXISTING) {
    flags = O_RDONLY;
  } else if (access == GENERIC_WRITE && disposition == CREATE_ALWAYS) {
    flags = O_WRONLY | O_CREAT | O_TRUNC;
  } else {
    return INVALID_HANDLE_VALUE;
  }
  int fd = ::open(name, flags | O_CLOEXEC, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return INVALID_HANDLE_VALUE;
  }
  ++gOpenFiles;
  return new ShimFile{fd};
}

// Reads until the count is reached or the file ends, as ReadFile does on a disk file.
BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED) {
  if (done) *done = 0;
  ShimFile* f = FromHandle(h);
  if (!f) return FALSE;
  DWORD got = 0;
  while (got < count) {
    ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (done) *done = got;
      return FALSE;
    }
    if (n == 0) break;
    got += static_cast<DWORD>(n);
  }
  if (done) *done = got;
  return TRUE;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED) {
  if (done) *done = 0;
  ShimFile* f = FromHandle(h);
  if (!f) return FALSE;
  if (gFailWrites > 0) {
    --gFailWrites;
    return FALSE;
  }
  DWORD put = 0;
  while (put < count) {
    ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + put, count - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (done) *done = put;
      return FALSE;
    }
    put += static_cast<DWORD>(n);
  }
  if (done) *done = put;
  return TRUE;
}

// Without a high part the distance is a signed 32-bit value, as on Windows: a
// negative position fails and leaves the file position where it was.
DWORD SetFilePointer(HANDLE h, LONG distance, LONG* high, DWORD method) {
  ShimFile* f = FromHandle(h);
  if (!f) return INVALID_SET_FILE_POINTER;
  off_t offset = high ? static_cast<off_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*high)) << 32) |
                                           static_cast<DWORD>(distance))
                      : static_cast<off_t>(distance);
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  if (whence == SEEK_SET && offset < 0) return INVALID_SET_FILE_POINTER;
  off_t pos = ::lseek(f->fd, offset, whence);
  if (pos < 0) return INVALID_SET_FILE_POINTER;
  if (high) *high = static_cast<LONG>(static_cast<std::uint64_t>(pos) >> 32);
  return static_cast<DWORD>(pos);
}

BOOL FlushFileBuffers(HANDLE h) {
  ShimFile* f = FromHandle(h);
  return f && ::fsync(f->fd) == 0;
}

BOOL CloseHandle(HANDLE h) {
  ShimFile* f = FromHandle(h);
  if (!f) return FALSE;
  ::close(f->fd);
  delete f;
  --gOpenFiles;
  return TRUE;
}

// Read-only stands for a file without its owner's write permission, which is
// what the attribute means to our code (as root, POSIX would write it anyway).
DWORD GetFileAttributesA(LPCSTR name) {
  struct stat st;
  if (name == nullptr || ::stat(name, &st) != 0) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// The one use our code makes of it: a file replaces another in one step
// (rename), and with MOVEFILE_WRITE_THROUGH the folder's entry is on the disk
// before it returns. A directory is not replaced, as on Windows.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
  if (from == nullptr || to == nullptr || !(flags & MOVEFILE_REPLACE_EXISTING)) return FALSE;
  if (gFailMoves > 0) {
    --gFailMoves;
    return FALSE;
  }
  if (::rename(from, to) != 0) return FALSE;
  if (flags & MOVEFILE_WRITE_THROUGH) {
    const std::string path(to);
    const std::string::size_type slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR name) { return name != nullptr && ::unlink(name) == 0; }

void GetLocalTime(LPSYSTEMTIME out) {
  if (gTimeOverride) {
    *out = *gTimeOverride;
    return;
  }
  struct timeval tv;
  ::gettimeofday(&tv, nullptr);
  time_t secs = tv.tv_sec;
  struct tm local;
  ::localtime_r(&secs, &local);
  out->wYear = static_cast<WORD>(local.tm_year + 1900);
  out->wMonth = static_cast<WORD>(local.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  out->wDay = static_cast<WORD>(local.tm_mday);
  out->wHour = static_cast<WORD>(local.tm_hour);
  out->wMinute = static_cast<WORD>(local.tm_min);
  out->wSecond = static_cast<WORD>(local.tm_sec);
  out->wMilliseconds = static_cast<WORD>(tv.tv_usec / 1000);
}

namespace shim {

void SetLocalTimeOverride(const SYSTEMTIME* time) {
  if (time)
    gTimeOverride = *time;
  else
    gTimeOverride.reset();
}

int OpenFiles() { return gOpenFiles; }

void FailNextFileWrites(int count) { gFailWrites = count; }

void FailNextFileMoves(int count) { gFailMoves = count; }

}  // namespace shim
