#include "engine/size_cap.h"

#include <QRegularExpression>
#include <cmath>

std::optional<qint64> ParseSizeText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kmg]?)(?:i?b)?\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    double value = match.captured(1).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const QChar unit = match.captured(2).isEmpty() ? QChar() : match.captured(2).at(0).toLower();
    if (unit == u'k')
        value *= 1024;
    else if (unit == u'm')
        value *= 1024.0 * 1024;
    else if (unit == u'g')
        value *= 1024.0 * 1024 * 1024;
    const qint64 bytes = qint64(std::floor(value));
    if (bytes <= 0 || value > 1e15)
        return std::nullopt;
    return bytes;
}
