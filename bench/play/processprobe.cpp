#include "processprobe.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <sched.h>
#include <unistd.h>

namespace playbench {

namespace {
QByteArray readProcFile(const char* path) {
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

double residentMegabytes() {
    // statm: size resident shared ... in pages.
    const QList<QByteArray> fields = readProcFile("/proc/self/statm").split(' ');
    if (fields.size() < 2) return -1;
    return fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double peakResidentMegabytes() {
    for (const QByteArray& line : readProcFile("/proc/self/status").split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

Cores::Cores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &set)) allowed_.push_back(cpu);
}

void Cores::use(int count) const {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int i = 0; i < count && i < available(); ++i) CPU_SET(allowed_[size_t(i)], &set);
    // Affinity belongs to each thread: set it on all of them. A thread that
    // ended meanwhile is no matter.
    const QStringList tasks =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) sched_setaffinity(pid_t(task.toInt()), sizeof set, &set);
}

} // namespace playbench
