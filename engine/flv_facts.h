#pragma once

#include "engine/output_report.h"

#include <QString>

// What the FLV file at `path` holds, read from its own tags without a tool:
// the codecs of its first video and audio tags, the picture size in the first
// video frame's header, the rate and length from the tags' times, and the
// file's size. Only the tags' headers and the first bytes of their data are
// read. Not readable when it is no FLV or holds no whole tag.
OutputFacts ReadFlvFacts(const QString &path);
