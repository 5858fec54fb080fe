#pragma once

#include <QByteArray>
#include <QString>

// A file's name on Linux is bytes. Most are UTF-8, but a card or an old
// archive may hold names in another encoding (GBK), which a QString cannot
// carry back to the same bytes. The row keeps the bytes; these give what the
// program shows and what it hands to Qt and the tools.

// The bytes are valid UTF-8 (so a QString carries them unchanged).
bool IsUtf8Name(const QByteArray &name);

// The name as the user reads it: UTF-8, else GB18030 (which covers GBK), else
// Latin-1, so every byte shows as something.
QString ShownName(const QByteArray &name);

// A path that reaches the same file through a QString: the name itself when
// it is UTF-8, else a link with a UTF-8 name to it, in a folder of this
// process's own (removed when the program ends). Empty when no link can be
// made. The same bytes give the same link while the program runs.
QString OpenablePath(const QByteArray &name);

// The bytes of a path given as a QString (a path the user typed or the file
// dialog returned): what the file system holds for it.
QByteArray NameBytes(const QString &path);
