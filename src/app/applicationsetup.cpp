#include "app/applicationsetup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstring>

#include <malloc.h>

namespace nubivu {

void keepPictureMemory() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
}

QLocale programLocale() { return QLocale(QLocale::Japanese, QLocale::Japan); }

void setApplicationIdentity() { QCoreApplication::setApplicationName(QStringLiteral("Nubivu")); }

bool loadQtTranslations(QCoreApplication& app, const QLocale& locale, const QString& folder) {
    auto* translator = new QTranslator(&app);
    // "qt" gathers the translations of every Qt module installed.
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"), folder) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

bool loadQtTranslations(QCoreApplication& app, const QLocale& locale) {
    return loadQtTranslations(app, locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

std::optional<QString> infoOptionText(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--version") == 0) return QStringLiteral("Nubivu " NUBIVU_VERSION "\n");
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0)
            return QStringLiteral(
                "Usage: nubivu [LIST]\n"
                "Shows the rows of a weather lesson's data list (.NV2, .NVD) as a slide show.\n"
                "\n"
                "  LIST         the data list file to open at start; with a copy already\n"
                "               running, that copy opens it\n"
                "  --help       show this help and exit\n"
                "  --version    show the version and exit\n"
                "  --make-lesson OUT.NV2 cloud=DIR [map=DIR rain=DIR north=DIR south=DIR\n"
                "               east=DIR west=DIR] [--lead SLOT] [--force]\n"
                "               write a lesson from picture folders, one row per picture\n"
                "               of the lead slot (cloud unless given), and exit\n"
                "\n"
                "Qt's own options (-platform, -display, ...) are accepted too.\n");
    }
    return std::nullopt;
}

} // namespace nubivu
