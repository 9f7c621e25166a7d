// BMP reading and writing where the platform misbehaves: allocations that fail
// on request (this program replaces the global allocation functions, which the
// library's calls reach on Linux), a device that is always full, a DIB section
// that cannot be made, and the open-file count after every outcome.
#include "bmp_test_util.h"

#include <winshim.h>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

enum class Refusal { BadAlloc, OtherException };

// Up to two armed sizes, each with the way its allocation fails.
struct Armed {
  std::atomic<std::size_t> size{0};  // 0: refuse nothing
  std::atomic<Refusal> how{Refusal::BadAlloc};
};
Armed gArmed[2];
std::atomic<int> gRefused{0};

// The next allocation of exactly `first` bytes fails in the way given with it,
// and so does the next one of `second` bytes (0: none).
void RefuseNextAllocations(std::size_t first, Refusal firstHow, std::size_t second, Refusal secondHow) {
  gRefused = 0;
  gArmed[0].how = firstHow;
  gArmed[0].size = first;
  gArmed[1].how = secondHow;
  gArmed[1].size = second;
}
void RefuseNextAllocation(std::size_t size, Refusal how) { RefuseNextAllocations(size, how, 0, how); }

void* Allocate(std::size_t size) {
  for (Armed& armed : gArmed) {
    std::size_t expected = size;
    if (size != 0 && armed.size.compare_exchange_strong(expected, 0)) {
      ++gRefused;
      if (armed.how == Refusal::OtherException) throw std::runtime_error("refused");
      throw std::bad_alloc();
    }
  }
  void* p = std::malloc(size ? size : 1);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

#include "replace_new.h"

using namespace bmp_test;
using testing_support::ImagePtr;

namespace {

// Without its staging buffer the view goes out row by row, to the same bytes.
TEST(BmpWriteFallback, RowByRowGivesTheSameFile) {
  for (int bits : {24, 32}) {
    const std::size_t bpp = static_cast<std::size_t>(bits / 8);
    for (int cx : {1, 2, 3, 4, 5, 6, 7, 13}) {
      for (Refusal how : {Refusal::BadAlloc, Refusal::OtherException}) {
        ImagePtr img = testing_support::MakeImage(37, 23, bits);
        testing_support::FillRandom(*img, static_cast<std::uint32_t>(cx + bits));
        img->SetViewOrigin(POINT{3, 4});
        img->SetViewSize(SIZE{cx, 11});
        const std::string staged = testing_support::TempPath("staged.bmp");
        const std::string direct = testing_support::TempPath("direct.bmp");
        ASSERT_EQ(img->SaveImage(const_cast<char*>(staged.c_str()), 0), ERR_NONE);
        const std::size_t rowBytes = testing_support::RowBytes(static_cast<std::size_t>(cx), bpp);
        RefuseNextAllocation(rowBytes * 11 + 4, how);
        ASSERT_EQ(img->SaveImage(const_cast<char*>(direct.c_str()), 0), ERR_NONE);
        ASSERT_EQ(gRefused, 1) << "the staging buffer was not refused";
        const std::vector<unsigned char> a = ReadBytes(staged), b = ReadBytes(direct);
        ASSERT_EQ(a.size(), 54 + rowBytes * 11);
        EXPECT_EQ(a, b) << bits << " bits, cx " << cx;
      }
    }
  }
}

// Files may grow to `bytes` only while this lives; a write beyond that fails
// (EFBIG, with the signal ignored), like a disk that fills up.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_;
  void (*oldHandler_)(int);
};

TEST(BmpWriteFallback, WriteFailuresAreStickyOnEveryPath) {
  const std::string after = testing_support::TempPath("after-write-failure.bmp");
  const std::string target = testing_support::TempPath("limited.bmp");
  for (int bits : {24, 32}) {
    const std::size_t viewBytes = testing_support::RowBytes(5, static_cast<std::size_t>(bits / 8)) * 3;
    // Whole bitmap, staged view and row-by-row view; the headers fail on a
    // full device, the pixel rows past a size limit.
    for (int way = 0; way < 3; ++way) {
      for (bool headersFail : {true, false}) {
        ImagePtr img = testing_support::MakeImage(10, 6, bits);
        img->SetViewSize(SIZE{5, 3});
        if (way == 2) RefuseNextAllocation(viewBytes + 4, Refusal::BadAlloc);
        char full[] = "/dev/full";
        int code;
        if (headersFail) {
          code = img->SaveImage(full, way == 0);
        } else {
          FileSizeLimit limit(54 + 9);
          code = img->SaveImage(const_cast<char*>(target.c_str()), way == 0);
          if (way == 2) {
            EXPECT_EQ(gRefused, 1);
          }
        }
        RefuseNextAllocation(0, Refusal::BadAlloc);
        EXPECT_EQ(code, ERR_FILE_WRITE) << bits << " bits, way " << way;
        EXPECT_EQ(shim::OpenFiles(), 0);
        EXPECT_EQ(img->SaveImage(const_cast<char*>(after.c_str()), 1), ERR_FILE_WRITE);
        EXPECT_FALSE(FileExists(after));
      }
    }
  }
  // The partly written file stays.
  EXPECT_EQ(ReadBytes(target).size(), 54u + 9u);
}

// The converting loaders ask for one buffer of several rows (all three rows of
// 1004 bytes here); refused, they make do with one row; only when that is
// refused too does the load fail, by the kind of that refusal.
TEST(BmpReadFailures, RowBufferThatCannotBeHad) {
  Layout l;
  l.width = 1001;  // rows of 1004 bytes, sizes nothing else here asks for
  l.height = 3;
  l.bits = 8;
  const std::size_t row = 1004, allRows = 3 * 1004;
  std::vector<unsigned char> palette = RandomBytes(1024, 1), rows = RandomBytes(1004 * 3, 2);
  const std::vector<unsigned char> file = BuildFile(l, palette, rows);
  const std::string path = testing_support::TempPath("rowbuffer.bmp");
  const std::vector<unsigned char> whole = testing_support::PixelMemory(*LoadMemory(l, palette, rows, 3));
  const std::size_t stride = whole.size() / 4;  // three rows and the spare row

  // One row at a time gives the same image; and when the file is cut inside
  // the second row, the first row alone.
  std::vector<unsigned char> firstRowOnly(whole.size(), 0);
  std::copy_n(whole.begin(), stride, firstRowOnly.begin());
  for (Refusal how : {Refusal::BadAlloc, Refusal::OtherException}) {
    for (bool cut : {false, true}) {
      WriteBytes(path, cut ? std::vector<unsigned char>(file.begin(), file.end() - 1004 - 500) : file);
      RefuseNextAllocation(allRows, how);
      ImagePtr img = LoadFile(path, 3);
      EXPECT_EQ(gRefused, 1);
      EXPECT_EQ(img->ErrorCode, cut ? ERR_FILE_READ : ERR_NONE);
      EXPECT_TRUE(testing_support::PixelMemory(*img) == (cut ? firstRowOnly : whole)) << "cut " << cut;
      EXPECT_EQ(shim::OpenFiles(), 0);
    }
  }

  WriteBytes(path, file);
  struct Case {
    Refusal allRowsHow, rowHow;
    int code;
  };
  const Case cases[] = {{Refusal::BadAlloc, Refusal::BadAlloc, ERR_MEMORY},
                        {Refusal::BadAlloc, Refusal::OtherException, ERR_UNEXPECTED},
                        {Refusal::OtherException, Refusal::BadAlloc, ERR_MEMORY}};
  for (const Case& c : cases) {
    RefuseNextAllocations(allRows, c.allRowsHow, row, c.rowHow);
    ImagePtr img = LoadFile(path, 3);
    EXPECT_EQ(gRefused, 2);
    EXPECT_EQ(img->ErrorCode, c.code);
    ASSERT_NE(img->hBitmap, nullptr);
    EXPECT_TRUE(AllZero(*img));
    EXPECT_EQ(shim::OpenFiles(), 0);
  }
  // From memory no row buffer is needed.
  RefuseNextAllocations(allRows, Refusal::BadAlloc, row, Refusal::BadAlloc);
  ImagePtr fromMemory = LoadMemory(l, palette, rows, 3);
  EXPECT_EQ(fromMemory->ErrorCode, ERR_NONE);
  EXPECT_EQ(gRefused, 0);
  RefuseNextAllocation(0, Refusal::BadAlloc);
}

TEST(BmpReadFailures, SectionThatCannotBeMade) {
  Layout l;
  l.width = 4;
  l.height = 4;
  const std::string path = testing_support::TempPath("nosection.bmp");
  WriteBytes(path, BuildFile(l, {}, RandomBytes(48, 3)));
  shim::FailNextDIBSections(1);
  ImagePtr img = LoadFile(path, 3);
  EXPECT_EQ(img->ErrorCode, ERR_DIB_SECTION);
  EXPECT_EQ(img->hBitmap, nullptr);
  EXPECT_EQ(shim::OpenFiles(), 0);
  std::vector<unsigned char> none, rows = RandomBytes(48, 3);
  shim::FailNextDIBSections(1);
  EXPECT_EQ(LoadMemory(l, none, rows, 4)->ErrorCode, ERR_DIB_SECTION);
}

// Every way a load or a save ends leaves no file open.
TEST(BmpReadFailures, NoFileStaysOpen) {
  Layout l;
  l.width = 5;
  l.height = -3;
  l.bits = 4;
  const std::vector<unsigned char> good = BuildFile(l, RandomBytes(64, 1), RandomBytes(12, 2));
  std::vector<std::vector<unsigned char>> files = {
      good, {}, std::vector<unsigned char>(good.begin(), good.begin() + 20)};
  std::vector<unsigned char> magic = good;
  magic[0] = 'X';
  files.push_back(magic);
  files.push_back(std::vector<unsigned char>(good.begin(), good.begin() + 60));  // palette cut
  files.push_back(std::vector<unsigned char>(good.begin(), good.end() - 1));     // rows cut
  std::vector<unsigned char> rle = good;
  rle[30] = BI_RLE4;
  files.push_back(rle);
  std::vector<unsigned char> bits16 = good;
  bits16[28] = 16;
  files.push_back(bits16);
  std::vector<unsigned char> width0 = good;
  width0[18] = 0;
  files.push_back(width0);
  std::vector<unsigned char> farRows = good;
  farRows[13] = 0x90;  // bfOffBits beyond 2 GiB
  files.push_back(farRows);

  const std::string path = testing_support::TempPath("open-count.bmp");
  ASSERT_EQ(shim::OpenFiles(), 0);
  for (std::size_t i = 0; i < files.size(); ++i) {
    WriteBytes(path, files[i]);
    for (int colorType : {0, 3, 4}) {
      ImagePtr img = LoadFile(path, colorType);
      EXPECT_EQ(shim::OpenFiles(), 0) << "file " << i;
      EXPECT_EQ(img->ErrorCode == ERR_NONE, i == 0) << "file " << i;
    }
  }
  WriteBytes(path, good);
  ImagePtr img = LoadFile(path, 4);
  ASSERT_EQ(img->ErrorCode, ERR_NONE);
  EXPECT_EQ(img->SaveImage(const_cast<char*>(testing_support::TempPath("saved.bmp").c_str()), 1), ERR_NONE);
  EXPECT_EQ(img->SaveImage(const_cast<char*>(testing_support::TempPath("saved.bmp").c_str()), 0), ERR_NONE);
  EXPECT_EQ(shim::OpenFiles(), 0);
}

}  // namespace
