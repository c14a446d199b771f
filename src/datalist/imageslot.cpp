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

} // namespace nubivu
