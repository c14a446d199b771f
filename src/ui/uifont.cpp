#include "ui/uifont.h"

#include <QStringList>

namespace nubivu {

QFont designFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace nubivu
