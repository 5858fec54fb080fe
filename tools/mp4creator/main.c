/* mp4creator: packs raw streams into an MP4 file without re-encoding.
 *
 *   mp4creator -c VIDEO.m4v -rate=FPS OUT.mp4   creates OUT.mp4 with the video track
 *   mp4creator -c VIDEO.avi -rate=FPS [-aac=KBPS] OUT.mp4
 *                                               the same, with the MPEG-4 video of an AVI
 *                                               (and its PCM sound compressed to AAC-LC)
 *   mp4creator -list FILE                       prints what a media file holds, as JSON
 *   (-list with -c: what OUT.mp4 holds once written)
 *   mp4creator -c AUDIO.aac OUT.mp4             adds the audio track to OUT.mp4
 *   (-tmp=PATH with -c: the temporary file's name, chosen by the caller)
 *
 * The kind of stream is told from the file's content. The result is written
 * to a temporary file beside OUT.mp4, with its index (moov) before the media
 * data, and renamed over it only when complete, so a failed run leaves an
 * existing OUT.mp4 as it was. While it writes, it prints "Pos: Ns" (the media
 * time written) about once a second. */

#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libavutil/log.h>
#include <libavutil/rational.h>

#include "list.h"
#include "mux.h"
#include "sniff.h"
#include "temp_output.h"
#include "track.h"

static const char kUsage[] =
    "usage: mp4creator -c VIDEO.m4v -rate=FPS OUT.mp4   create OUT.mp4 with the video track\n"
    "       mp4creator -c VIDEO.avi -rate=FPS [-aac=KBPS] OUT.mp4\n"
    "                                                   the same, with the MPEG-4 video of an AVI\n"
    "       mp4creator -c AUDIO.aac OUT.mp4             add the audio track to OUT.mp4\n"
    "       mp4creator -list FILE                       print what a media file holds, as JSON\n"
    "-list with -c prints what OUT.mp4 holds once it is written.\n"
    "-tmp=PATH with -c writes into PATH (created or emptied, on OUT.mp4's volume)\n"
    "and renames it over OUT.mp4 at the end; without, a hidden file beside OUT.mp4.\n"
    "\n"
    "VIDEO.m4v is a raw MPEG-4 Part 2 video stream, timed at FPS frames per second\n"
    "(a number such as 25, 29.97 or 30000/1001; 25 when -rate is left out); an AVI\n"
    "file's MPEG-4 video is taken as such a stream, one frame per chunk. With -aac,\n"
    "the AVI's 16-bit PCM sound (if it has any) is compressed to AAC-LC at KBPS\n"
    "kbit/s (8 to 320) into a second track.\n"
    "AUDIO.aac is raw ADTS AAC or MPEG audio (MP3, MP2). The stream kind is told\n"
    "from the content, not from the file name. When OUT.mp4 exists, its tracks are\n"
    "kept and the new track is added.\n";

/* Prints the one line that explains a failure; returns the exit status. */
#define Fail(...) ToolFail("mp4creator", __VA_ARGS__)

/* Frame rate text: "25", "29.97" (up to six decimals) or "30000/1001". */
static int ParseRate(const char *text, AVRational *rate)
{
    int64_t num = 0, den = 1;
    const char *p = text;
    if (*p < '0' || *p > '9')
        return 0;
    while (*p >= '0' && *p <= '9' && num < 100000000)
        num = num * 10 + (*p++ - '0');
    if (*p == '.') {
        ++p;
        int decimals = 0;
        while (*p >= '0' && *p <= '9' && decimals < 6) {
            num = num * 10 + (*p++ - '0');
            den *= 10;
            ++decimals;
        }
        if (decimals == 0)
            return 0;
    } else if (*p == '/') {
        ++p;
        if (*p < '0' || *p > '9')
            return 0;
        den = 0;
        while (*p >= '0' && *p <= '9' && den < 100000000)
            den = den * 10 + (*p++ - '0');
    }
    if (*p != '\0' || num <= 0 || den <= 0 || num > 1000 * den)
        return 0;
    return av_reduce(&rate->num, &rate->den, num, den, INT32_MAX) >= 0;
}

/* Reads the first bytes of `path` and tells what they hold; -1 when the file
 * cannot be read (errno set). */
