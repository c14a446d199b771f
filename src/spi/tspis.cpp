#include "spi/tspis.h"

#include "core/installdirs.h"
#include "pictures/fileformats.h"
#include "spi/libraryloader.h"
#include "spi/loadfailure.h"
#include "spi/spimessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <sys/stat.h>

namespace nubivu {

namespace {

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

QString withSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder;
}

// The text of key in [group] of an INI file exactly as written, quotes and
// backslash escapes aside.
QString rawIniValue(const QString& fileName, const QString& group, const QString& key) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals < 0 || line.left(equals).trimmed() != key) continue;
        const QString value = line.mid(equals + 1).trimmed();
        QString out;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('\\') && i + 1 < value.size())
                out += value[++i];
            else if (value[i] != QLatin1Char('"'))
                out += value[i];
        }
        return out;
    }
    return {};
}

// The plug-in folder the user set, as Susie itself keeps it.
QString susieFolder() {
    QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    if (settings.status() != QSettings::NoError) return {};
    const QVariant value = settings.value(QStringLiteral("Plug-in/Path"));
    if (!value.isValid()) return {};
    if (value.typeId() == QMetaType::QString) return value.toString();
    // QSettings reads an unquoted value with a comma in it as a list, and
    // loses the blanks around the commas; a folder name may well hold both.
    if (value.typeId() == QMetaType::QStringList && settings.format() == QSettings::NativeFormat)
        return rawIniValue(settings.fileName(), QStringLiteral("Plug-in"), QStringLiteral("Path"));
    return {}; // a value of another type counts as unreadable
}

