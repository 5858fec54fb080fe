#pragma once

#include "catalogue/probe_port.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Where the parser reports what it learns: the facts as the player prints
// them, and the length in whole seconds.
struct ProbeReport {
    std::function<void(ProbeFact fact, const QString &text)> fact;
    std::function<void(int seconds)> length;
};

// Reads the player's identify output of one probe and turns its ID_ lines
// into reports. Output arrives in chunks that may end in the middle of a
// line; the unfinished tail is kept and joined to the next chunk, so the
// values never depend on where the reads split the text.
class ProbeParser {
public:
    explicit ProbeParser(ProbeReport report);

    // Takes one chunk of output and examines every line it completes.
    // Returns the number of lines examined.
    int ParseProbeOutput(const char *chunk);
    int ParseProbeOutput(const QByteArray &chunk);

    // Examines the text left after the last line break, once the output has
    // ended. Returns the number of lines examined (0 or 1).
    int finish();

    // The source is shown on its side (a phone's upright picture): the
    // resolution is written as shown, height before width.
    void setSidesSwapped(bool swapped) { m_sidesSwapped = swapped; }

private:
    void examineLine(const QByteArray &line);

    ProbeReport m_report;
    QByteArray m_tail;
    // Width followed by "x", completed by the height; lives across chunks.
    QString m_resolution;
    bool m_sidesSwapped = false;
};

// The leading integer of a text: optional blanks, an optional sign and
// decimal digits up to the first other character ("5025.43" gives 5025, a
// text without digits gives 0). Saturates at the limits of int.
int LeadingInteger(const QString &text);
