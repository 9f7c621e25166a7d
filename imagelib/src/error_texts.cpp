// The library's messages, written in UTF-8. The build stores every literal
// below as code page 932 bytes (cmake/HorlinText.cmake).
#include "internal.h"

namespace pixolan {

const char kErrorCaption[] = "pixolan Image Library Version 1.0";

const char* const kErrorTexts[14][2] = {
    {"No errors.", "エラーはありません。"},
    {"DLL Error :\n  This DLL version is too old.\n  Please get a new version.",
     "DLLのバージョンが古いようです。\n最新版を入手して下さい。"},
    {"Error :\n  The unsupported command is used.\n  Please get a new DLL.",
     "認識できない命令を受け取りました。\n最新版のDLLを入手して下さい。"},
    {"Memory Error :\n  Not enough memory.", "必要なメモリが確保できませんでした。"},
    {"Initialize Error :\n  DIB Section can't be created.", "DIBの生成に失敗しました。"},
    {"File Error :\n  The unsupported BMP format.", "未対応のBMPフォーマットです。"},
    {"File Error :\n  Specified file can't be opened.", "ファイルオープンに失敗しました。"},
    {"File Error :\n  Specified file can't be created.", "ファイル生成に失敗しました。"},
    {"File Error :\n  Failure to read the specified file.", "ファイル読み込みに失敗しました。"},
    {"File Error :\n  Failure to write the specified file.", "ファイル書き込みに失敗しました。"},
    {"Error :\n  Parammeter \"ColorType\" is out of range.\n  Please get a new DLL.",
     "サポート範囲外の色数が指定されました。\n最新版のDLLを入手して下さい。"},
    {"Error :\n  Unexpected error.", "予期せぬエラーが発生しました。"},
    {"Error :\n  Unknown error.", "内部エラーです。"},
    {"Error :\n  External error.", "外部エラーです。"},
};

}  // namespace pixolan
