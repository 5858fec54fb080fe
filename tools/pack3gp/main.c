/* pack3gp: makes a 3GP file of an AVI holding H.263 video and 16-bit PCM
 * sound at 8000 Hz. The pictures are copied as they are; the sound (its
 * channels mixed to one) is compressed to AMR-NB at 12.2 kbit/s.
 *
 *   pack3gp IN.avi OUT.3gp
 *
 * The result is written to a temporary file beside OUT.3gp (".OUT.3gp.tmp-XXXXXX")
 * and renamed over it only when complete; the index comes before the media data. */

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
    "usage: pack3gp IN.avi OUT.3gp\n"
    "IN.avi holds H.263 video and, if any sound, 16-bit PCM at 8000 Hz. The\n"
    "pictures are copied; the sound is mixed to one channel and compressed to\n"
    "AMR-NB at 12.2 kbit/s. OUT.3gp is replaced only when it is complete.\n";

static int Pack(FILE *avi, const char *output, char *error, size_t errorSize)
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
        const int fd = CreateTempOutput(output, &tempPath);
        FILE *out = fd >= 0 ? fdopen(fd, "wb") : NULL;
        if (!out) {
            snprintf(error, errorSize, "cannot create a temporary file beside %s: %s", output, strerror(errno));
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
    if (argc != 3) {
        fputs(kUsage, stderr);
        return 1;
    }
    struct stat info;
    if (stat(argv[2], &info) == 0 && S_ISDIR(info.st_mode))
        return ToolFail("pack3gp", "output is a folder: %s", argv[2]);
    FILE *avi = fopen(argv[1], "rb");
    if (!avi)
        return ToolFail("pack3gp", "cannot read %s: %s", argv[1], strerror(errno));
    char error[512];
    const int status = Pack(avi, argv[2], error, sizeof error);
    fclose(avi);
    return status == 0 ? 0 : ToolFail("pack3gp", "%s: %s", error, argv[1]);
}
