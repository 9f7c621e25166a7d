// Saving the settings byte through the stand-in, which can make the write or
// the replacement fail: every failed save leaves the old file exactly as it
// was, with no temporary file beside it, and a read-only file is never
// replaced (the stand-in's rename, like Wine's MoveFileEx, would replace it).
#include <windows.h>
#include <winshim.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Settings.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing_support::TempPath("settings-file"));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "KL_Env.cfg").string();
  }
  void TearDown() override {
    shim::FailNextFileWrites(0);
    shim::FailNextFileMoves(0);
    std::error_code ignored;
    fs::permissions(file_, fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }
  void Put(const Bytes& bytes) {
    std::ofstream out(file_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  Bytes Held() const {
    std::ifstream in(file_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string Files() const {
    std::string names;
    for (const auto& entry : fs::directory_iterator(dir_)) names += entry.path().filename().string() + " ";
    return names;
  }

  fs::path dir_;
  std::string file_;
};

TEST_F(SettingsFile, WritesExactlyOneByteInPlaceOfTheOldFile) {
  ASSERT_TRUE(horlin::WriteEnvFile(file_.c_str(), 0x06)) << "no file yet";
  EXPECT_EQ(Held(), Bytes{0x06});
  Put({0x11, 0x22, 0x33});
  ASSERT_TRUE(horlin::WriteEnvFile(file_.c_str(), 0xFC));
  EXPECT_EQ(Held(), Bytes{0xFC});
  EXPECT_EQ(Files(), "KL_Env.cfg ");
  EXPECT_EQ(shim::OpenFiles(), 0);
}

TEST_F(SettingsFile, EveryFailedSaveKeepsTheOldByte) {
  const struct {
    const char* what;
    void (*arrange)(const std::string& file);
  } cases[] = {
      {"the write fails (disk full)", [](const std::string&) { shim::FailNextFileWrites(1); }},
      {"the replacement fails (file held open)", [](const std::string&) { shim::FailNextFileMoves(1); }},
      {"the file is read-only",
       [](const std::string& file) {
         fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       }},
  };
  for (const auto& c : cases) {
    Put({0x05, 0x42});
    c.arrange(file_);
    EXPECT_FALSE(horlin::WriteEnvFile(file_.c_str(), 0x06)) << c.what;
    EXPECT_EQ(Held(), (Bytes{0x05, 0x42})) << c.what;
    EXPECT_EQ(Files(), "KL_Env.cfg ") << c.what << ": a temporary file is left";
    EXPECT_EQ(shim::OpenFiles(), 0) << c.what;
    shim::FailNextFileWrites(0);
    shim::FailNextFileMoves(0);
    fs::permissions(file_, fs::perms::owner_all);
  }
  // A folder of that name isn't replaced either.
  fs::remove(file_);
  fs::create_directory(file_);
  EXPECT_FALSE(horlin::WriteEnvFile(file_.c_str(), 0x06));
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_EQ(Files(), "KL_Env.cfg ");
}

}  // namespace
