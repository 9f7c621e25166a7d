// The clock's texts, written in UTF-8 and stored by the build as code page
// 932 bytes (cmake/HorlinText.cmake).
#include "Messages.h"

namespace horlin {

const char kTitle[] = "Horlin Project / Horlin Version 1.0";
const char kCaption[] = "Horlin Project / Horlin Version 1.0";
const char kAbout[] = "Copyright (C) 2026 Horlin Project.\nAll rights reserved.";

const char kErrorCaption[] = "Error";

const char kMsgSkinLoad[] = "スキンのロードに失敗しました。";
const char kMsgStripCreate[] = "一時オブジェクトの生成に失敗しました。";
const char kMsgMemory[] = "必要なメモリの確保に失敗しました。";
const char kMsgDataOpen[] = "データファイルのオープンに失敗しました。\nファイル構成を確認して下さい。";
const char kMsgDataRead[] = "データファイルの読み込みに失敗しました。\n再インストールして下さい。";
const char kMsgObjectCreate[] = "オブジェクト生成に失敗しました。";
const char kMsgWindowCreate[] = "ウィンドウの生成に失敗しました。";
const char kMsgClockCreate[] = "時計本体の実体生成に失敗しました。";
const char kMsgMenuCreate[] = "メニューの生成に失敗しました。";
const char kMsgMenuBuild[] = "メニューの作成に失敗しました。";
const char kMsgTimer[] = "タイマ初期化に失敗しました。";
const char kMsgMenuRefresh[] = "メニューの更新に失敗しました。";
const char kMsgEnvChange[] = "環境の変更に失敗しました。";
const char kMsgEnvSave[] = "環境の保存に失敗しました。";
const char kMenuLeftTop[] = "左上に表示(&1)";
const char kMenuRightTop[] = "右上に表示(&2)";
const char kMenuLeftBottom[] = "左下に表示(&3)";
const char kMenuRightBottom[] = "右下に表示(&4)";
const char kMenuTopmost[] = "常に手前に表示(&T)";
const char kMenuAbout[] = "バージョン情報(&A)";
const char kMenuExit[] = "終了(&X)";

const char kMenuLeftTopEn[] = "Left-Top(&1)";
const char kMenuRightTopEn[] = "Right-Top(&2)";
const char kMenuLeftBottomEn[] = "Left-Bottom(&3)";
const char kMenuRightBottomEn[] = "Right-Bottom(&4)";
const char kMenuTopmostEn[] = "&Topmost Display";
const char kMenuAboutEn[] = "&About...";
const char kMenuExitEn[] = "E&xit";

}  // namespace horlin
