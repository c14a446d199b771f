#pragma once
// Cloud-like test pictures for the play bench, written as binary PPM for
// cjpeg: about as hard to compress as real satellite pictures.
namespace playbench {

constexpr int PictureWidth = 1920;
constexpr int PictureHeight = 1080;

// A PictureWidth x PictureHeight picture; each index gives a different one.
// Returns 0, or 1 when the file cannot be written.
int writeSyntheticPpm(const char* path, int index);

} // namespace playbench
