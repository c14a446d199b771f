#pragma once
// The one lesson the program works on: its rows, the seven pane titles, the
// file it was last opened from or saved to, and whether it holds changes not
// yet saved. The application owns it and hands it to every window; windows
// show it and edit it here, never keep a copy of their own.
#include "datalist/datalist.h"
#include "datalist/imageslot.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <optional>

namespace nubivu {

class Lesson : public QObject {
    Q_OBJECT
public:
    explicit Lesson(QObject* parent = nullptr);

    DataList& rows() { return rows_; }
    const DataList& rows() const { return rows_; }

    // In slot order; the designed captions until a file or an edit sets them.
    const SlotPaths& titles() const { return titles_; }
    void setTitles(const SlotPaths& titles);
    void setTitle(int slot, const QString& title);

    // Full path of the data list file last opened or saved; empty at start.
    const QString& filePath() const { return filePath_; }
    void setFilePath(const QString& path);

    // True while the rows and titles hold no unsaved changes.
    bool isSaved() const { return saved_; }
    void setSaved(bool saved);
    void markUnsaved() { setSaved(false); }

    // A path of the rows as a picture is loaded from it: relative to the
    // folder of the lesson's file.
    QString resolvePath(const QString& path) const;

    // A lesson made from picture folders dates each row by the picture of
    // one slot; times: those pictures' times by full path, as they were read
    // (some from inside the file). Emptying the list forgets them.
    void setRowTimes(ImageSlot lead, QHash<QString, QDateTime> times);
    void forgetRowTimes();
    bool madeFromFolders() const { return timedSlot_.has_value(); }
    // The moment of a row: its dating picture's time, known or in its name.
    std::optional<QDateTime> rowTime(int row) const;

Q_SIGNALS:
    // Rows were edited, added or removed (the list's own signals say which).
    void rowsChanged();
    void titlesChanged();
    void filePathChanged();
    void savedChanged(bool saved);

private:
    DataList rows_;
    SlotPaths titles_;
    QString filePath_;
    bool saved_ = true;
    std::optional<ImageSlot> timedSlot_;
    QHash<QString, QDateTime> times_;
};

} // namespace nubivu
