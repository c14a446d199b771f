#pragma once
// Declared first in a fuzz input: when the input is done, the picture memory
// its pictures left for the next ones is given back, so that every input
// starts from the same state and no branch depends on the inputs before.
#include "pictures/picturememory.h"

struct FreshPictureMemory {
    FreshPictureMemory() = default;
    FreshPictureMemory(const FreshPictureMemory&) = delete;
    FreshPictureMemory& operator=(const FreshPictureMemory&) = delete;
    ~FreshPictureMemory() { nubivu::PictureMemory::releaseKept(); }
};
