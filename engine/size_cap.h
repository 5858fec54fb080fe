#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// A size as a user writes it: "300k", "1M", "2.5MB", "700000" (bytes). k, M
// and G count in 1024s, with or without a trailing "B" or "iB", any case.
// Nothing for an empty, negative, zero or unreadable text.
std::optional<qint64> ParseSizeText(const QString &text);
