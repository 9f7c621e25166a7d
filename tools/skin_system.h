// What the skin tool needs from the system beyond files: its arguments as
// UTF-8 and a folder to work in.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// The program's arguments, argv[0] included, as UTF-8 (on Windows from the
// wide command line, so that any file name arrives whole).
std::vector<std::string> CommandLine(int argc, char** argv);

// A UTF-8 path as the system's path type.
inline std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::u8path(utf8); }

// Makes a folder the current one for its lifetime: the library and the clock
// body open files by narrow names, and bare names reach any folder whatever
// characters its path holds.
class InFolder {
 public:
  explicit InFolder(const std::string& dir) : back_(std::filesystem::current_path()) {
    std::error_code ec;
    std::filesystem::current_path(PathOf(dir), ec);
    if (ec) throw std::runtime_error("the folder " + dir + " does not exist or cannot be entered");
  }
  ~InFolder() {
    std::error_code ec;
    std::filesystem::current_path(back_, ec);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::filesystem::path back_;
};
