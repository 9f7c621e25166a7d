// Every text the clock shows, stored as code page 932 bytes. The texts
// themselves are in Messages.cpp, the one table of them that the code and the
// tests read (written in UTF-8; the build stores its literals as code page
// 932). clock/tests/expected_texts.h pins the stored bytes.
#pragma once

namespace horlin {

// The program's title line (maker, product, version): window class name,
// window title and caption of the About box.
extern const char kTitle[];
// Caption of the main window's failure boxes.
extern const char kCaption[];
// The About box text: a two-line rights notice.
extern const char kAbout[];

// Caption of the clock body's failure boxes.
extern const char kErrorCaption[];

extern const char kMsgSkinLoad[];
extern const char kMsgStripCreate[];
extern const char kMsgMemory[];
extern const char kMsgDataOpen[];
extern const char kMsgDataRead[];
extern const char kMsgObjectCreate[];
extern const char kMsgWindowCreate[];
extern const char kMsgClockCreate[];
extern const char kMsgMenuCreate[];
extern const char kMsgMenuBuild[];
extern const char kMsgTimer[];
extern const char kMsgMenuRefresh[];
extern const char kMsgEnvChange[];
extern const char kMsgEnvSave[];
extern const char kMenuLeftTop[];
extern const char kMenuRightTop[];
extern const char kMenuLeftBottom[];
extern const char kMenuRightBottom[];
extern const char kMenuTopmost[];
extern const char kMenuAbout[];
extern const char kMenuExit[];

// The menu texts in English, beside the Japanese ones in the menu table.
extern const char kMenuLeftTopEn[];
extern const char kMenuRightTopEn[];
extern const char kMenuLeftBottomEn[];
extern const char kMenuRightBottomEn[];
extern const char kMenuTopmostEn[];
extern const char kMenuAboutEn[];
extern const char kMenuExitEn[];

}  // namespace horlin
