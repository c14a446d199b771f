#pragma once
// Reads and decodes the next row's pictures on one worker thread while the
// row on show is on screen, so that on two cores showing the next row costs
// little more than painting it. At most one row ahead is held. What a row
// shows does not depend on whether it was decoded ahead: the same pictures,
// and the same failures, kept with the slot they belong to.
//
// The owner must destroy it before the plug-in manager, since a job may be
// calling a plug-in.
#include "pictures/tgraphic.h"

#include <QStringList>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace nubivu {

// One pane's picture, read and decoded as far as it will go.
struct DecodedPicture {
    QString path;
    // Null when the pane is to be cleared: no path, a missing or unreadable
    // file, a format without decoder, bad data.
    std::unique_ptr<TGraphic> graphic;
    // An error met while decoding the pixels of a picture whose header was
    // sound (a JPEG data error): a pane would have met it while painting, so
    // it is reported after the row is painted, once; graphic keeps the rows
    // decoded before it.
    QString paintError;
};

// Loads path (as the pane loads it: a resolved path, or empty) by its
// extension through the picture format registry and decodes it in full.
// Never raises; failures are in the result. Safe off the GUI thread.
DecodedPicture DecodePicture(const QString& path);

struct DecodedRow {
    int row = 0;
    QStringList paths;
    std::vector<DecodedPicture> pictures; // one per path, in the same order
};

class DecodeAhead {
public:
    using Decoder = std::function<DecodedPicture(const QString& path)>;

    explicit DecodeAhead(Decoder decoder = DecodePicture);
    // Waits for a picture being decoded to finish.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Starts decoding row with paths (the fill-in already applied), dropping
    // whatever was decoded or asked for before.
    void Request(int row, const QStringList& paths);
    // The decoded row when it is this row with these paths; otherwise
    // nothing, and what was held is dropped. A row still being decoded is
    // finished first, the calling thread decoding the pictures the worker
    // has not started, so that both cores work on it. A row is taken once.
    std::optional<DecodedRow> Take(int row, const QStringList& paths);
    // Drops what was decoded or asked for: the list, the options or the row
    // changed.
    void Discard();
    // A row held, or asked for and on its way.
    bool Busy() const;

private:
    enum class State : char { Waiting, Decoding, Done };
    struct Job {
        quint64 id = 0;
        DecodedRow row;
        std::vector<State> states;
        size_t done = 0;
        bool Is(int r, const QStringList& p) const { return row.row == r && row.paths == p; }
        bool Finished() const { return done == states.size(); }
    };
    void run();
    // Decodes one picture of the job not yet started, unlocking meanwhile;
    // false when none is left to start.
    bool decodeOne(std::unique_lock<std::mutex>& lock);
    // Under the lock; the dropped job is freed by the caller, after unlocking.
    std::optional<Job> dropLocked();

    Decoder decoder_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    quint64 generation_ = 0;
    std::optional<Job> job_;
    // The jobs of the pictures being decoded now, one entry a picture. A row
    // is handed out only once no picture of a dropped job is left in hand,
    // so that no more than one row ahead is ever held.
    std::vector<quint64> inFlight_;
    bool noneStaleLocked() const;
    bool quit_ = false;
    std::thread worker_;
};

} // namespace nubivu