static int SniffFile(const char *path)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return -1;
    unsigned char *head = malloc(SNIFF_WINDOW);
    if (!head) {
        fclose(file);
        errno = ENOMEM;
        return -1;
    }
    const size_t got = fread(head, 1, SNIFF_WINDOW, file);
    const int failed = ferror(file);
    fclose(file);
    const StreamKind kind = DetectStreamKind(head, got);
    free(head);
    if (failed) {
        errno = EIO;
        return -1;
    }
    return (int)kind;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fputs(kUsage, stderr);
        return 1;
    }
    const char *input = NULL;
    const char *output = NULL;
    AVRational rate = {25, 1};
    int aacKbps = 0;
    int list = 0;
    const char *tempChoice = NULL;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        }
        if (strcmp(arg, "-list") == 0) {
            list = 1;
            continue;
        }
        if (strcmp(arg, "-c") == 0) {
            if (i + 1 >= argc)
                return Fail("%s needs a file name", "-c");
            input = argv[++i];
        } else if (strncmp(arg, "-aac=", 5) == 0) {
            char *end = NULL;
            const long kbps = strtol(arg + 5, &end, 10);
            if (end == arg + 5 || *end != '\0' || kbps < 8 || kbps > 320)
                return Fail("bad AAC rate: %s", arg + 5);
            aacKbps = (int)kbps;
        } else if (strncmp(arg, "-tmp=", 5) == 0) {
            if (arg[5] == '\0')
                return Fail("%s needs a file name", "-tmp=");
            tempChoice = arg + 5;
        } else if (strncmp(arg, "-rate=", 6) == 0) {
            if (!ParseRate(arg + 6, &rate))
                return Fail("bad frame rate: %s", arg + 6);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Fail("unknown option %s (run without arguments for help)", arg);
        } else if (output) {
            return Fail("more than one output file: %s and %s", output, arg);
        } else {
            output = arg;
        }
    }
    if (list && !input) {
        if (!output)
            return Fail("%s needs a file name", "-list");
        av_log_set_level(AV_LOG_QUIET);
        char error[512];
        return ListMedia(stdout, output, error, sizeof error) < 0 ? Fail("%s", error) : 0;
    }
    if (!input || !output)
        return Fail("%s (run without arguments for help)",
                    input ? "no output file given" : "no input file given (-c FILE)");

    struct stat outInfo;
    const int outExists = stat(output, &outInfo) == 0;
    if (outExists && S_ISDIR(outInfo.st_mode))
        return Fail("output is a folder: %s", output);

    if (tempChoice && (strcmp(tempChoice, output) == 0 || SameFile(tempChoice, output) || SameFile(tempChoice, input)))
        return Fail("the temporary file %s is an input or the output", tempChoice);

    const int kind = SniffFile(input);
    if (kind < 0)
        return Fail("cannot read %s: %s", input, strerror(errno));
    if (kind == STREAM_UNKNOWN)
        return Fail("unknown stream (neither MPEG-4 video, an AVI, AAC nor MPEG audio): %s", input);
    if (aacKbps > 0 && kind != STREAM_AVI)
        return Fail("-aac takes the sound of an AVI file, not of %s", input);
    if (!IsVideoKind((StreamKind)kind) && !outExists)
        return Fail("no such MP4 file to add the audio track to: %s", output);

    av_log_set_level(AV_LOG_QUIET); /* one line on failure, nothing else */
    char error[512];
    AVFormatContext *existing = NULL;
    if (outExists && OpenExistingMp4(&existing, output, error, sizeof error) < 0)
        return Fail("%s", error);
    NewTrack track;
    SoundTrack sound;
    memset(&sound, 0, sizeof sound);
    const int hasSound = aacKbps > 0 ? AviHasSound(input) : 0;
    if (OpenNewTrack(&track, input, (StreamKind)kind, rate, error, sizeof error) < 0 ||
        hasSound < 0 || (hasSound && OpenSoundTrack(&sound, input, aacKbps, error, sizeof error) < 0)) {
        if (hasSound < 0)
            snprintf(error, sizeof error, "cannot read the sound of %s", input);
        CloseSoundTrack(&sound);
        CloseNewTrack(&track);
        avformat_close_input(&existing);
        return Fail("%s", error);
    }

    int status = 1;
    char *tempPath = NULL;
    const mode_t mask = umask(0);
    umask(mask);
    const int fd = CreateTempOutput(output, tempChoice, &tempPath);
    if (fd < 0) {
        Fail("cannot create a temporary file for %s: %s", output, strerror(errno));
    } else {
        /* The result gets the permissions the file it replaces had, or those
         * of a newly created file. */
        fchmod(fd, outExists ? (outInfo.st_mode & 07777) : (0666 & ~mask));
        if (WriteMp4(tempPath, existing, &track, hasSound ? &sound : NULL, error, sizeof error) < 0)
            Fail("%s: %s", error, output);
        else if (fsync(fd) < 0 || rename(tempPath, output) < 0)
            Fail("cannot write %s: %s", output, strerror(errno));
        else
            status = 0;
        /* With -list, the file as written is read back and told. */
        if (status == 0 && list && ListMedia(stdout, output, error, sizeof error) < 0)
            status = Fail("%s", error);
        close(fd);
        if (status != 0)
            unlink(tempPath);
    }
    ForgetTempOutput();
    CloseSoundTrack(&sound);
    CloseNewTrack(&track);
    avformat_close_input(&existing);
    free(tempPath);
    return status;
}
