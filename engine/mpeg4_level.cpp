#include "engine/mpeg4_level.h"

#include <iterator>

namespace {

// Smallest first. Levels 0 and 1 share their limits (QCIF, 15 frames per
// second, 64 kbit/s); level 1 is declared, since the encoder writes a level 0
// request as the reserved code 0 and readers then see no level at all.
constexpr SimpleProfileLevel kSimpleProfileLevels[] = {
    {1, "1", 99, 1485, 64},        // QCIF
    {2, "2", 396, 5940, 128},      // CIF
    {3, "3", 396, 11880, 384},     // CIF
    {4, "4a", 1200, 36000, 4000},  // 640x480
    {5, "5", 1620, 40500, 8000},   // 720x576
};

int Macroblocks(int pixels)
{
    return (pixels + 15) / 16;
}

}  // namespace

const SimpleProfileLevel &SimpleProfileLevelFor(int width, int height, double frameRate, int kilobitsPerSecond)
{
    const int perFrame = Macroblocks(width) * Macroblocks(height);
    for (const SimpleProfileLevel &level : kSimpleProfileLevels) {
        if (perFrame <= level.macroblocksPerFrame && perFrame * frameRate <= level.macroblocksPerSecond &&
            kilobitsPerSecond <= level.kilobitsPerSecond)
            return level;
    }
    return *std::prev(std::end(kSimpleProfileLevels));
}
