#pragma once

#include <QByteArray>

// Where the tools run from this time.
enum class ToolSource {
    Usual,      // the tools folder (DefaultToolDir)
    Private,    // a folder of this user's alone, as the tools folder cannot take them
    Installed,  // the tools on the PATH; they have no packers, so MP4 and 3GP rows fail
};

struct ToolChoice {
    QByteArray dir;  // ends in a separator
    ToolSource source = ToolSource::Usual;
};

// The folder to run the tools from, once they were written into `usualDir`.
// That folder as long as it holds every tool, runnable (earlier copies count).
// Otherwise (a read-only home, a home mounted noexec) the tools are written
// into a private folder (InstallToolsInPrivateFolder); failing that the
// installed tools are used; with none of them either, the usual folder stays.
ToolChoice ChooseToolDir(const QByteArray &usualDir);

// Writes every tool into a folder only this user can enter (mode 0700, ours,
// not a link): "q9plemo-tools/" in $XDG_RUNTIME_DIR, else "q9plemo-tools-<uid>/"
// in the temporary folder ($TMPDIR, else /tmp), else a fresh
// "q9plemo-tools-XXXXXX/" there when that name is someone else's. Returns the
// first of them that ends up holding every tool, runnable (a folder on a
// noexec mount does not), with a final separator; empty when none does.
QByteArray InstallToolsInPrivateFolder();