// Two paths name the same file: the same text, or (through a symbolic link,
// a folder given twice, or letters that a case-folding file system takes as
// the same) the same file on the same device. Where the file system tells
// case apart, two names that differ by case are two files.
bool sameFile(const QString& a, const QString& b) {
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

TSPIs*& TSPIs::activeSlot() {
    static TSPIs* active = nullptr;
    return active;
}

const TGraphicClass*& TSPIs::graphicClassSlot() {
    static const TGraphicClass* graphicClass = nullptr;
    return graphicClass;
}

TSPIs::TSPIs(QObject* owner) : QObject(owner) {
    if (activeSlot()) throw ESPIDupCreateSPIs(QString::fromUtf8(msg::SpiDupManager));
    activeSlot() = this;
}

TSPIs::~TSPIs() {
    const auto lock = LockPluginCalls();
    if (activeSlot() == this) activeSlot() = nullptr;
    Clear();
}

TSPIs* TSPIs::ActiveSPIs() { return activeSlot(); }
void TSPIs::SetGraphicClass(const TGraphicClass* cls) { graphicClassSlot() = cls; }

void TSPIs::AfterLoad() {
    if (AutoSearch) Search(QStringLiteral("*.spi"));
}

QStringList TSPIs::OptionFolders(TSPISearchOption option) const {
    QStringList folders;
    switch (option) {
    case TSPISearchOption::spsSusieDir: folders << susieFolder(); break;
    case TSPISearchOption::spsAppDir: {
        folders << QCoreApplication::applicationDirPath();
        // An installed copy keeps its files apart: the program in bin/, the
        // plug-ins shipped with it in lib/nubivu/plugins. They belong to the
        // program's folder all the same.
        const QString shipped = InstalledPluginFolder();
        if (QDir(shipped).exists()) folders << shipped;
        break;
    }
    case TSPISearchOption::spsCurrentDir: folders << QDir::currentPath(); break;
    case TSPISearchOption::spsSystemDir: folders << InstalledPluginFolder(); break;
    case TSPISearchOption::spsWindowsDir:
        folders << QStringLiteral("/usr/share/nubivu/plugins");
        break;
    }
    folders.removeAll(QString());
    for (QString& folder : folders) folder = withSeparator(folder);
    return folders;
}

void TSPIs::Search(const QString& mask) {
    const qsizetype separator = lastSeparator(mask);
    if (separator >= 0) {
        SearchFolder(mask.left(separator + 1), mask.mid(separator + 1));
        return;
    }
    for (TSPISearchOption option : {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir,
                                    TSPISearchOption::spsCurrentDir, TSPISearchOption::spsSystemDir,
                                    TSPISearchOption::spsWindowsDir}) {
        if (!SearchOptions.Contains(option)) continue;
        for (const QString& folder : OptionFolders(option)) SearchFolder(folder, mask);
    }
}

void TSPIs::SearchFolder(const QString& folder, const QString& mask) {
    // Plain files only: hidden files and folders are never plug-ins.
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QStringList{mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);

    QStringList candidates;
    for (const QString& name : names) {
        const QString path = QDir::cleanPath(dir.absoluteFilePath(name));
        if (IndexOf(path) == -1) candidates.append(path);
    }

    for (const QString& path : candidates) {
        // A file reached a second way (a linked folder, a folder given twice)
        // is loaded, or named as skipped, once.
        if (IndexOf(path) != -1) continue;
        if (std::any_of(skipped_.begin(), skipped_.end(),
                        [&](const TSkippedPlugin& s) { return sameFile(s.fileName, path); }))
            continue;
        bool accept = true;
        if (OnSearching) OnSearching(this, path, accept);
        if (!accept) continue;

        std::unique_ptr<TSPI> spi;
        try {
            spi = CreateSPI(path);
        } catch (const ESPIInvalidAPI& e) {
            if (!SkipFaultyLibraries) throw;
            skipped_.push_back(
                {path, QString::fromUtf8(msg::SpiSkipMissingEntryPoint).arg(e.EntryPoint())});
            continue;
        } catch (const ENubivuError& e) {
            if (!SkipFaultyLibraries) throw;
            skipped_.push_back({path, e.message()});
            continue;
        }
        if (!spi) {
            // Silent for the plain search; the start-up search says why.
            if (SkipFaultyLibraries)
                skipped_.push_back(
                    {path, DescribeLoadFailure(path, TLibraryLoader::Current().LastError())});
            continue;
        }

        TSPI* raw = spi.get();
        try {
            accept = true;
            if (OnSearch) OnSearch(this, raw, accept);
            if (accept) Add(std::move(spi));
        } catch (...) {
            // A plug-in whose welcome failed half way is dropped, not kept half registered.
            std::erase_if(list_, [raw](const std::unique_ptr<TSPI>& p) { return p.get() == raw; });
            if (GraphicForcedLoader == raw) GraphicForcedLoader = nullptr;
        }
    }
}

void TSPIs::Add(std::unique_ptr<TSPI> spi) { Insert(Count(), std::move(spi)); }

void TSPIs::Insert(int index, std::unique_ptr<TSPI> spi) {
    const auto lock = LockPluginCalls();
    TSPI* raw = spi.get();
    list_.insert(list_.begin() + index, std::move(spi));
    auto* in = dynamic_cast<TInSPI*>(raw);
    if (!in) return;
    for (qsizetype i = 0; i < in->Extensions().size(); ++i) {
        const TGraphicClass* cls = graphicClassSlot();
        const QString& description = in->Descriptions().at(i);
        QString rest = in->Extensions().at(i);
        // Pieces from the last to the first, so that the registry, which
        // prefers the latest entry, ranks a filter's first pattern highest.
        while (!rest.isEmpty()) {
            QString piece;
            const qsizetype semicolon = rest.lastIndexOf(QLatin1Char(';'));
            if (semicolon >= 0) {
                piece = rest.mid(semicolon + 1);
                rest.truncate(semicolon);
            } else {
                piece = rest;
                rest.clear();
            }
            const qsizetype dot = piece.indexOf(QLatin1Char('.'));
            if (dot >= 0) piece = piece.mid(dot + 1);
            if (OnPictureRegister) OnPictureRegister(this, in, piece, description, cls);
            if (cls) RegisterPictureFormat(piece, description, *cls);
        }
    }
}

void TSPIs::Delete(int index) {
    const auto lock = LockPluginCalls();
    TSPI* raw = list_.at(size_t(index)).get();
    // The forced loader is not ours, but it must not outlive its library.
    if (GraphicForcedLoader == raw) GraphicForcedLoader = nullptr;
    list_.erase(list_.begin() + index);
}

void TSPIs::Clear() {
    while (!list_.empty()) Delete(0);
}

int TSPIs::IndexOf(const QString& fileName) const {
    for (size_t i = 0; i < list_.size(); ++i)
        if (sameFile(list_[i]->FileName(), fileName)) return int(i);
    return -1;
}

void TSPIs::ListPlugins(std::initializer_list<const TSPIClass*> classes, QList<TSPI*>& list,
                        const QString& fileName) const {
    const QString extension = SPIFileExtension(fileName);
    for (const auto& spi : list_) {
        if (std::none_of(classes.begin(), classes.end(),
                         [&](const TSPIClass* cls) { return cls->isInstance(*spi); }))
            continue;
        const bool claims =
            !extension.isEmpty() &&
            std::any_of(
                spi->Extensions().begin(), spi->Extensions().end(), [&](const QString& filter) {
                    return SPIFileExtension(filter).compare(extension, Qt::CaseInsensitive) == 0;
                });
        if (claims)
            list.prepend(spi.get());
        else
            list.append(spi.get());
    }
}

QString SPIFileExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < lastSeparator(fileName)) return {};
    return fileName.mid(dot);
}

} // namespace nubivu
