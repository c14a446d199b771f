#pragma once
// Reads and decodes the next rows' pictures on one worker thread while the
// row on show is on screen, so that on two cores showing the next row costs
// little more than painting it. At most two rows ahead are held: a play asks
// for the row after next too, so the worker never waits while the row it
// finished is being shown. With one core nothing is decoded ahead: the row
// is loaded when shown, each pane painted while its picture is fresh in the
// cache, which costs less there. What a row shows does not depend on whether it
// was decoded ahead: the same pictures, and the same failures, kept with the
// slot they belong to.
//
// Whatever the decoder reaches (the format registry, the plug-in manager
// behind it) must outlive it: a job may be calling a plug-in until it is gone.
#include "pictures/graphic.h"

#include <QStringList>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace nubivu {

class FormatRegistry;

// One pane's picture, read and decoded as far as it will go.
struct DecodedPicture {
    QString path;
    // Null when the pane is to be cleared: no path, a missing or unreadable
    // file, a format without decoder, bad data.
    std::unique_ptr<Graphic> graphic;
    // An error met while decoding the pixels of a picture whose header was
    // sound (a JPEG data error): a pane would have met it while painting, so
    // it is reported after the row is painted, once; graphic keeps the rows
    // decoded before it.
    QString paintError;
};

// Loads path (as the pane loads it: a resolved path, or empty) by its
// extension through formats and decodes it in full, with the pane's decode
// options. Never raises; failures are in the result. Safe off the GUI thread.
DecodedPicture decodePicture(const FormatRegistry& formats, const QString& path,
                             const DecodeOptions& options = {});

struct DecodedRow {
    int row = 0;
    QStringList paths;
    std::vector<DecodedPicture> pictures; // one per path, in the same order
};

class DecodeAhead {
public:
    using Decoder = std::function<DecodedPicture(const QString& path)>;
    using CoreCount = std::function<int()>;
    // The cores this process may run on now.
    static int availableCores();

    // With one core (cores() below 2 at a request) nothing is decoded ahead.
    explicit DecodeAhead(Decoder decoder, CoreCount cores = availableCores);
    // Waits for a picture being decoded to finish.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    struct RowRequest {
        int row = 0;
        QStringList paths; // the fill-in already applied
        // The size each picture will be drawn at, where it is known
        // beforehand: the picture is scaled to it once decoded, while it is
        // fresh in the cache. Missing or empty sizes: none.
        std::vector<QSize> drawSizes = {};
    };
    static constexpr size_t MaxRowsAhead = 2;

    // Decodes these rows, in this order (at most MaxRowsAhead), keeping what
    // was done for any of them already and dropping every other row.
    void request(std::vector<RowRequest> rows);
    void request(int row, const QStringList& paths) { request({RowRequest{row, paths}}); }
    // How much the taking thread decodes while it waits for a row: only that
    // row's pictures the worker has not started (a paced play, where the row
    // should come on screen as soon as it can), or also one of the row after
    // rather than wait idle for the worker (as fast as the pictures load).
    enum class Help { ThisRow, RowsAfterToo };

    // The decoded row when it is this row with these paths; otherwise
    // nothing, and what was held is dropped. Rows asked for before it are
    // dropped, rows after it kept. A row still being decoded is finished
    // first, the calling thread helping as said, so that both cores work on
    // it. A row is taken once.
    std::optional<DecodedRow> take(int row, const QStringList& paths, Help help = Help::ThisRow);
    // Drops what was decoded or asked for: the list, the options or the row
    // changed.
    void discard();
    // A row held, or asked for and on its way.
    bool busy() const;
    // Every row asked for is decoded (or failed): the worker has nothing left.
    bool idle() const;

private:
    enum class State : char { Waiting, Decoding, Done };
    struct Job {
        quint64 id = 0;
        DecodedRow row;
        std::vector<State> states;
        std::vector<QSize> drawSizes;
        size_t done = 0;
        bool is(int r, const QStringList& p) const { return row.row == r && row.paths == p; }
        bool hasWaiting() const;
        bool finished() const { return done == states.size(); }
    };
    void run();
    // Decodes one picture not yet started, of the job with that id or else
    // of the first job that has one, unlocking meanwhile; false when none is
    // left to start.
    bool decodeOne(std::unique_lock<std::mutex>& lock, std::optional<quint64> only = {});
    Job* jobWithId(quint64 id);
    // Under the lock; the dropped jobs are freed by the caller, after unlocking.
    std::vector<Job> dropLocked();

    Decoder decoder_;
    CoreCount cores_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    quint64 nextId_ = 0;
    std::vector<Job> jobs_; // the first is the one to be taken next
    // The jobs of the pictures being decoded now, one entry a picture. A row
    // is handed out only once no picture of a dropped job is left in hand,
    // so that no more than the rows asked for are ever held.
    std::vector<quint64> inFlight_;
    bool noneStaleLocked() const;
    bool quit_ = false;
    std::thread worker_;
};

} // namespace nubivu
