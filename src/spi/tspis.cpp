#include "spi/tspis.h"

#include "core/installdirs.h"
#include "pictures/fileformats.h"
#include "spi/spimessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace nubivu {

namespace {

TSPIs* activeSPIs = nullptr;
const TGraphicClass* spiGraphicClass = nullptr;

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

QString withSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\'))) folder += QLatin1Char('/');
    return folder;
}

// The plug-in folder the user set, as Susie itself keeps it.
QString susieFolder() {
    QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    if (settings.status() != QSettings::NoError) return {};
    const QVariant value = settings.value(QStringLiteral("Plug-in/Path"));
    // A value of another type (a list, say) counts as unreadable.
    if (!value.isValid() || value.typeId() != QMetaType::QString) return {};
    return value.toString();
}

} // namespace

TSPIs::TSPIs(QObject* owner) : QObject(owner) {
    if (activeSPIs) throw ESPIDupCreateSPIs(QString::fromUtf8(msg::SpiDupManager));
    activeSPIs = this;
}

TSPIs::~TSPIs() {
    if (activeSPIs == this) activeSPIs = nullptr;
    Clear();
}

TSPIs* TSPIs::ActiveSPIs() { return activeSPIs; }
const TGraphicClass* TSPIs::SPIGraphicClass() { return spiGraphicClass; }
void TSPIs::SetGraphicClass(const TGraphicClass* cls) { spiGraphicClass = cls; }

void TSPIs::AfterLoad() {
    if (AutoSearch) Search(QStringLiteral("*.spi"));
}

QString TSPIs::OptionFolder(TSPISearchOption option) const {
    QString folder;
    switch (option) {
    case TSPISearchOption::spsSusieDir: folder = susieFolder(); break;
    case TSPISearchOption::spsAppDir: folder = QCoreApplication::applicationDirPath(); break;
    case TSPISearchOption::spsCurrentDir: folder = QDir::currentPath(); break;
    case TSPISearchOption::spsSystemDir: folder = InstalledPluginFolder(); break;
    case TSPISearchOption::spsWindowsDir: folder = QStringLiteral("/usr/share/nubivu/plugins"); break;
    }
    return folder.isEmpty() ? folder : withSeparator(folder);
}

void TSPIs::Search(const QString& mask) {
    const qsizetype separator = lastSeparator(mask);
    if (separator >= 0) {
        SearchFolder(mask.left(separator + 1), mask.mid(separator + 1));
        return;
    }
    for (TSPISearchOption option :
         {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir, TSPISearchOption::spsCurrentDir,
          TSPISearchOption::spsSystemDir, TSPISearchOption::spsWindowsDir}) {
        if (!SearchOptions.Contains(option)) continue;
        const QString folder = OptionFolder(option);
        if (!folder.isEmpty()) SearchFolder(folder, mask);
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
        bool accept = true;
        if (OnSearching) OnSearching(this, path, accept);
        if (!accept) continue;

        std::unique_ptr<TSPI> spi;
        try {
            spi = CreateSPI(path);
        } catch (const ENubivuError& e) {
            if (!SkipFaultyLibraries) throw;
            skipped_.push_back({path, e.message()});
            continue;
        }
        if (!spi) {
            // Silent for the plain search; the start-up search names it too.
            if (SkipFaultyLibraries) skipped_.push_back({path, QString::fromUtf8(msg::SpiCannotLoad).arg(path)});
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
    TSPI* raw = spi.get();
    list_.insert(list_.begin() + index, std::move(spi));
    auto* in = dynamic_cast<TInSPI*>(raw);
    if (!in) return;
    for (qsizetype i = 0; i < in->Extensions().size(); ++i) {
        const TGraphicClass* cls = spiGraphicClass;
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
        if (list_[i]->FileName().compare(fileName, Qt::CaseInsensitive) == 0) return int(i);
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
            std::any_of(spi->Extensions().begin(), spi->Extensions().end(), [&](const QString& filter) {
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
