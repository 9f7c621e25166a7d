// Error codes, their texts in both languages, and the base construction checks.
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::BoxCapture;
using testing_support::MakeImage;

namespace {

const char* const kJapanese[14] = {
#include "errors_test_texts.inc"
};

const char* const kEnglish[14] = {
    "No errors.",
    "DLL Error :\n  This DLL version is too old.\n  Please get a new version.",
    "Error :\n  The unsupported command is used.\n  Please get a new DLL.",
    "Memory Error :\n  Not enough memory.",
    "Initialize Error :\n  DIB Section can't be created.",
    "File Error :\n  The unsupported BMP format.",
    "File Error :\n  Specified file can't be opened.",
    "File Error :\n  Specified file can't be created.",
    "File Error :\n  Failure to read the specified file.",
    "File Error :\n  Failure to write the specified file.",
    "Error :\n  Parammeter \"ColorType\" is out of range.\n  Please get a new DLL.",
    "Error :\n  Unexpected error.",
    "Error :\n  Unknown error.",
    "Error :\n  External error.",
};

ZEMADisplayFCDIB* Blank(unsigned long version, int language) {
  return new ZEMADisplayFCDIB(version, nullptr, nullptr, 4, 4, 3, 96, 96, language);
}

TEST(ErrorTexts, EveryCodeInBothLanguagesByteForByte) {
  testing_support::ImagePtr img(Blank(256, LANGUAGE_ENGLISH));
  testing_support::ImagePtr jp(Blank(256, LANGUAGE_JAPANESE));
  for (int code = 0; code < 14; ++code) {
    img->ErrorCode = code;
    jp->ErrorCode = code;
    EXPECT_EQ(std::string(img->GetErrorMessage()), kEnglish[code]) << code;
    EXPECT_EQ(std::string(jp->GetErrorMessage()), kJapanese[code]) << code;
    EXPECT_EQ(img->ErrorCode, code);
  }
}

TEST(ErrorTexts, CodesOutsideTheTableBecomeUnknown) {
  testing_support::ImagePtr img(Blank(256, LANGUAGE_ENGLISH));
  for (int code : {14, 20, 0x7fffffff, -1, -2147483647 - 1}) {
    img->ErrorCode = code;
    EXPECT_STREQ(img->GetErrorMessage(), "Error :\n  Unknown error.") << code;
    EXPECT_EQ(img->ErrorCode, ERR_UNKNOWN);
  }
}

TEST(DisplayError, ShowsNothingForSuccessAndExternalErrors) {
  BoxCapture boxes;
  testing_support::ImagePtr img(Blank(256, LANGUAGE_JAPANESE));
  EXPECT_EQ(img->DisplayError(), 0);
  img->ErrorCode = ERR_EXTERNAL;
  EXPECT_EQ(img->DisplayError(), ERR_EXTERNAL);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(DisplayError, ShowsTheTextOfTheCodeInTheObjectsLanguage) {
  BoxCapture boxes;
  testing_support::ImagePtr jp(Blank(256, LANGUAGE_JAPANESE));
  jp->ErrorCode = ERR_DIB_SECTION;
  EXPECT_EQ(jp->DisplayError(), ERR_DIB_SECTION);
  testing_support::ImagePtr en(Blank(256, LANGUAGE_ENGLISH));
  en->ErrorCode = 20;
  EXPECT_EQ(en->DisplayError(), ERR_UNKNOWN);
  auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, kJapanese[ERR_DIB_SECTION]);  // "DIBの生成に失敗しました。"
  EXPECT_EQ(shown[0].caption, "pixolan Image Library Version 1.0");
  EXPECT_EQ(shown[1].text, kEnglish[ERR_UNKNOWN]);
}

TEST(BaseConstruction, VersionAndLanguageChecks) {
  testing_support::ImagePtr ok(Blank(256, LANGUAGE_JAPANESE));
  EXPECT_EQ(ok->ErrorCode, ERR_NONE);
  EXPECT_EQ(ok->Language, 1u);

  testing_support::ImagePtr exact(Blank(LibraryVersion, LANGUAGE_ENGLISH));
  EXPECT_EQ(exact->ErrorCode, ERR_NONE);

  testing_support::ImagePtr tooNew(Blank(LibraryVersion + 1, LANGUAGE_JAPANESE));
  EXPECT_EQ(tooNew->ErrorCode, ERR_DLL_VERSION);
  EXPECT_EQ(tooNew->hBitmap, nullptr);
  EXPECT_EQ(tooNew->Bits, nullptr);

  testing_support::ImagePtr badLanguage(Blank(256, 5));
  EXPECT_EQ(badLanguage->ErrorCode, ERR_UNSUPPORTED_COMMAND);
  EXPECT_EQ(badLanguage->Language, 0u);  // so the message comes in English
  EXPECT_EQ(badLanguage->hBitmap, nullptr);
  EXPECT_STREQ(badLanguage->GetErrorMessage(), kEnglish[ERR_UNSUPPORTED_COMMAND]);

  testing_support::ImagePtr negativeLanguage(Blank(256, -1));
  EXPECT_EQ(negativeLanguage->ErrorCode, ERR_UNSUPPORTED_COMMAND);

  // Both wrong: the version code wins.
  testing_support::ImagePtr both(Blank(LibraryVersion + 1, 7));
  EXPECT_EQ(both->ErrorCode, ERR_DLL_VERSION);
  EXPECT_EQ(both->Language, 0u);
}

}  // namespace
