// Error reporting shared by every library object.
#include "internal.h"
#include "message_box.h"

namespace pixolan {
namespace {
// A code that is not in the table (a client may write ErrorCode directly) is
// stored as ERR_UNKNOWN, so the text lookup never leaves the table.
int NormalizedCode(int& code) {
  if (code < 0 || code > ERR_EXTERNAL) code = ERR_UNKNOWN;
  return code;
}
}  // namespace
}  // namespace pixolan

using namespace pixolan;

void ZEMADLLBase::InitializeBase(HWND owner, HINSTANCE instance, int language, unsigned long requiredVersion) {
  hWnd = owner;
  hInstance = instance;
  ErrorCode = ERR_NONE;
  Language = LANGUAGE_ENGLISH;
  if (static_cast<unsigned>(language) >= 2)
    ErrorCode = ERR_UNSUPPORTED_COMMAND;  // the message then comes in English
  else
    Language = static_cast<DWORD>(language);
  if (requiredVersion > LibraryVersion) ErrorCode = ERR_DLL_VERSION;
}

int ZEMADLLBase::DisplayError() {
  NormalizedCode(ErrorCode);
  if (ErrorCode == ERR_NONE || ErrorCode == ERR_EXTERNAL) return ErrorCode;
  boxes::ShowCp932(hWnd, kErrorTexts[ErrorCode][Language == LANGUAGE_JAPANESE], kErrorCaption, MB_OK | MB_ICONERROR);
  return ErrorCode;
}

const char* ZEMADLLBase::GetErrorMessage() {
  NormalizedCode(ErrorCode);
  return kErrorTexts[ErrorCode][Language == LANGUAGE_JAPANESE];
}
