#include "app/makelesson.h"

#include "app/lessonwindows.h"
#include "core/errors.h"
#include "datalist/datalistfile.h"
#include "datalist/folderlesson.h"
#include "pictures/formatregistry.h"
#include "spi/pluginmanager.h"
#include "ui/pictureprobe.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <optional>
#include <variant>

namespace nubivu {

namespace {
constexpr int BadInput = 2;
constexpr int WriteFailed = 1;

struct MakeRequest {
    QString out;
    SlotPaths folders;
    ImageSlot lead = ImageSlot::Cloud;
    bool force = false;
};

int fail(const QString& line) {
    std::fprintf(stderr, "nubivu: %s\n", qPrintable(line));
    return BadInput;
}

QString slotList() {
    QStringList keys;
    for (int slot = 0; slot < SlotCount; ++slot) keys << slotKey(ImageSlot(slot));
    return keys.join(QStringLiteral(", "));
}

// The request, or the one line that says what is wrong with it.
std::variant<MakeRequest, QString> parse(const QStringList& arguments) {
    MakeRequest request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--force") {
            request.force = true;
        } else if (a == u"--lead") {
            if (++i >= arguments.size())
                return QStringLiteral("--lead needs a slot (%1)").arg(slotList());
            const std::optional<ImageSlot> lead = slotOfKey(arguments[i]);
            if (!lead)
                return QStringLiteral("unknown lead slot '%1' (slots: %2)")
                    .arg(arguments[i], slotList());
            request.lead = *lead;
        } else if (a.startsWith(u'-')) {
            return QStringLiteral("unknown option '%1' for --make-lesson").arg(a);
        } else if (request.out.isEmpty() && !a.contains(u'=')) {
            request.out = a;
        } else {
            const qsizetype eq = a.indexOf(u'=');
            if (eq <= 0) return QStringLiteral("expected SLOT=DIR, got '%1'").arg(a);
            const std::optional<ImageSlot> slot = slotOfKey(QStringView(a).left(eq));
            if (!slot)
                return QStringLiteral("unknown slot '%1' (slots: %2)").arg(a.left(eq), slotList());
            QString& folder = request.folders[size_t(slotIndex(*slot))];
            if (!folder.isEmpty()) return QStringLiteral("slot '%1' given twice").arg(a.left(eq));
            folder = a.mid(eq + 1);
            if (folder.isEmpty())
                return QStringLiteral("no folder given for slot '%1'").arg(a.left(eq));
        }
    }
    if (request.out.isEmpty())
        return QStringLiteral("--make-lesson needs the list file to write (OUT.NV2)");
    if (dataListVersionOf(request.out) == DataListVersion::Other)
        return QStringLiteral("the list file must end in .NV2 or .NVD: %1").arg(request.out);
    if (!request.force && QFileInfo::exists(request.out))
        return QStringLiteral("%1 exists already (--force replaces it)").arg(request.out);
    return request;
}

const char* skipReason(SkipReason reason) {
    switch (reason) {
    case SkipReason::Unreadable: return "no reader or plug-in takes this file";
    case SkipReason::Undated: return "no time in its name or EXIF";
    }
    return "";
}
} // namespace

int runMakeLesson(int argc, char** argv, const QStringList& arguments) {
    QCoreApplication app(argc, argv);
    const auto parsed = parse(arguments);
    if (const QString* problem = std::get_if<QString>(&parsed)) return fail(*problem);
    const MakeRequest& request = std::get<MakeRequest>(parsed);

    // The formats a pane reads, plug-ins included, as the program finds them.
    FormatRegistry formats;
    const PluginManager plugins(formats, LessonWindows::pluginOptions());
    const FolderLesson made =
        makeFolderLesson(request.folders, request.lead, pictureProbe(formats));
    switch (made.problem) {
    case FolderProblem::None: break;
    case FolderProblem::NoLeadFolder:
        return fail(QStringLiteral("no folder for the lead slot '%1'").arg(slotKey(request.lead)));
    case FolderProblem::MissingFolder:
        return fail(QStringLiteral("no such folder: %1").arg(made.problemFolder));
    case FolderProblem::NoDatedLeadPicture:
        return fail(
            QStringLiteral("no dated picture in the lead folder %1").arg(made.problemFolder));
    }

    // Pictures below the list's folder are written relative to it, so the
    // lesson moves as one folder.
    const ListPathRebaser relative(QString(), request.out, FullPaths::RelativeBelow);
    const bool withTitles = dataListVersionOf(request.out) == DataListVersion::V2;
    try {
        const QByteArray bytes = encodeDataList(
            int(made.rows.size()), [&](int row) { return relative(made.rows[size_t(row)].paths); },
            withTitles ? std::optional(defaultTitles()) : std::nullopt, defaultTitles());
        saveDataListFile(request.out, bytes);
    } catch (const ENubivuError& e) {
        std::fprintf(stderr, "nubivu: %s: %s\n", qPrintable(request.out), qPrintable(e.message()));
        return WriteFailed;
    }
    for (const SkippedPicture& s : made.skipped)
        std::printf("skipped: %s (%s)\n", qPrintable(s.path), skipReason(s.reason));
    std::printf("%s: %zu rows, %zu files left out\n", qPrintable(request.out), made.rows.size(),
                made.skipped.size());
    return 0;
}

} // namespace nubivu
