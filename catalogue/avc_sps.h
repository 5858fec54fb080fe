#pragma once

#include <QByteArray>
#include <optional>

// What an H.264 sequence parameter set tells of the picture: its size as a
// decoder shows it (after the stream's cropping), the shape of its pixels and
// its colours as its video usability information gives them.
struct AvcSps {
    int width = 0;
    int height = 0;
    // The pixel aspect as a fraction; 0:0 when the stream does not say.
    int sarNum = 0;
    int sarDen = 0;
    // The colour codes of ITU-T H.273, present only when the stream names them.
    std::optional<int> primaries;
    std::optional<int> transfer;
    std::optional<int> matrix;
};

// Reads one sequence parameter set NAL unit (its header byte first, with the
// emulation-prevention bytes still in it). Nothing for any other NAL unit or
// one that ends too early.
std::optional<AvcSps> ParseAvcSps(const QByteArray &nal);

// The first sequence parameter set of an 'avcC' box's data (the
// AVCDecoderConfigurationRecord); nothing when it holds none.
std::optional<QByteArray> FirstSpsOfAvcConfig(const QByteArray &avcC);
