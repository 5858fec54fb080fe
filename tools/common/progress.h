/* A packer's sign of life: how far into the media it has got, printed about
 * once a second while it works. */
#pragma once

/* Notes that the media up to `seconds` is done. About once a second (the first
 * a second after the first call) prints "Pos: N.Ns" with the furthest time
 * noted so far on its own line to standard output, flushed at once: the form
 * the encoder reports its position in, so that whoever watches the run reads
 * these the same way. A run shorter than a second prints none. */
void ReportProgress(double seconds);
