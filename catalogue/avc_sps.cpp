#include "catalogue/avc_sps.h"

#include "base/bit_reader.h"

#include <QtEndian>
#include <array>

namespace {

// The NAL unit's payload without its header byte and without the
// emulation-prevention bytes (the 3 of every 00 00 03).
QByteArray Rbsp(const QByteArray &nal)
{
    QByteArray rbsp;
    rbsp.reserve(nal.size());
    int zeros = 0;
    for (qsizetype i = 1; i < nal.size(); ++i) {
        const char byte = nal.at(i);
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        rbsp.append(byte);
    }
    return rbsp;
}

// Profiles whose parameter sets carry the chroma format and bit depths.
bool HasChromaFormat(quint32 profile)
{
    for (const quint32 high : {100u, 110u, 122u, 244u, 44u, 83u, 86u, 118u, 128u, 138u, 139u, 134u, 135u}) {
        if (profile == high)
            return true;
    }
    return false;
}

void SkipScalingList(BitReader &in, int size)
{
    qint64 last = 8, next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0)
            next = (last + in.se() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

// Pixel aspects 1 to 16 of Table E-1.
constexpr std::array<std::array<int, 2>, 17> kSampleAspects{{{0, 0},
                                                             {1, 1},
                                                             {12, 11},
                                                             {10, 11},
                                                             {16, 11},
                                                             {40, 33},
                                                             {24, 11},
                                                             {20, 11},
                                                             {32, 11},
                                                             {80, 33},
                                                             {18, 11},
                                                             {15, 11},
                                                             {64, 33},
                                                             {160, 99},
                                                             {4, 3},
                                                             {3, 2},
                                                             {2, 1}}};
constexpr quint32 kExtendedSar = 255;

void ReadVui(BitReader &in, AvcSps &sps)
{
    if (in.flag()) {  // aspect_ratio_info_present_flag
        const quint32 idc = in.bits(8);
        if (idc == kExtendedSar) {
            sps.sarNum = int(in.bits(16));
            sps.sarDen = int(in.bits(16));
        } else if (idc < kSampleAspects.size()) {
            sps.sarNum = kSampleAspects[idc][0];
            sps.sarDen = kSampleAspects[idc][1];
        }
    }
    if (in.flag())  // overscan_info_present_flag
        in.bits(1);
    if (in.flag()) {  // video_signal_type_present_flag
        in.bits(4);   // video_format, video_full_range_flag
        if (in.flag()) {
            sps.primaries = int(in.bits(8));
            sps.transfer = int(in.bits(8));
            sps.matrix = int(in.bits(8));
        }
    }
}

}  // namespace

std::optional<AvcSps> ParseAvcSps(const QByteArray &nal)
{
    constexpr int kSpsNalType = 7;
    if (nal.isEmpty() || (nal.at(0) & 0x1f) != kSpsNalType)
        return std::nullopt;
    BitReader in(Rbsp(nal));
    AvcSps sps;
    const quint32 profile = in.bits(8);
    in.bits(16);  // constraint flags, level_idc
    in.ue();      // seq_parameter_set_id
    quint32 chromaFormat = 1;
    bool separatePlanes = false;
    if (HasChromaFormat(profile)) {
        chromaFormat = in.ue();
        if (chromaFormat == 3)
            separatePlanes = in.flag();
        in.ue();          // bit_depth_luma_minus8
        in.ue();          // bit_depth_chroma_minus8
        in.bits(1);       // qpprime_y_zero_transform_bypass_flag
        if (in.flag()) {  // seq_scaling_matrix_present_flag
            for (int i = 0; i < (chromaFormat == 3 ? 12 : 8); ++i) {
                if (in.flag())
                    SkipScalingList(in, i < 6 ? 16 : 64);
            }
        }
    }
    in.ue();  // log2_max_frame_num_minus4
    const quint32 pocType = in.ue();
    if (pocType == 0) {
        in.ue();
    } else if (pocType == 1) {
        in.bits(1);
        in.se();
        in.se();
        const quint32 cycle = in.ue();
        if (cycle > 255)
            return std::nullopt;
        for (quint32 i = 0; i < cycle; ++i)
            in.se();
    }
    in.ue();     // max_num_ref_frames
    in.bits(1);  // gaps_in_frame_num_value_allowed_flag
    const quint32 widthInMbs = in.ue() + 1;
    const quint32 heightInMapUnits = in.ue() + 1;
    const bool framesOnly = in.flag();
    if (!framesOnly)
        in.bits(1);  // mb_adaptive_frame_field_flag
    in.bits(1);      // direct_8x8_inference_flag
    quint32 cropLeft = 0, cropRight = 0, cropTop = 0, cropBottom = 0;
    if (in.flag()) {
        cropLeft = in.ue();
        cropRight = in.ue();
        cropTop = in.ue();
        cropBottom = in.ue();
    }
    if (in.flag())
        ReadVui(in, sps);
    if (in.overrun() || chromaFormat > 3 || widthInMbs > 1024 || heightInMapUnits > 1024)
        return std::nullopt;

    const quint32 arrayType = separatePlanes ? 0 : chromaFormat;
    const quint32 cropUnitX = arrayType == 1 || arrayType == 2 ? 2 : 1;
    const quint32 cropUnitY = (arrayType == 1 ? 2 : 1) * (framesOnly ? 1 : 2);
    const qint64 width = qint64(widthInMbs) * 16 - qint64(cropUnitX) * (cropLeft + cropRight);
    const qint64 height =
        qint64(heightInMapUnits) * 16 * (framesOnly ? 1 : 2) - qint64(cropUnitY) * (cropTop + cropBottom);
    if (width <= 0 || height <= 0)
        return std::nullopt;
    sps.width = int(width);
    sps.height = int(height);
    return sps;
}

std::optional<QByteArray> FirstSpsOfAvcConfig(const QByteArray &avcC)
{
    // Version, profile, compatibility, level, length size; then the count of
    // parameter sets (low 5 bits) and each one's 16-bit length and bytes.
    if (avcC.size() < 8 || avcC.at(0) != 1 || (avcC.at(5) & 0x1f) == 0)
        return std::nullopt;
    const qsizetype length = qFromBigEndian<quint16>(avcC.constData() + 6);
    if (8 + length > avcC.size())
        return std::nullopt;
    return avcC.mid(8, length);
}
