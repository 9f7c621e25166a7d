// Every text the clock shows, stored as code page 932 bytes (Messages.cpp is
// written in UTF-8; the build stores its literals as code page 932).
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

extern const char kMsgSkinLoad[];     // スキンのロードに失敗しました。
extern const char kMsgStripCreate[];  // 一時オブジェクトの生成に失敗しました。
extern const char kMsgMemory[];       // 必要なメモリの確保に失敗しました。
extern const char kMsgDataOpen[];  // データファイルのオープンに失敗しました。 / ファイル構成を確認して下さい。
extern const char kMsgDataRead[];  // データファイルの読み込みに失敗しました。 / 再インストールして下さい。
extern const char kMsgObjectCreate[];  // オブジェクト生成に失敗しました。
extern const char kMsgWindowCreate[];  // ウィンドウの生成に失敗しました。
extern const char kMsgClockCreate[];   // 時計本体の実体生成に失敗しました。
extern const char kMsgMenuCreate[];    // メニューの生成に失敗しました。
extern const char kMsgMenuBuild[];     // メニューの作成に失敗しました。
extern const char kMsgTimer[];         // タイマ初期化に失敗しました。
extern const char kMsgMenuRefresh[];   // メニューの更新に失敗しました。
extern const char kMsgEnvChange[];     // 環境の変更に失敗しました。
extern const char kMsgEnvSave[];       // 環境の保存に失敗しました。
extern const char kMenuLeftTop[];      // 左上に表示(&1)
extern const char kMenuRightTop[];     // 右上に表示(&2)
extern const char kMenuLeftBottom[];   // 左下に表示(&3)
extern const char kMenuRightBottom[];  // 右下に表示(&4)
extern const char kMenuTopmost[];      // 常に手前に表示(&T)
extern const char kMenuAbout[];        // バージョン情報(&A)
extern const char kMenuExit[];         // 終了(&X)

// The menu texts in English, beside the Japanese ones in the menu table.
extern const char kMenuLeftTopEn[];
extern const char kMenuRightTopEn[];
extern const char kMenuLeftBottomEn[];
extern const char kMenuRightBottomEn[];
extern const char kMenuTopmostEn[];
extern const char kMenuAboutEn[];
extern const char kMenuExitEn[];

}  // namespace horlin
