#include "catalogue/iso_picture.h"

#include "catalogue/avc_sps.h"
#include "catalogue/iso_boxes.h"

#include <QFile>
#include <QHash>
#include <QtEndian>
#include <array>
#include <cmath>

namespace {

using Matrix = std::array<std::array<qint64, 3>, 3>;

constexpr Matrix kIdentity{{{1 << 16, 0, 0}, {0, 1 << 16, 0}, {0, 0, 1 << 30}}};

// The visual sample entry's own fields before its child boxes.
constexpr qsizetype kVisualEntryFields = 78;

qint64 Int32At(const QByteArray &data, qsizetype at)
{
    return qFromBigEndian<qint32>(data.constData() + at);
}

// The nine entries of a matrix stored at `at`: a b u / c d v / x y w, u v w
// in 2.30 fixed point, the others 16.16. The identity when there is none.
Matrix MatrixAt(const std::optional<QByteArray> &box, qsizetype version0At, qsizetype version1At)
{
    if (!box || box->isEmpty())
        return kIdentity;
    const qsizetype at = box->at(0) == 1 ? version1At : version0At;
    if (box->size() < at + 36)
        return kIdentity;
    Matrix matrix{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            matrix[i][j] = Int32At(*box, at + 4 * (3 * i + j));
    }
    return matrix;
}

// The track's matrix applied before the movie's, in the fixed points the
// matrices are stored in.
Matrix Product(const Matrix &track, const Matrix &movie)
{
    constexpr std::array<int, 3> kShift{16, 16, 30};
    Matrix result{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int e = 0; e < 3; ++e)
                result[i][j] += (track[i][e] * movie[e][j]) >> kShift[e];
        }
    }
    return result;
}

// Whether the matrix scales one side more than the other (a stretched
// picture, whose pixel shape players then take from the matrix).
bool Stretches(const Matrix &matrix)
{
    const double across = std::hypot(double(matrix[0][0]), double(matrix[1][0]));
    const double down = std::hypot(double(matrix[0][1]), double(matrix[1][1]));
    return across > 1 && down > 1 && std::abs(across / down - 1) > 0.01;
}

// ffprobe's names of the colour codes of ITU-T H.273; empty for codes it
// calls unknown or reserved.
QByteArray PrimariesName(int code)
{
    static const QHash<int, QByteArray> names{{1, "bt709"},     {4, "bt470m"},    {5, "bt470bg"},   {6, "smpte170m"},
                                              {7, "smpte240m"}, {8, "film"},      {9, "bt2020"},    {10, "smpte428"},
                                              {11, "smpte431"}, {12, "smpte432"}, {22, "jedec-p22"}};
    return names.value(code);
}

QByteArray TransferName(int code)
{
    static const QHash<int, QByteArray> names{
        {1, "bt709"},         {4, "bt470m"},     {5, "bt470bg"},       {6, "smpte170m"},
        {7, "smpte240m"},     {8, "linear"},     {9, "log100"},        {10, "log316"},
        {11, "iec61966-2-4"}, {12, "bt1361e"},   {13, "iec61966-2-1"}, {14, "bt2020-10"},
        {15, "bt2020-12"},    {16, "smpte2084"}, {17, "smpte428"},     {18, "arib-std-b67"}};
    return names.value(code);
}

QByteArray MatrixName(int code)
{
    static const QHash<int, QByteArray> names{{0, "gbr"},
                                              {1, "bt709"},
                                              {4, "fcc"},
                                              {5, "bt470bg"},
                                              {6, "smpte170m"},
                                              {7, "smpte240m"},
                                              {8, "ycgco"},
                                              {9, "bt2020nc"},
                                              {10, "bt2020c"},
                                              {11, "smpte2085"},
                                              {12, "chroma-derived-nc"},
                                              {13, "chroma-derived-c"},
                                              {14, "ictcp"}};
    return names.value(code);
}

