#include "cli/convert_arguments.h"

#include "engine/output_presets.h"
#include "engine/size_cap.h"

#include <QRegularExpression>
#include <optional>

namespace {

// The options that take a value, and what they are called in messages.
constexpr const char *kValueOptions[] = {"--format", "--size", "--fps", "--bitrate", "--max-size", "--output"};

// What the command line names before its values are checked against the format.
struct RawOptions {
    std::optional<QString> format, size, fps, bitrate, maxSize;
};

QString OfferedList(const QStringList &items)
{
    return items.join(QLatin1String(", "));
}

// "--fps 60: FLV offers 10, 12, 15, 25", the items in the order the box shows them.
QString NotOffered(const char *option, const QString &value, OutputFormat format, const QStringList &shown)
{
    return QStringLiteral("%1 %2: %3 offers %4")
        .arg(QLatin1String(option), value, FormatName(format), OfferedList(shown));
}

// A number the format's box offers, compared as a number ("015" is 15).
std::optional<int> OfferedNumber(const QString &value, const QStringList &items)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    if (!ok || !items.contains(QString::number(number)))
        return std::nullopt;
    return number;
}

// Checks the values against the format's boxes and fills the choices; the
// first bad one's message, or empty.
QString ApplyOptions(const RawOptions &raw, BatchChoices &choices)
{
    if (raw.format && !ParseFormat(raw.format->trimmed(), &choices.format))
        return QStringLiteral("--format %1: not a format; choose mp4, 3gp or flv").arg(*raw.format);
    const FormatPresets &presets = PresetsFor(choices.format);

    const BatchChoices defaults = DefaultChoices(choices.format);
    choices.width = defaults.width;
    choices.height = defaults.height;
    choices.frameRate = defaults.frameRate;
    choices.bitrate = defaults.bitrate;

    if (raw.size) {
        static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+)\\s*[xX]\\s*(\\d+)\\s*$"));
        const QRegularExpressionMatch match = pattern.match(*raw.size);
        const QString size = match.hasMatch()
                                 ? QStringLiteral("%1x%2").arg(match.captured(1).toInt()).arg(match.captured(2).toInt())
                                 : QString();
        if (!presets.resolutions.contains(size))
            return NotOffered("--size", *raw.size, choices.format, SortedLikeBox(presets.resolutions));
        choices.width = match.captured(1).toInt();
        choices.height = match.captured(2).toInt();
    }
    if (raw.fps) {
        const std::optional<int> rate = OfferedNumber(*raw.fps, presets.frameRates);
        if (!rate)
            return NotOffered("--fps", *raw.fps, choices.format, SortedLikeBox(presets.frameRates));
        choices.frameRate = *rate;
    }
    if (raw.bitrate) {
        const std::optional<int> rate = OfferedNumber(*raw.bitrate, presets.bitrates);
        if (!rate)
            return NotOffered("--bitrate", *raw.bitrate, choices.format, presets.bitrates);
        choices.bitrate = *rate;
    }
    if (raw.maxSize) {
        const std::optional<qint64> bytes = ParseSizeText(*raw.maxSize);
        if (!bytes)
            return QStringLiteral("--max-size %1: not a size; write it as 300k, 1M, 2.5MB or a number of bytes")
                .arg(*raw.maxSize);
        choices.maxBytes = *bytes;
    }
    return {};
}

bool IsHelp(const QByteArray &argument)
{
    return argument == "--help" || argument == "-h";
}

}  // namespace

bool WantsCommandLine(const QList<QByteArray> &arguments)
{
    for (const QByteArray &argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--convert" || IsHelp(argument))
            return true;
    }
    return false;
}

