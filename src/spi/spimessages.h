#pragma once
// The plug-in host's message texts, as the user reads them.

namespace nubivu::msg {
inline const char* const SpiCannotLoad = "%1:Susie Pluginがロードできませんでした";
inline const char* const SpiInvalidApi = "%1は[%2]では使えないSusie Plugin APIです";
inline const char* const SpiDupManager = "TSPIs は複数生成できません";
inline const char* const SpiCouldNotDecode = "Susie Plugins could not decode";
inline const char* const SpiLoadingGraphic = "Loading Graphic by Susie Plugin";
inline const char* const SpiLoadedGraphic = "Loaded Graphic by Susie Plugin";
inline const char* const SpiSeeking = "Seeking enabled Susie Plugins";
inline const char* const SpiLoadingBy = "Loading by [%1]";
inline const char* const SpiBitmapLoaded = "Loaded Graphic";
inline const char* const SpiSkippedIntro = "次のSusie Pluginは読み込めなかったので使いません:";
} // namespace nubivu::msg
