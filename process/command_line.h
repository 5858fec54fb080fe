#pragma once

#include <QByteArray>
#include <QList>

// Splits one command-line text into arguments by the Windows C-runtime rules:
// blanks and tabs separate arguments outside double quotes; 2n backslashes
// before a quote give n backslashes and the quote opens or closes quoting;
// 2n+1 backslashes before a quote give n backslashes and a literal quote;
// two quotes in a row inside quoting give one literal quote; other
// backslashes are literal.
QList<QByteArray> SplitCommandLine(const QByteArray &commandLine);

// A path between double quotes, escaped so that SplitCommandLine gives back
// every byte of it unchanged.
QByteArray QuotePath(const QByteArray &path);

// The same for a path given as text (encoded as the file system expects).
QByteArray QuotePath(const QString &path);

// A tool's path for the start of a command line: unquoted as the templates
// write it, quoted only when it would not survive splitting otherwise.
QByteArray ToolPathArg(const QByteArray &toolPath);
