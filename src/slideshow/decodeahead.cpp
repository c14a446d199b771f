#include "slideshow/decodeahead.h"

#include "core/errors.h"
#include "core/logging.h"
#include "pictures/formatregistry.h"
#include "pictures/jpegimage.h"

#include <algorithm>
#include <sched.h>
#include <utility>

namespace nubivu {

DecodedPicture decodePicture(const FormatRegistry& formats, const QString& path,
                             const DecodeOptions& options) {
    DecodedPicture out;
    out.path = path;
    if (path.isEmpty()) return out;
    try {
        out.graphic = formats.loadGraphic(path);
        out.graphic->setDecodeOptions(options);
    } catch (...) {
        // Missing file, no decoder, bad header, out of memory: the pane is
        // cleared without a message, exactly as when it loads the file itself.
        logCaughtFailure(lcPlay(), path, "decoded ahead: pane left empty");
        return out;
    }
    // A JPEG keeps its pixels undecoded until first drawn; decode them here,
    // where the time is free. An error in the data would have been raised by
    // the draw: keep it for the caller to report after its paint.
    if (auto* jpeg = dynamic_cast<JpegImage*>(out.graphic.get())) {
        try {
            jpeg->bitmap();
        } catch (const ENubivuError& e) {
            out.paintError = e.message();
        } catch (...) {
            // Out of memory while decoding: as a failed load, the pane is cleared.
            logCaughtFailure(lcPlay(), path, "decoded ahead: pane left empty");
            out.graphic.reset();
        }
    }
    return out;
}

int DecodeAhead::availableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

DecodeAhead::DecodeAhead(Decoder decoder, CoreCount cores)
    : decoder_(std::move(decoder)), cores_(std::move(cores)) {}

DecodeAhead::~DecodeAhead() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

bool DecodeAhead::Job::hasWaiting() const {
    return std::ranges::find(states, State::Waiting) != states.end();
}

void DecodeAhead::request(std::vector<RowRequest> rows) {
    std::vector<Job> dropped;
    {
        const std::lock_guard lock(mutex_);
        std::vector<Job> asked;
        // With one core there is nobody to decode ahead: the row is loaded
        // when it is shown, each pane painted while its picture is fresh in
        // the cache.
        if (cores_() < 2) rows.clear();
        for (const RowRequest& r : rows) {
            if (asked.size() == MaxRowsAhead) break;
            const auto held =
                std::ranges::find_if(jobs_, [&](const Job& j) { return j.is(r.row, r.paths); });
            if (held != jobs_.end()) {
                asked.push_back(std::move(*held));
                jobs_.erase(held);
                continue;
            }
            Job job;
            job.id = nextId_++;
            job.row =
                DecodedRow{r.row, r.paths, std::vector<DecodedPicture>(size_t(r.paths.size()))};
            job.states.assign(size_t(r.paths.size()), State::Waiting);
            job.drawSizes = r.drawSizes;
            asked.push_back(std::move(job));
        }
        dropped = std::exchange(jobs_, std::move(asked));
        if (!worker_.joinable() && !jobs_.empty()) worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

std::optional<DecodedRow> DecodeAhead::take(int row, const QStringList& paths, Help help) {
    std::vector<Job> dropped;
    {
        std::unique_lock lock(mutex_);
        const auto wanted =
            std::ranges::find_if(jobs_, [&](const Job& j) { return j.is(row, paths); });
        if (wanted != jobs_.end()) {
            // Rows asked for before it are passed over.
            for (auto j = jobs_.begin(); j != wanted; ++j) dropped.push_back(std::move(*j));
            jobs_.erase(jobs_.begin(), wanted);
            const quint64 id = jobs_.front().id;
            // Help with what the worker has not started, then wait for the rest,
            // or start one of the row after rather than wait idle.
            for (;;) {
                while (decodeOne(lock, id)) {
                }
                const Job* job = jobWithId(id);
                if (help == Help::ThisRow || !job || job->finished() || !decodeOne(lock)) break;
            }
            changed_.wait(lock, [&] {
                const Job* job = jobWithId(id);
                return (!job || job->finished()) && noneStaleLocked();
            });
            if (!jobs_.empty() && jobs_.front().id == id) {
                std::optional<DecodedRow> taken = std::move(jobs_.front().row);
                jobs_.erase(jobs_.begin());
                return taken; // rows passed over are freed here, outside the lock
            }
        }
        for (Job& j : dropLocked()) dropped.push_back(std::move(j));
    }
    return std::nullopt; // other rows' pictures are freed here, outside the lock
}

void DecodeAhead::discard() {
    std::vector<Job> dropped;
    {
        const std::lock_guard lock(mutex_);
        dropped = dropLocked();
    }
    changed_.notify_all();
}

bool DecodeAhead::busy() const {
    const std::lock_guard lock(mutex_);
    return !jobs_.empty();
}

bool DecodeAhead::idle() const {
    const std::lock_guard lock(mutex_);
    return std::ranges::all_of(jobs_, &Job::finished);
}

std::vector<DecodeAhead::Job> DecodeAhead::dropLocked() { return std::exchange(jobs_, {}); }

DecodeAhead::Job* DecodeAhead::jobWithId(quint64 id) {
    const auto job = std::ranges::find_if(jobs_, [&](const Job& j) { return j.id == id; });
    return job == jobs_.end() ? nullptr : &*job;
}

bool DecodeAhead::noneStaleLocked() const {
    return std::ranges::all_of(inFlight_, [&](quint64 id) {
        return std::ranges::any_of(jobs_, [&](const Job& j) { return j.id == id; });
    });
}

bool DecodeAhead::decodeOne(std::unique_lock<std::mutex>& lock, std::optional<quint64> only) {
    Job* job = nullptr;
    if (only) {
        job = jobWithId(*only);
        if (job && !job->hasWaiting()) job = nullptr;
    } else {
        const auto first = std::ranges::find_if(jobs_, &Job::hasWaiting);
        if (first != jobs_.end()) job = &*first;
    }
    if (!job) return false;
    const auto waiting = std::ranges::find(job->states, State::Waiting);
    *waiting = State::Decoding;
    const size_t index = size_t(waiting - job->states.begin());
    const quint64 id = job->id;
    const QString path = job->row.paths[qsizetype(index)];
    const QSize drawSize = index < job->drawSizes.size() ? job->drawSizes[index] : QSize();
    inFlight_.push_back(id);
    lock.unlock();
    DecodedPicture picture;
    try {
        picture = decoder_(path);
    } catch (...) {
        // Nothing may leave the thread; the pane is cleared, as for any failure.
        logCaughtFailure(lcPlay(), path, "decoded ahead: pane left empty");
        picture = DecodedPicture{path, nullptr, QString()};
    }
    if (picture.graphic && !drawSize.isEmpty()) {
        try {
            picture.graphic->prepareDraw(drawSize);
        } catch (...) {
            // No memory for the scaled copy: the paint scales it.
            logCaughtFailure(lcPlay(), path, "not scaled ahead");
        }
    }
    lock.lock();
    // The jobs may have moved meanwhile: find this one again.
    if (Job* same = jobWithId(id)) {
        same->row.pictures[index] = std::move(picture);
        same->states[index] = State::Done;
        ++same->done;
    } else {
        // The row was dropped meanwhile: free its picture without the lock.
        lock.unlock();
        picture = {};
        lock.lock();
    }
    inFlight_.erase(std::ranges::find(inFlight_, id));
    changed_.notify_all();
    return true;
}

void DecodeAhead::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return quit_ || std::ranges::any_of(jobs_, &Job::hasWaiting); });
        if (quit_) return;
        decodeOne(lock);
    }
}

} // namespace nubivu
