#include "list.h"

#include <inttypes.h>
#include <stdlib.h>

#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>

#include "track.h"

/* A JSON string of `text`: quotes, backslashes and control characters escaped. */
static void PrintString(FILE *out, const char *text)
{
    fputc('"', out);
    for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
        if (*p == '"' || *p == '\\')
            fprintf(out, "\\%c", *p);
        else if (*p < 0x20)
            fprintf(out, "\\u%04x", *p);
        else
            fputc(*p, out);
    }
    fputc('"', out);
}

static void PrintStream(FILE *out, const AVStream *stream, int first)
{
    const AVCodecParameters *par = stream->codecpar;
    fputs(first ? "\n    {" : ",\n    {", out);
    fputs("\"codec_type\": ", out);
    PrintString(out, par->codec_type == AVMEDIA_TYPE_VIDEO ? "video" : "audio");
    fputs(", \"codec_name\": ", out);
    PrintString(out, avcodec_get_name(par->codec_id));
    const char *profile = avcodec_profile_name(par->codec_id, par->profile);
    if (profile) {
        fputs(", \"profile\": ", out);
        PrintString(out, profile);
    }
    if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        if (par->level != FF_LEVEL_UNKNOWN)
            fprintf(out, ", \"level\": %d", par->level);
        fprintf(out, ", \"width\": %d, \"height\": %d, \"avg_frame_rate\": \"%d/%d\"", par->width, par->height,
                stream->avg_frame_rate.num, stream->avg_frame_rate.den);
    } else {
        fprintf(out, ", \"sample_rate\": \"%d\", \"channels\": %d", par->sample_rate, par->ch_layout.nb_channels);
    }
    fputc('}', out);
}

int ListMedia(FILE *out, const char *path, char *error, size_t errorSize)
{
    char *url = FileUrl(path);
    AVFormatContext *fmt = NULL;
    const int opened = url ? avformat_open_input(&fmt, url, NULL, NULL) : -1;
    free(url);
    if (opened < 0) {
        snprintf(error, errorSize, "cannot open %s", path);
        return -1;
    }
    if (avformat_find_stream_info(fmt, NULL) < 0) {
        avformat_close_input(&fmt);
        snprintf(error, errorSize, "no stream found in %s", path);
        return -1;
    }
    fputs("{\n  \"streams\": [", out);
    int listed = 0;
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const enum AVMediaType type = fmt->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO)
            PrintStream(out, fmt->streams[i], listed++ == 0);
    }
    fputs("\n  ],\n  \"format\": {\"format_name\": ", out);
    PrintString(out, fmt->iformat->name);
    if (fmt->duration != AV_NOPTS_VALUE)
        fprintf(out, ", \"duration\": \"%.6f\"", (double)fmt->duration / AV_TIME_BASE);
    fprintf(out, ", \"size\": \"%" PRId64 "\"", fmt->pb ? avio_size(fmt->pb) : (int64_t)0);
    if (fmt->bit_rate > 0)
        fprintf(out, ", \"bit_rate\": \"%" PRId64 "\"", fmt->bit_rate);
    fputs("}\n}\n", out);
    avformat_close_input(&fmt);
    return 0;
}
