#include "app/instancemessage.h"

#include <QStringDecoder>

namespace nubivu {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate");
const QByteArray kOpen = QByteArrayLiteral("open\t");
} // namespace

QByteArray InstanceMessage::encode() const {
    if (kind == Kind::Activate) return kActivate + '\n';
    return kOpen + path.toUtf8() + '\n';
}

std::optional<InstanceMessage> InstanceMessage::decode(const QByteArray& line) {
    if (line.size() > MaxLine) return std::nullopt;
    if (line == kActivate) return InstanceMessage{};
    if (!line.startsWith(kOpen)) return std::nullopt;
    const QByteArray raw = line.mid(kOpen.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString path = utf8.decode(raw);
    // Only an absolute path of a real file name: no line breaks, no NUL,
    // nothing that failed to decode.
    if (utf8.hasError() || path.isEmpty() || !path.startsWith(QLatin1Char('/')) ||
        path.contains(QChar(0)) || path.contains(QLatin1Char('\n')) ||
        path.contains(QLatin1Char('\r')))
        return std::nullopt;
    return InstanceMessage{Kind::Open, path};
}

} // namespace nubivu
