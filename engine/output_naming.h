#pragma once

#include "engine/output_presets.h"
#include "settings/output_style.h"

#include <QMutex>
#include <QSet>

#include <QString>
#include <QStringList>
#include <QTime>

// Every extension a row's steps write or delete next to its stem.
const QStringList &RowFileExtensions();

// Extension of the encoder's output: ".avi" for MP4 and 3GP (an intermediate),
// ".flv" for FLV (the final file).
QString EncoderOutputExtension(OutputFormat format);

// The path up to, not including, its last '.'; the whole path when it has none.
QString OutputStem(const QString &path);

// `folder` (ending in '/') + the time as "hh-mm-ss" + the format's extension.
// No file is ever overwritten: when that name, or any file the row may make or
// delete beside it (.avi .flv .3gp .mp4 .m4v .aac .264 .mkv), exists already, the
// stem gets "-2", "-3" ... until every one of them is free.
QString MakeOutputFileName(const QString &folder, OutputFormat format, const QTime &localTime);

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
    // file of the folder uses with any of the row's extensions and that no
    // other row holds.
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
