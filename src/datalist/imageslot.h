#pragma once
// The seven pictures of one moment, in the fixed order that is at once the
// order of a row's cells, the editor's column order, the file's field order
// and the index order of the paths on show and loaded last.
#include <QString>
#include <array>
#include <optional>

namespace nubivu {

enum class ImageSlot : int { Cloud = 0, WeatherMap, Rain, North, South, East, West };

inline constexpr int SlotCount = 7;
inline constexpr int MainSlotCount = 3; // Cloud, WeatherMap, Rain: the main window's panes

constexpr int slotIndex(ImageSlot s) { return static_cast<int>(s); }

using SlotPaths = std::array<QString, SlotCount>;

// The designed captions of the seven title labels.
const SlotPaths& defaultTitles();

// A slot's short name as a command line gives it: cloud, map, rain, north,
// south, east, west.
QString slotKey(ImageSlot slot);
std::optional<ImageSlot> slotOfKey(QStringView key);

} // namespace nubivu
