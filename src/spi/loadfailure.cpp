#include "spi/loadfailure.h"

#include "spi/spimessages.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#include <elf.h>
#include <link.h>

namespace nubivu {

namespace {

QString text(const char* message) { return QString::fromUtf8(message); }

// The ELF class and machine this program was built for.
constexpr unsigned char kOwnClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
#if defined(__x86_64__)
constexpr quint16 kOwnMachine = EM_X86_64;
#elif defined(__i386__)
constexpr quint16 kOwnMachine = EM_386;
#elif defined(__aarch64__)
constexpr quint16 kOwnMachine = EM_AARCH64;
#elif defined(__arm__)
constexpr quint16 kOwnMachine = EM_ARM;
#else
constexpr quint16 kOwnMachine = EM_NONE; // unknown: not compared
#endif

} // namespace

QString describeLoadFailure(const QString& path, const QString& loaderError) {
    QFile file(path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly)) head = file.read(64);
    const auto* p = reinterpret_cast<const uchar*>(head.constData());

    // The loader knows why a Windows plug-in cannot run (no Wine, say).
    if (head.startsWith("MZ"))
        return loaderError.isEmpty() ? text(msg::SpiSkipWindowsPlugin) : loaderError;
    if (!head.startsWith(ELFMAG) || head.size() < 20) {
        if (file.isOpen()) return text(msg::SpiSkipNotLibrary);
        return text(msg::SpiSkipOther)
            .arg(loaderError.isEmpty() ? file.errorString() : loaderError);
    }
    const bool little = p[EI_DATA] == ELFDATA2LSB;
    const quint16 type =
        little ? qFromLittleEndian<quint16>(p + 16) : qFromBigEndian<quint16>(p + 16);
    const quint16 machine =
        little ? qFromLittleEndian<quint16>(p + 18) : qFromBigEndian<quint16>(p + 18);
    if (p[EI_CLASS] != kOwnClass || (kOwnMachine != EM_NONE && machine != kOwnMachine) ||
        (p[EI_DATA] != ELFDATA2LSB) != (Q_BYTE_ORDER == Q_BIG_ENDIAN))
        return text(msg::SpiSkipOtherComputer);
    if (type != ET_DYN) return text(msg::SpiSkipNotLibrary);

    // "libfoo.so.1: cannot open shared object file: ..." names the library
    // that is missing; the same words about the file itself mean it is gone.
    static const QRegularExpression missing(
        QStringLiteral("^(.+): cannot open shared object file"));
    const QRegularExpressionMatch m = missing.match(loaderError);
    if (m.hasMatch() && QFileInfo(m.captured(1)).fileName() != QFileInfo(path).fileName())
        return text(msg::SpiSkipMissingLibrary).arg(m.captured(1));
    static const QRegularExpression symbol(QStringLiteral("undefined symbol: (\\S+)"));
    const QRegularExpressionMatch s = symbol.match(loaderError);
    if (s.hasMatch()) return text(msg::SpiSkipMissingSymbol).arg(s.captured(1));
    return text(msg::SpiSkipOther).arg(loaderError);
}

} // namespace nubivu
