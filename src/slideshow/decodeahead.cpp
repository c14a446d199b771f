#include "slideshow/decodeahead.h"

#include "core/errors.h"
#include "pictures/fileformats.h"
#include "pictures/tjpegimage.h"

#include <algorithm>

namespace nubivu {

DecodedPicture DecodePicture(const QString& path) {
    DecodedPicture out;
    out.path = path;
    if (path.isEmpty()) return out;
    try {
        out.graphic = LoadGraphic(path);
    } catch (...) {
        // Missing file, no decoder, bad header, out of memory: the pane is
        // cleared without a message, exactly as when it loads the file itself.
        return out;
    }
    // A JPEG keeps its pixels undecoded until first drawn; decode them here,
    // where the time is free. An error in the data would have been raised by
    // the draw: keep it for the caller to report after its paint.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(out.graphic.get())) {
        try {
            jpeg->Bitmap();
        } catch (const ENubivuError& e) {
            out.paintError = e.message();
        } catch (...) {
            // Out of memory while decoding: as a failed load, the pane is cleared.
            out.graphic.reset();
        }
    }
    return out;
}

DecodeAhead::DecodeAhead(Decoder decoder) : decoder_(std::move(decoder)) {}

DecodeAhead::~DecodeAhead() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void DecodeAhead::Request(int row, const QStringList& paths) {
    std::optional<Job> dropped;
    {
        const std::lock_guard lock(mutex_);
        dropped = dropLocked();
        Job job;
        job.id = generation_;
        job.row = DecodedRow{row, paths, std::vector<DecodedPicture>(size_t(paths.size()))};
        job.states.assign(size_t(paths.size()), State::Waiting);
        job_ = std::move(job);
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

std::optional<DecodedRow> DecodeAhead::Take(int row, const QStringList& paths) {
    std::optional<Job> dropped;
    {
        std::unique_lock lock(mutex_);
        if (job_ && job_->Is(row, paths)) {
            // Help with what the worker has not started, then wait for the rest.
            while (decodeOne(lock)) {
            }
            changed_.wait(lock, [&] {
                return (!job_ || job_->Finished() || !job_->Is(row, paths)) && noneStaleLocked();
            });
            if (job_ && job_->Is(row, paths) && job_->Finished()) {
                std::optional<DecodedRow> taken = std::move(job_->row);
                job_.reset();
                return taken;
            }
        }
        dropped = dropLocked();
    }
    return std::nullopt; // another row's pictures are freed here, outside the lock
}

void DecodeAhead::Discard() {
    std::optional<Job> dropped;
    {
        const std::lock_guard lock(mutex_);
        dropped = dropLocked();
    }
    changed_.notify_all();
}

bool DecodeAhead::Busy() const {
    const std::lock_guard lock(mutex_);
    return job_.has_value();
}

std::optional<DecodeAhead::Job> DecodeAhead::dropLocked() {
    ++generation_;
    std::optional<Job> dropped = std::move(job_);
    job_.reset();
    return dropped;
}

bool DecodeAhead::noneStaleLocked() const {
    return std::ranges::all_of(inFlight_, [&](quint64 id) { return job_ && id == job_->id; });
}

bool DecodeAhead::decodeOne(std::unique_lock<std::mutex>& lock) {
    if (!job_) return false;
    const auto waiting = std::ranges::find(job_->states, State::Waiting);
    if (waiting == job_->states.end()) return false;
    *waiting = State::Decoding;
    const size_t index = size_t(waiting - job_->states.begin());
    const quint64 id = job_->id;
    const QString path = job_->row.paths[qsizetype(index)];
    inFlight_.push_back(id);
    lock.unlock();
    DecodedPicture picture;
    try {
        picture = decoder_(path);
    } catch (...) {
        // Nothing may leave the thread; the pane is cleared, as for any failure.
        picture = DecodedPicture{path, nullptr, QString()};
    }
    lock.lock();
    if (job_ && job_->id == id) {
        job_->row.pictures[index] = std::move(picture);
        job_->states[index] = State::Done;
        ++job_->done;
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
        changed_.wait(lock, [&] {
            return quit_ ||
                   (job_ && std::ranges::find(job_->states, State::Waiting) != job_->states.end());
        });
        if (quit_) return;
        decodeOne(lock);
    }
}

} // namespace nubivu
