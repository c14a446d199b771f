#pragma once
// What a second copy of the program tells the first one over the local
// socket: one UTF-8 line, "activate" or "open<TAB>absolute path".
#include <QByteArray>
#include <QString>
#include <optional>

namespace nubivu {

struct InstanceMessage {
    enum class Kind { Activate, Open };
    Kind kind = Kind::Activate;
    QString path; // Open only

    QByteArray encode() const;
    // One line without its line feed; nothing for anything malformed.
    static std::optional<InstanceMessage> decode(const QByteArray& line);

    // A longer line is not a message of ours; the reader drops the peer.
    static constexpr qsizetype MaxLine = 64 * 1024;
};

} // namespace nubivu
