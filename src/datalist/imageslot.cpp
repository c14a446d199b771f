#include "datalist/imageslot.h"

namespace nubivu {

const SlotPaths& defaultTitles() {
    static const SlotPaths titles = {
        QStringLiteral("雲の写真"), QStringLiteral("天気図"), QStringLiteral("雨の分布"),
        QStringLiteral("北の空"),   QStringLiteral("南の空"), QStringLiteral("東の空"),
        QStringLiteral("西の空"),
    };
    return titles;
}

namespace {
constexpr std::array<const char*, SlotCount> Keys = {"cloud", "map",  "rain", "north",
                                                     "south", "east", "west"};
} // namespace

QString slotKey(ImageSlot slot) { return QLatin1String(Keys[size_t(slotIndex(slot))]); }

std::optional<ImageSlot> slotOfKey(QStringView key) {
    for (int slot = 0; slot < SlotCount; ++slot)
        if (key == QLatin1String(Keys[size_t(slot)])) return ImageSlot(slot);
    return std::nullopt;
}

} // namespace nubivu
