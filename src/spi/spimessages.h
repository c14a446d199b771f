#pragma once
// The plug-in host's message texts, as the user reads them.

namespace nubivu::msg {
inline const char* const SpiCannotLoad = "%1:Susie Pluginがロードできませんでした";
inline const char* const SpiInvalidApi = "%1は[%2]では使えないSusie Plugin APIです";
inline const char* const SpiCouldNotDecode = "Susie Plugins could not decode";
inline const char* const SpiLoadingGraphic = "Loading Graphic by Susie Plugin";
inline const char* const SpiLoadedGraphic = "Loaded Graphic by Susie Plugin";
inline const char* const SpiSeeking = "Seeking enabled Susie Plugins";
inline const char* const SpiLoadingBy = "Loading by [%1]";
inline const char* const SpiBitmapLoaded = "Loaded Graphic";
// Why a file in a plug-in folder was passed over, in plain words.
inline const char* const SpiSkipNotLibrary = "共有ライブラリではありません";
inline const char* const SpiSkipWindowsPlugin =
    "Windows用のSusie "
    "Pluginです。Windows用のPluginを動かす補助プログラムは、このバージョンにはまだありません";
inline const char* const SpiSkipOtherComputer = "別の種類のコンピューター用のライブラリです";
inline const char* const SpiSkipMissingLibrary = "必要なライブラリ %1 が見つかりません";
inline const char* const SpiSkipMissingSymbol = "必要な関数 %1 がどのライブラリにもありません";
inline const char* const SpiSkipMissingEntryPoint = "Susie Pluginの関数 %1 がありません";
inline const char* const SpiSkipOther = "ロードできませんでした (%1)";
inline const char* const SpiSkippedIntro = "次のSusie Pluginは読み込めなかったので使いません:";
// Why a Windows plug-in cannot run.
inline const char* const SpiWineMissing = "Wine is not installed";
inline const char* const SpiWindowsHelperMissing =
    "Windows用Pluginの補助プログラム nubivu-spihost32.exe がありません";
inline const char* const SpiWineDoesNotRun = "Wineが動きません (%1)";
// A plug-in run in the helper that crashed, hung or answered wrongly three times.
inline const char* const SpiSetAside =
    "次のSusie Pluginは異常終了または応答なしが3回あったので、このセッションではもう使いません:";
} // namespace nubivu::msg