ParsedCommandLine ParseConvertArguments(const QList<QByteArray> &arguments)
{
    ParsedCommandLine parsed;
    ConvertRequest &request = parsed.request;
    RawOptions raw;
    QString error;  // the first bad argument's message; --help still wins over it
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            request.names << argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--convert")
            continue;
        if (IsHelp(argument)) {
            request.help = true;
            continue;
        }
        // "--name value" or "--name=value".
        const qsizetype equals = argument.indexOf('=');
        const QByteArray name = equals > 0 ? argument.left(equals) : argument;
        const char *option = nullptr;
        for (const char *known : kValueOptions) {
            if (name == known)
                option = known;
        }
        if (!option) {
            if (error.isEmpty())
                error = QStringLiteral("unknown option %1").arg(QString::fromLocal8Bit(name));
            continue;
        }
        QByteArray value;
        if (equals > 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            if (error.isEmpty())
                error = QStringLiteral("%1 needs a value").arg(QLatin1String(option));
            continue;
        }
        const QString text = QString::fromLocal8Bit(value);
        if (name == "--output") {
            if (value.isEmpty() && error.isEmpty())
                error = QStringLiteral("--output needs a folder");
            request.outputDir = value;  // a folder's name is bytes, like the sources'
        } else {
            std::optional<QString> &slot = name == "--format"    ? raw.format
                                           : name == "--size"    ? raw.size
                                           : name == "--fps"     ? raw.fps
                                           : name == "--bitrate" ? raw.bitrate
                                                                 : raw.maxSize;
            slot = text;
        }
    }
    if (request.help)
        return parsed;
    if (error.isEmpty())
        error = ApplyOptions(raw, request.choices);
    if (error.isEmpty() && request.names.isEmpty())
        error = QStringLiteral("name at least one file or folder to convert");
    parsed.error = error;
    return parsed;
}

QString ConvertUsage()
{
    QString text = QStringLiteral("Usage: q9plemo --convert [options] FILE|FOLDER...\n"
                                  "\n"
                                  "Converts files for a phone without a window, as the window would. A folder\n"
                                  "brings its video files and those of its sub-folders, and the outputs keep\n"
                                  "that tree: Trip/day1/clip.mp4 becomes Trip/day1/clip.flv.\n"
                                  "\n"
                                  "Options:\n"
                                  "  --format mp4|3gp|flv  the output format (default mp4)\n"
                                  "  --size WxH            the picture's size\n"
                                  "  --fps N               frames per second\n"
                                  "  --bitrate K           the video's kilobits per second\n"
                                  "  --max-size SIZE       the most one output file may hold: 300k, 1M, 2.5MB\n"
                                  "                        or a number of bytes (k, M, G count in 1024s)\n"
                                  "  --output DIR          write into DIR, the folders' trees below it; without\n"
                                  "                        it, into the day's folder under the output folder\n"
                                  "                        chosen in the window's settings\n"
                                  "  -h, --help            print this text\n"
                                  "\n"
                                  "What each format offers (its default in brackets):\n");
    for (const OutputFormat format : Formats()) {
        const FormatPresets &presets = PresetsFor(format);
        const auto line = [](const QStringList &items, const QString &chosen) {
            QStringList shown;
            for (const QString &item : items)
                shown << (item == chosen ? QLatin1Char('[') + item + QLatin1Char(']') : item);
            return shown.join(QLatin1Char(' '));
        };
        text += QStringLiteral("  %1  --size    %2\n       --fps     %3\n       --bitrate %4\n")
                    .arg(FormatName(format), line(SortedLikeBox(presets.resolutions), presets.defaultResolution),
                         line(SortedLikeBox(presets.frameRates), presets.defaultFrameRate),
                         line(presets.bitrates, presets.defaultBitrate));
    }
    text += QStringLiteral("\n"
                           "One line per file as it ends tells how it went; on a terminal a progress\n"
                           "line shows the whole batch's percentage and the time left.\n"
                           "\n"
                           "Exit status: 0 every file converted; 1 a file failed or could not be read;\n"
                           "2 a bad argument; 130 (SIGINT, Ctrl-C) or 143 (SIGTERM) stopped: the running\n"
                           "files' partial outputs are removed, finished ones stay.\n");
    return text;
}
