#include "catalogue/probe_parser.h"

#include <climits>
#include <utility>

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// "640x360" as "360x640"; a text without both sides stays as it is.
QString SidesSwapped(const QString &resolution)
{
    const qsizetype x = resolution.indexOf(u'x');
    if (x <= 0 || x == resolution.size() - 1)
        return resolution;
    return resolution.mid(x + 1) + u'x' + resolution.left(x);
}

}  // namespace

ProbeParser::ProbeParser(ProbeReport report) : m_report(std::move(report)) {}

int ProbeParser::ParseProbeOutput(const char *chunk)
{
    return chunk ? ParseProbeOutput(QByteArray(chunk)) : 0;
}

int ProbeParser::ParseProbeOutput(const QByteArray &chunk)
{
    m_tail += chunk;
    int examined = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_tail.size(); ++i) {
        if (!IsLineBreak(m_tail[i]))
            continue;
        // Runs of carriage returns and line feeds count as one separator.
        if (i > start) {
            examineLine(m_tail.mid(start, i - start));
            ++examined;
        }
        start = i + 1;
    }
    m_tail.remove(0, start);
    return examined;
}

int ProbeParser::finish()
{
    if (m_tail.isEmpty())
        return 0;
    const QByteArray last = std::exchange(m_tail, QByteArray());
    examineLine(last);
    return 1;
}

void ProbeParser::examineLine(const QByteArray &line)
{
    // Each test looks for its key anywhere in the text; once one has matched,
    // the later tests see only its value (the text after the first "=").
    QString text = QString::fromLocal8Bit(line);
    auto matches = [&text](const char *key) {
        if (!text.contains(QLatin1String(key)))
            return false;
        const qsizetype eq = text.indexOf(u'=');
        if (eq >= 0)
            text = text.mid(eq + 1);
        return true;
    };

    if (matches("ID_VIDEO_FORMAT"))
        m_report.fact(ProbeFact::Codec, text);
    if (matches("ID_VIDEO_FPS"))
        m_report.fact(ProbeFact::FrameRate, text);
    if (matches("ID_VIDEO_WIDTH"))
        m_resolution = text + u'x';
    if (matches("ID_VIDEO_HEIGHT")) {
        m_resolution += text;
        m_report.fact(ProbeFact::Resolution, m_sidesSwapped ? SidesSwapped(m_resolution) : m_resolution);
    }
    if (matches("ID_LENGTH"))
        m_report.length(LeadingInteger(text));
}

int LeadingInteger(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}