// The colours: those the stream names, else those of the 'colr' box ("nclx"
// or "nclc": the primaries, transfer and matrix codes, 16 bits each).
SourceColour ColourOf(const AvcSps &sps, const std::optional<QByteArray> &colr)
{
    int primaries = 2, transfer = 2, matrix = 2;  // unspecified
    if (colr && colr->size() >= 10 && (colr->startsWith("nclx") || colr->startsWith("nclc"))) {
        primaries = qFromBigEndian<quint16>(colr->constData() + 4);
        transfer = qFromBigEndian<quint16>(colr->constData() + 6);
        matrix = qFromBigEndian<quint16>(colr->constData() + 8);
    }
    if (sps.transfer) {
        primaries = *sps.primaries;
        transfer = *sps.transfer;
        matrix = *sps.matrix;
    }
    return {TransferName(transfer), PrimariesName(primaries), MatrixName(matrix)};
}

}  // namespace

std::optional<SourcePicture> ReadIsoPicture(const QByteArray &movie)
{
    const std::optional<QByteArray> track = FirstVideoTrack(movie);
    if (!track)
        return std::nullopt;
    const std::optional<QByteArray> media = Child(*track, "mdia");
    const std::optional<QByteArray> info = media ? Child(*media, "minf") : std::nullopt;
    const std::optional<QByteArray> table = info ? Child(*info, "stbl") : std::nullopt;
    const std::optional<QByteArray> entries = table ? Child(*table, "stsd") : std::nullopt;
    // Version and flags, the entry count, then the first entry.
    const std::optional<IsoBox> entry = entries ? BoxAt(*entries, 8) : std::nullopt;
    if (!entry || (entry->type != "avc1" && entry->type != "avc3") ||
        entry->end - entry->dataStart < kVisualEntryFields)
        return std::nullopt;
    const QByteArray fields = entries->mid(entry->dataStart, entry->end - entry->dataStart);
    const QByteArray children = fields.mid(kVisualEntryFields);
    const std::optional<QByteArray> config = Child(children, "avcC");
    const std::optional<QByteArray> spsNal = config ? FirstSpsOfAvcConfig(*config) : std::nullopt;
    const std::optional<AvcSps> sps = spsNal ? ParseAvcSps(*spsNal) : std::nullopt;
    // The entry's size after its reserved words and pre-defined fields.
    if (!sps || qFromBigEndian<quint16>(fields.constData() + 24) != sps->width ||
        qFromBigEndian<quint16>(fields.constData() + 26) != sps->height)
        return std::nullopt;

    // The track header's matrix follows its times, ids and duration (longer in
    // version 1), the movie header's its times, rate and volume.
    const Matrix matrix = Product(MatrixAt(Child(*track, "tkhd"), 40, 52), MatrixAt(Child(movie, "mvhd"), 36, 48));
    const std::optional<PictureTurn> turn = QuarterTurn(matrix[0][0], matrix[0][1], matrix[1][0], matrix[1][1]);
    if (!turn || Stretches(matrix))
        return std::nullopt;

    SourcePicture picture;
    picture.turn = *turn;
    picture.shape.width = sps->width;
    picture.shape.height = sps->height;
    const std::optional<QByteArray> pasp = Child(children, "pasp");
    qint64 sarNum = sps->sarNum, sarDen = sps->sarDen;
    if (pasp && pasp->size() >= 8 && Int32At(*pasp, 0) > 0 && Int32At(*pasp, 4) > 0) {
        sarNum = Int32At(*pasp, 0);
        sarDen = Int32At(*pasp, 4);
    }
    picture.shape.pixelAspect = SanePixelAspect(sarNum, sarDen);
    picture.colour = ColourOf(*sps, Child(children, "colr"));
    return picture;
}

std::optional<SourcePicture> ReadIsoPicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QByteArray> movie = ReadMovieBox(file);
    return movie ? ReadIsoPicture(*movie) : std::nullopt;
}
