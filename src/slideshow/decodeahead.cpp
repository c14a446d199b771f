#include "slideshow/decodeahead.h"

#include "core/errors.h"
#include "pictures/fileformats.h"
#include "pictures/tjpegimage.h"

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
        ++generation_;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void DecodeAhead::Request(int row, const QStringList& paths) {
    std::optional<DecodedRow> dropped;
    {
        const std::lock_guard lock(mutex_);
        dropped = dropLocked();
        pending_ = Job{generation_, row, paths};
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

std::optional<DecodedRow> DecodeAhead::Take(int row, const QStringList& paths) {
    std::optional<DecodedRow> result;
    {
        std::unique_lock lock(mutex_);
        // The row asked for is on its way: waiting for it costs no more than
        // loading it here, and less once part of it is done.
        changed_.wait(lock, [&] {
            return !(pending_ && pending_->Is(row, paths)) &&
                   !(running_ && running_->id == generation_ && running_->Is(row, paths));
        });
        if (ready_ && ready_->row == row && ready_->paths == paths) {
            result = std::move(ready_);
            ready_.reset();
            return result;
        }
        result = dropLocked();
    }
    return std::nullopt; // result, another row's, is freed outside the lock
}

void DecodeAhead::Discard() {
    std::optional<DecodedRow> dropped;
    {
        const std::lock_guard lock(mutex_);
        dropped = dropLocked();
    }
    changed_.notify_all();
}

bool DecodeAhead::Busy() const {
    const std::lock_guard lock(mutex_);
    return ready_ || pending_ || (running_ && running_->id == generation_);
}

std::optional<DecodedRow> DecodeAhead::dropLocked() {
    ++generation_;
    pending_.reset();
    std::optional<DecodedRow> dropped = std::move(ready_);
    ready_.reset();
    return dropped;
}

void DecodeAhead::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return quit_ || pending_; });
        if (quit_) return;
        running_ = std::move(pending_);
        pending_.reset();
        const Job job = *running_;
        DecodedRow row{job.row, job.paths, {}};
        bool dropped = false;
        for (const QString& path : job.paths) {
            lock.unlock();
            DecodedPicture picture;
            try {
                picture = decoder_(path);
            } catch (...) {
                // Nothing may leave the thread; the pane is cleared, as for any failure.
                picture = DecodedPicture{path, nullptr, QString()};
            }
            lock.lock();
            // A row dropped meanwhile is not finished: free it and move on.
            if (generation_ != job.id) {
                dropped = true;
                break;
            }
            row.pictures.push_back(std::move(picture));
        }
        running_.reset();
        if (!dropped) ready_ = std::move(row);
        changed_.notify_all();
        if (dropped) {
            // The abandoned pictures are freed without holding the lock.
            lock.unlock();
            row = {};
            lock.lock();
        }
    }
}

} // namespace nubivu
