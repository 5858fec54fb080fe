#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Identity of one file-list row. Row numbers shift when rows are deleted, so
// threads that outlive a user's edits address rows by this id instead.
using RowId = quint64;
inline constexpr RowId kNoRow = 0;

// What the probe learns of a file besides its length, as the player prints it.
enum class ProbeFact { Codec, Resolution, FrameRate };

// Why the probe could not read a file.
enum class ProbeFailure { ToolMissing, Unreadable };

// The part of the window a probe reaches: the row it appends and fills.
class ProbePort {
public:
    virtual ~ProbePort() = default;

    // Appends a row for the file `source` (its name's bytes), whose output goes
    // to `subfolder` below the day's folder; kNoRow when the window is gone.
    virtual RowId appendRow(const QByteArray &source, const QString &subfolder = {}) = 0;
    // Whether the row is still in the list.
    virtual bool rowListed(RowId row) = 0;
    // Each of these does nothing when the row has been deleted.
    virtual void setRowFact(RowId row, ProbeFact fact, const QString &value) = 0;
    virtual void setRowLength(RowId row, int seconds) = 0;
    virtual void setRowUnreadable(RowId row, ProbeFailure why) = 0;
    // Selects and shows the first row, once the first probe has ended.
    virtual void focusFirstRow() = 0;
    // The probe of the row has ended, whatever it found.
    virtual void probeEnded(RowId row) { Q_UNUSED(row); }
};
