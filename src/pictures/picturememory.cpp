#include "pictures/picturememory.h"

#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace nubivu {

namespace {

constexpr qsizetype Granule = 64 * 1024;

struct Block {
    void* data;
    qsizetype capacity;
};

// The blocks free for reuse. One for the whole process: pictures are made
// and freed on the worker and the GUI thread alike.
struct Store {
    std::mutex mutex;
    std::vector<Block> free;
    qsizetype freeBytes = 0;

    // The smallest free block that holds bytes without wasting more than a
    // quarter of it, or a new one.
    Block take(qsizetype bytes) {
        const qsizetype capacity = (bytes + Granule - 1) / Granule * Granule;
        {
            const std::lock_guard lock(mutex);
            auto best = free.end();
            for (auto b = free.begin(); b != free.end(); ++b)
                if (b->capacity >= capacity && b->capacity - capacity <= capacity / 4 &&
                    (best == free.end() || b->capacity < best->capacity))
                    best = b;
            if (best != free.end()) {
                const Block block = *best;
                free.erase(best);
                freeBytes -= block.capacity;
                return block;
            }
        }
        return {std::aligned_alloc(64, size_t(capacity)), capacity};
    }

    void give(Block block) {
        {
            const std::lock_guard lock(mutex);
            if (freeBytes + block.capacity <= PictureMemory::MostKept) {
                free.push_back(block);
                freeBytes += block.capacity;
                return;
            }
        }
        std::free(block.data);
    }
};

Store& store() {
    // Freed pictures may come back while the process ends: the store lives on.
    static Store* const s = new Store;
    return *s;
}

void giveBack(void* info) {
    auto* block = static_cast<Block*>(info);
    store().give(*block);
    delete block;
}

} // namespace

QImage PictureMemory::newImage(QSize size, QImage::Format format) {
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth <= 0) return QImage();
    // Rows padded to 32 bits, as QImage pads its own.
    const qsizetype bytesPerLine = (qsizetype(size.width()) * depth + 31) / 32 * 4;
    if (bytesPerLine > std::numeric_limits<int>::max() / 2 ||
        bytesPerLine * size.height() < SmallestKept)
        return QImage(size, format);
    const qsizetype bytes = bytesPerLine * size.height();
    auto owner = std::make_unique<Block>(store().take(bytes));
    if (!owner->data) return QImage();
    QImage image(static_cast<uchar*>(owner->data), size.width(), size.height(), bytesPerLine,
                 format, giveBack, owner.get());
    if (image.isNull())
        store().give(*owner);
    else
        owner.release(); // the picture's now: given back with its last copy
    return image;
}

void PictureMemory::releaseKept() {
    std::vector<Block> kept;
    {
        Store& s = store();
        const std::lock_guard lock(s.mutex);
        kept.swap(s.free);
        s.freeBytes = 0;
    }
    for (const Block& block : kept) std::free(block.data);
}

qsizetype PictureMemory::keptBytes() {
    Store& s = store();
    const std::lock_guard lock(s.mutex);
    return s.freeBytes;
}

} // namespace nubivu
