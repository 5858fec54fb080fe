#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// The percentage of one chunk of encoder output. The encoder prints progress
// lines such as "Pos:   1.0s     25f ( 16%)" separated by carriage returns; the
// first "%)" of the chunk counts, with the digits (at most three) right before
// it: "( 5%)" gives 5, "(37%)" 37, "(100%)" 100. False, leaving `percent`
// alone, when the chunk has no "%)", no digit before it, or a value above 100.
bool ParseConvertOutput(const char *chunk, int *percent);

// Whether the encoder's closing summary in `output` (the end of what it
// printed) says that not one byte of video was written:
// "Video stream:     -nan kbit/s  ...  size: 0 bytes  0.000 secs  2 frames".
// A source whose frames cannot be decoded (an MP4 cut off right after its
// header) lets the encoder exit 0 with an output of headers only. False when
// there is no summary.
bool EncoderWroteNoVideo(const QByteArray &output);

// The encoder's closing summary: how many bytes of video and sound it says it
// wrote. A file smaller than that was cut short (a full volume: the encoder
// exits 0 all the same).
struct EncoderSummary {
    bool found = false;
    qint64 videoBytes = 0;
    qint64 audioBytes = 0;
    std::optional<double> videoKbits;    // the video stream's mean rate, when the summary gives it
    std::optional<double> videoSeconds;  // the video stream's length, when the summary gives it
    std::optional<int> videoFrames;      // the frames it wrote, when the summary gives them
};
EncoderSummary ParseEncoderSummary(const QByteArray &output);

// What the encoder's running output tells of the source's picture: frames it
// wrote again to keep the output's rate ("3 duplicate frame(s)!") and
// pictures the decoder found damaged ("concealing 99 DC, 99 AC, 99 MV errors
// in P frame", "Error while decoding frame!"). A source whose data is
// garbage behind a good header gives both: the encoder repeats the last
// picture it could decode for the rest of the file. Fed chunk by chunk as the
// encoder prints; a line split between chunks counts once.
class EncoderTrouble {
public:
    void feed(const char *chunk);
    int repeatedFrames() const { return m_repeated; }
    int damagedPictures() const { return m_damaged; }

private:
    void countLine(const QByteArray &line);

    QByteArray m_partial;  // the start of a line whose end has not come yet
    int m_repeated = 0;
    int m_damaged = 0;
};
