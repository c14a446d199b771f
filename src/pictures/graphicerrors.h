#pragma once
#include "core/errors.h"

namespace nubivu {

// A picture's data or its format is not what its class can read.
NUBIVU_ERROR_CLASS(EInvalidGraphic, ENubivuError)
// A picture file could not be opened: "ファイル %s は開けません".
NUBIVU_ERROR_CLASS(EFOpenError, ENubivuError)
// libjpeg refused the file: "JPEG エラー #%d".
NUBIVU_ERROR_CLASS(EJPEG, ENubivuError)

namespace msg {
inline const char* const UnknownExtension = "拡張子 .%1 の画像形式は処理できません";
inline const char* const CannotOpenFile = "ファイル %1 は開けません";
inline const char* const InvalidBitmap = "ビットマップイメージが不正です";
inline const char* const InvalidIcon = "アイコンイメージが不正です";
inline const char* const InvalidMetafile = "メタファイルが不正です";
inline const char* const JpegError = "JPEG エラー #%1";
} // namespace msg

} // namespace nubivu
