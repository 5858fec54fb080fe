#pragma once

// One level of MPEG-4 Part 2 Simple Profile: what a decoder of that level
// promises to handle.
struct SimpleProfileLevel {
    int code;                  // the level as the encoder's "level" option writes it
    const char *name;          // as readers print it ("4a" for code 4)
    int macroblocksPerFrame;   // picture size, in 16x16 macroblocks
    int macroblocksPerSecond;  // picture size times frame rate
    int kilobitsPerSecond;     // video bitrate
};

// The smallest Simple Profile level whose limits hold a picture of
// `width` x `height` at `frameRate` frames per second and `kilobitsPerSecond`;
// the largest level in the table when none does.
const SimpleProfileLevel &SimpleProfileLevelFor(int width, int height, double frameRate, int kilobitsPerSecond);
