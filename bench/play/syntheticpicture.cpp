#include "syntheticpicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace playbench {

namespace {
constexpr int kOctaves = 4;
}

// A few octaves of smooth waves plus fine noise. Each wave is a product of a
// function of x and one of y, so both are tabulated once and the picture
// costs a multiply-add per octave and pixel.
int writeSyntheticPpm(const char* path, int index) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", PictureWidth, PictureHeight);
    const double phase = index * 0.7;
    std::vector<double> across(size_t(kOctaves) * PictureWidth);
    std::vector<double> down(size_t(kOctaves) * PictureHeight);
    double scale = 1;
    for (int octave = 0; octave < kOctaves; ++octave, scale *= 0.5) {
        const double f = 0.004 * (1 << octave);
        for (int x = 0; x < PictureWidth; ++x)
            across[size_t(octave) * PictureWidth + size_t(x)] =
                scale * std::sin(x * f + phase * (octave + 1));
        for (int y = 0; y < PictureHeight; ++y)
            down[size_t(octave) * PictureHeight + size_t(y)] = std::cos(y * f * 1.3 - phase);
    }
    std::vector<unsigned char> line(size_t(PictureWidth) * 3);
    unsigned seed = 2463534242u + unsigned(index) * 7919u;
    for (int y = 0; y < PictureHeight; ++y) {
        for (int x = 0; x < PictureWidth; ++x) {
            double v = 0;
            for (int octave = 0; octave < kOctaves; ++octave)
                v += across[size_t(octave) * PictureWidth + size_t(x)] *
                     down[size_t(octave) * PictureHeight + size_t(y)];
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int noise = int(seed % 24) - 12;
            const int g = std::clamp(int(128 + 90 * v) + noise, 0, 255);
            unsigned char* p = &line[size_t(x) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(g - 20 + index % 40, 0, 255));
            p[1] = static_cast<unsigned char>(g);
            p[2] = static_cast<unsigned char>(std::clamp(g + 30, 0, 255));
        }
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

} // namespace playbench
