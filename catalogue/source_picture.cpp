#include "catalogue/source_picture.h"

#include "base/log.h"
#include "catalogue/ffprobe_read.h"
#include "catalogue/iso_picture.h"
#include "process/command_line.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <mutex>
#include <optional>

namespace {

// Pixels more than four times wider than high, or the other way round, are no
// real source's: such a flag is a fault of the file.
constexpr double kMaxPixelAspect = 4;
// Files looked at are remembered up to this many; then the memory starts afresh.
constexpr qsizetype kMaxRemembered = 4096;

double PixelAspectOf(const QByteArray &text)
{
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 2)
        return 1;
    bool numOk = false;
    bool denOk = false;
    const qint64 num = parts[0].toLongLong(&numOk);
    const qint64 den = parts[1].toLongLong(&denOk);
    return numOk && denOk ? SanePixelAspect(num, den) : 1;
}

// One remembered look, good while the file keeps its size and time of change.
struct Remembered {
    qint64 size = 0;
    QDateTime changed;
    bool hasShape = false;
    SourcePicture picture;
};

std::mutex g_rememberedMutex;
QHash<QString, Remembered> g_remembered;

// Nothing when ffprobe could not tell (it failed, or was stopped as stuck).
// An ISO media file is read from its own index where that tells all; else,
// without the shape, only files that may carry a turn are given to ffprobe,
// which takes about as long as the player's own look at the file.
std::optional<SourcePicture> LookAtSource(const QByteArray &toolDir, const QString &path, bool wantShape)
{
    if (IsIsoMedia(path)) {
        // The index of an H.264 file tells all of it: no tool start.
        if (const std::optional<SourcePicture> own = ReadIsoPicture(path))
            return own;
    } else if (!wantShape) {
        return SourcePicture{};
    }
    const QByteArray parameters = "-v error -select_streams v:0 -show_entries "
                                  "stream=width,height,sample_aspect_ratio,color_space,color_transfer,color_primaries"
                                  ":stream_side_data=displaymatrix,rotation -of default=nw=1 " +
                                  QuotePath(path);
    const std::optional<QByteArray> printed =
        ReadWithFfprobe(toolDir, parameters, path, "its picture is stretched to the size, as stored");
    if (!printed)
        return std::nullopt;
    SourcePicture picture;
    picture.shape = ParseSourceShape(*printed);
    picture.colour = ParseSourceColour(*printed);
    // The matrix rows follow the stream's own lines, whose values hold colons too.
    QByteArray matrix;
    for (const QByteArray &line : printed->split('\n')) {
        if (!line.startsWith("sample_aspect_ratio="))
            matrix += line + '\n';
    }
    const DisplayMatrixReport report = ParseDisplayMatrix(matrix);
    picture.turn = report.turn.value_or(PictureTurn{});
    // Without the shape the probe has looked already, and said what it saw.
    if (report.oddDegrees && wantShape) {
        qCWarning(lcQ9).nospace() << "the picture of " << path << " is to be shown turned by " << *report.oddDegrees
                                  << " degrees, no quarter turn: it is taken as stored";
    }
    if (!picture.shape.known() && wantShape)
        qCWarning(lcQ9) << "ffprobe found no picture size in" << path << "- its picture is stretched to the size";
    return picture;
}

}  // namespace

double SanePixelAspect(qint64 num, qint64 den)
{
    if (num <= 0 || den <= 0)
        return 1;
    const double aspect = double(num) / double(den);
    if (aspect > kMaxPixelAspect || aspect < 1 / kMaxPixelAspect) {
        qCWarning(lcQ9).nospace() << "the source's pixel aspect " << num << ':' << den
                                  << " is absurd: its pixels are taken as square";
        return 1;
    }
    return aspect;
}

SourceShape ParseSourceShape(const QByteArray &output)
{
    SourceShape shape;
    for (const QByteArray &rawLine : output.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith("width="))
            shape.width = line.mid(6).toInt();
        else if (line.startsWith("height="))
            shape.height = line.mid(7).toInt();
        else if (line.startsWith("sample_aspect_ratio="))
            shape.pixelAspect = PixelAspectOf(line.mid(20));
    }
    return shape;
}

SourceColour ParseSourceColour(const QByteArray &output)
{
    SourceColour colour;
    const auto named = [](const QByteArray &value) { return value == "unknown" ? QByteArray() : value; };
    for (const QByteArray &rawLine : output.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith("color_transfer="))
            colour.transfer = named(line.mid(15));
        else if (line.startsWith("color_primaries="))
            colour.primaries = named(line.mid(16));
        else if (line.startsWith("color_space="))
            colour.matrix = named(line.mid(12));
    }
    return colour;
}

SourcePicture ReadSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape)
{
    const QFileInfo before(path);
    const std::optional<SourcePicture> picture = LookAtSource(toolDir, path, wantShape);
    const QFileInfo after(path);
    // A look that failed, or a file that changed while it was read, is not remembered.
    if (!picture || !after.isFile() || after.size() != before.size() || after.lastModified() != before.lastModified())
        return picture.value_or(SourcePicture{});
    std::lock_guard lock(g_rememberedMutex);
    if (g_remembered.size() >= kMaxRemembered)
        g_remembered.clear();
    g_remembered.insert(path, Remembered{after.size(), after.lastModified(), wantShape, *picture});
    return *picture;
}

SourcePicture KnownSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape)
{
    const QFileInfo now(path);
    {
        std::lock_guard lock(g_rememberedMutex);
        const auto found = g_remembered.constFind(path);
        if (found != g_remembered.cend() && found->size == now.size() && found->changed == now.lastModified() &&
            (found->hasShape || !wantShape))
            return found->picture;
    }
    return ReadSourcePicture(toolDir, path, wantShape);
}
