#pragma once

#include "engine/row_outcome.h"

#include <QByteArray>
#include <QString>
#include <atomic>

class DialogPort;

// Parameter texts of the four packaging runs, for the stem of the encoder's AVI.
QByteArray RawVideoParameters(const QString &stem, const QString &avi);
QByteArray RawAudioParameters(const QString &stem, const QString &avi);
QByteArray Mp4VideoTrackParameters(const QString &stem, const QString &frameRate);
QByteArray Mp4AudioTrackParameters(const QString &stem);

// Turns the encoder's AVI into stem + ".mp4": raw video and raw audio out of the
// AVI, then the MP4 with the video track and (when the AVI has audio) the audio
// track. Every run must exit 0 and the MP4 must hold data; only then are the
// AVI and the raw streams deleted. On failure the raw streams and any
// unfinished MP4 go and the AVI stays. `stop` is looked at after every run: once
// set, nothing more runs and nothing is deleted.
RowOutcome PackageMp4(const QString &avi, const QString &frameRate, const QByteArray &toolDir,
                      DialogPort &port, const std::atomic<bool> &stop);
