/* pack3gp: makes a 3GP file of an AVI holding H.263 video and 16-bit PCM
 * sound at 8000 Hz. The pictures are copied as they are; the sound (its
 * channels mixed to one) is compressed to AMR-NB at 12.2 kbit/s.
 *
 *   pack3gp [-tmp=PATH] IN.avi OUT.3gp
 *
 * The result is written to a temporary file beside OUT.3gp (PATH, or else
 * ".OUT.3gp.tmp-XXXXXX") and renamed over it only when complete; the index
 * comes before the media data. While it compresses the sound, it prints
 * "Pos: Ns" (the sound's time done) about once a second. */

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "amr_sound.h"
#include "avi_index.h"
#include "temp_output.h"
#include "write_3gp.h"

static const char kUsage[] =
    "usage: pack3gp [-tmp=PATH] IN.avi OUT.3gp\n"
    "IN.avi holds H.263 video and, if any sound, 16-bit PCM at 8000 Hz. The\n"
    "pictures are copied; the sound is mixed to one channel and compressed to\n"
    "AMR-NB at 12.2 kbit/s. OUT.3gp is replaced only when it is complete: the\n"
    "result is written into PATH (created or emptied, on OUT.3gp's volume), or\n"
    "without -tmp into a hidden file beside OUT.3gp, and renamed at the end.\n";

static int Pack(FILE *avi, const char *output, const char *tempChoice, char *error, size_t errorSize)
{
    AviIndex index;
    AmrSound sound;
    memset(&sound, 0, sizeof sound);
    if (ReadAviIndex(avi, &index, error, errorSize) < 0)
        return -1;
    int status = -1;
    if (!index.hasVideo || index.frames.count == 0) {
        snprintf(error, errorSize, "no video");
    } else if (index.sound.count == 0 || CompressSound(avi, &index, &sound, error, errorSize) == 0) {
        char *tempPath = NULL;
        const int fd = CreateTempOutput(output, tempChoice, &tempPath);
        FILE *out = fd >= 0 ? fdopen(fd, "wb") : NULL;
        if (!out) {
            snprintf(error, errorSize, "cannot create a temporary file for %s: %s", output, strerror(errno));
            if (fd >= 0)
                close(fd);
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            fchmod(fd, 0666 & ~mask);
            status = Write3gp(avi, &index, &sound, out, error, errorSize);
            if (status == 0 && (fflush(out) != 0 || fsync(fd) != 0)) {
                snprintf(error, errorSize, "cannot write: %s", strerror(errno));
                status = -1;
            }
            if (fclose(out) != 0 && status == 0) {
                snprintf(error, errorSize, "cannot write: %s", strerror(errno));
                status = -1;
            }
            if (status == 0 && rename(tempPath, output) != 0) {
                snprintf(error, errorSize, "cannot write %s: %s", output, strerror(errno));
                status = -1;
            }
        }
        if (status != 0 && fd >= 0)
            unlink(tempPath);
        ForgetTempOutput();
        free(tempPath);
    }
    FreeAmrSound(&sound);
    FreeAviIndex(&index);
    return status;
}

int main(int argc, char **argv)
{
    if (argc == 2 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0)) {
        fputs(kUsage, stdout);
        return 0;
    }
    const char *tempChoice = NULL;
    if (argc == 4 && strncmp(argv[1], "-tmp=", 5) == 0 && argv[1][5] != '\0') {
        tempChoice = argv[1] + 5;
        ++argv;
        --argc;
    }
    if (argc != 3) {
        fputs(kUsage, stderr);
        return 1;
    }
    const char *input = argv[1], *output = argv[2];
    struct stat info;
    if (stat(output, &info) == 0 && S_ISDIR(info.st_mode))
        return ToolFail("pack3gp", "output is a folder: %s", output);
    if (tempChoice && (strcmp(tempChoice, output) == 0 || SameFile(tempChoice, output) || SameFile(tempChoice, input)))
        return ToolFail("pack3gp", "the temporary file %s is an input or the output", tempChoice);
    FILE *avi = fopen(input, "rb");
    if (!avi)
        return ToolFail("pack3gp", "cannot read %s: %s", input, strerror(errno));
    char error[512];
    const int status = Pack(avi, output, tempChoice, error, sizeof error);
    fclose(avi);
    return status == 0 ? 0 : ToolFail("pack3gp", "%s: %s", error, input);
}
