#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// Identity of one file-list row. Row numbers shift when rows are deleted, so
// threads that outlive a user's edits address rows by this id instead.
using RowId = quint64;
inline constexpr RowId kNoRow = 0;

struct RowEntry {
    RowId id = kNoRow;
    QString path;
    QString duration;  // the probe's "hh:mm:ss", empty when unknown
};

// How a batch ended, for the window to tell the user.
struct BatchSummary {
    int succeeded = 0;
    int failed = 0;
    bool stopped = false;   // the user stopped it
    bool diskFull = false;  // it stopped itself: the output volume is full
};

// Columns of the file list.
enum FileListColumn {
    ColNumber = 0,
    ColPath = 1,
    ColDuration = 2,
    ColCodec = 3,
    ColResolution = 4,
    ColFrameRate = 5,
    ColStatus = 6,
};

// The one narrow way the probe threads and the conversion worker reach the
// main window. The main dialog implements it by running every call on the GUI
// thread; once the window is gone every call does nothing and returns an empty
// value, so threads still running then simply run out.
class DialogPort {
public:
    virtual ~DialogPort() = default;

    // Appends a row showing its number and the path; kNoRow when the window is gone.
    virtual RowId appendRow(const QString &path) = 0;
    // Writes one cell of a row; does nothing when the row has been deleted.
    virtual void setRowText(RowId row, int column, const QString &text) = 0;
    // The rows in list order.
    virtual QList<RowEntry> rows() = 0;
    // Gives the file list the keyboard focus and marks row 0 selected and focused.
    virtual void focusFirstRow() = 0;

    virtual void setStatusText(const QString &text) = 0;
    virtual void setProgress(int percent) = 0;
    // Moves the bar (when a percentage is given) and writes the status text,
    // but only if `stillWanted` holds at the moment the window takes them. A
    // pause or stop command runs on the window's thread and shows its own text;
    // a report the worker made just before it, but that reaches the window
    // after it, must not write over that text.
    virtual void setProgressAndStatusIf(std::optional<int> percent, const QString &text,
                                        const std::function<bool()> &stillWanted)
    {
        if (stillWanted && !stillWanted())
            return;
        if (percent)
            setProgress(*percent);
        setStatusText(text);
    }

    // The batch has ended (its last status text is already shown).
    virtual void batchEnded(const BatchSummary &summary) { Q_UNUSED(summary); }
};
