#pragma once

#include <QByteArray>
#include <optional>

// Two small grey thumbnails of one file's picture, at a quarter and at three
// quarters of its length (one byte per pixel, the same size each).
struct MotionSample {
    QByteArray early;
    QByteArray late;
};

// How much the picture changes between the two thumbnails: the mean absolute
// difference per pixel (0-255); nothing when the thumbnails are missing or of
// different sizes.
std::optional<double> PictureChange(const MotionSample &sample);

// Whether the output's picture stays still where the source's moves: the
// source changes clearly and the output hardly at all. A source whose own
// picture does not change, or a sample that could not be taken, never counts.
bool PictureStaysStill(const MotionSample &source, const MotionSample &output);
