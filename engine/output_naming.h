#pragma once

#include "engine/output_presets.h"
#include "settings/output_style.h"

#include <QMutex>
#include <QSet>

#include <QString>
#include <QStringList>
#include <QTime>

// The extension of the copy a source with frames at varying intervals is read
// from (`PrepareEncoderSource`); a row of any format may make it.
inline constexpr char kTimedCopyExtension[] = ".mkv";

// Every extension a row of `format` writes beside its stem: its final file's
// first, then its intermediates (the encoder's output when an after-step packs
// it, the timed copy). No intermediate of one format is another's final
// extension, so a row that removes its files never removes another format's
// output of the same source.
QStringList RowFileExtensions(OutputFormat format);

// Extension of the encoder's output: ".avi" for MP4 and 3GP (an intermediate),
// ".flv" for FLV (the final file).
QString EncoderOutputExtension(OutputFormat format);

// The path up to, not including, its last '.'; the whole path when it has none.
QString OutputStem(const QString &path);

// A file name stem the file system takes, made from `name`: '/' and control
// characters become '_', leading dots too (no hidden file), an empty result is
// "video", and a long one is cut at a character boundary to at most
// kMaxStemBytes bytes of UTF-8, so that every name of the row (the counter, the
// extension, the muxer's temporary) stays under 255 bytes.
inline constexpr int kMaxStemBytes = 200;
QString SafeFileStem(const QString &name);

// The row's names in the output folder. A name is picked and reserved in one
// step under a lock, so that rows converted at the same time never get the
// same stem; a stem stays reserved until it is released.
class OutputNames {
public:
    // The encoder's output path for a row converting `source` into `folder`
    // (ending in '/'): named after the source ("<name>", "<name> (2)" ...) or
    // after `localTime` ("hh-mm-ss", "hh-mm-ss-2" ...), with a stem that no
    // other running row holds (rows of every format may make the timed copy)
    // and that no file of the folder uses with any of this format's row
    // extensions. Other formats' files do not count: holiday.avi converted
    // to 3GP, then to MP4, gives holiday.3gp and holiday.mp4; no file is ever
    // overwritten, and "holiday (2).mp4" only when holiday.mp4 (or one of the
    // row's intermediates, holiday.avi) is there already.
    QString reserve(const QString &folder, const QString &source, OutputFormat format, OutputNaming naming,
                    const QTime &localTime);
    // Gives the stem of `output` back once its row has ended.
    void release(const QString &output);

private:
    QMutex m_lock;
    QSet<QString> m_stems;
};

// Whether `path` is a file holding at least one byte.
bool FileHasContent(const QString &path);
