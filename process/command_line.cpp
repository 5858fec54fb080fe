#include "process/command_line.h"

#include <QFile>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

QList<QByteArray> SplitCommandLine(const QByteArray &commandLine)
{
    QList<QByteArray> arguments;
    const char *p = commandLine.constData();
    const char *const end = p + commandLine.size();

    for (;;) {
        while (p < end && IsBlank(*p))
            ++p;
        if (p == end)
            break;

        // One argument: runs until an unquoted blank or the end of the text.
        QByteArray argument;
        bool quoted = false;
        while (p < end && (quoted || !IsBlank(*p))) {
            if (*p == '\\') {
                qsizetype slashes = 0;
                while (p < end && *p == '\\') {
                    ++slashes;
                    ++p;
                }
                if (p < end && *p == '"') {
                    // 2n backslashes: n of them, the quote toggles quoting;
                    // 2n+1 backslashes: n of them and a literal quote.
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument.append('"');
                        ++p;
                    }
                } else {
                    argument.append(slashes, '\\');  // not before a quote: all literal
                }
                continue;
            }
            if (*p == '"') {
                if (quoted && p + 1 < end && p[1] == '"') {
                    argument.append('"');  // "" inside quoting; quoting goes on
                    p += 2;
                } else {
                    quoted = !quoted;
                    ++p;
                }
                continue;
            }
            argument.append(*p);
            ++p;
        }
        arguments.append(argument);
    }
    return arguments;
}

QByteArray QuotePath(const QByteArray &path)
{
    QByteArray quoted;
    quoted.reserve(path.size() + 2);
    quoted.append('"');
    qsizetype slashes = 0;
    for (const char c : path) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are doubled, and the quote itself escaped.
            quoted.append(slashes * 2 + 1, '\\');
            quoted.append('"');
        } else {
            quoted.append(slashes, '\\');
            quoted.append(c);
        }
        slashes = 0;
    }
    // Trailing backslashes stand before the closing quote: doubled as well.
    quoted.append(slashes * 2, '\\');
    quoted.append('"');
    return quoted;
}

QByteArray QuotePath(const QString &path)
{
    return QuotePath(QFile::encodeName(path));
}

QByteArray ToolPathArg(const QByteArray &toolPath)
{
    const bool needsQuotes =
        toolPath.isEmpty() || toolPath.contains(' ') || toolPath.contains('\t') || toolPath.contains('"');
    return needsQuotes ? QuotePath(toolPath) : toolPath;
}
