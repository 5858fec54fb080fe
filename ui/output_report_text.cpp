#include "ui/output_report_text.h"

#include "ui/status_texts.h"

#include <QStringList>

namespace {

QString MismatchText(OutputMismatch mismatch)
{
    switch (mismatch) {
    case OutputMismatch::Unreadable:
        return QStringLiteral("无法读取输出文件");
    case OutputMismatch::VideoCodec:
        return QStringLiteral("视频编码不是手机支持的编码");
    case OutputMismatch::Profile:
        return QStringLiteral("视频档次或级别不符合手机要求");
    case OutputMismatch::AudioCodec:
        return QStringLiteral("音频编码不是手机支持的编码");
    case OutputMismatch::Size:
        return QStringLiteral("画面尺寸与所选分辨率不符");
    case OutputMismatch::IndexLast:
        return QStringLiteral("索引不在文件开头，无法边下边播");
    case OutputMismatch::None:
        break;
    }
    return {};
}

// "mov,mp4,m4a,3gp,3g2,mj2" names the family; the file's own kind is shown.
QString ContainerText(const QString &formatName, const QString &videoCodec)
{
    if (formatName.startsWith(QLatin1String("mov")))
        return videoCodec == QLatin1String("h263") ? QStringLiteral("3GP") : QStringLiteral("MP4");
    return formatName.toUpper();
}

}  // namespace

QString ShownOutputReport(const OutputReport &report)
{
    const OutputFacts &f = report.facts;
    QStringList lines;
    if (f.readable) {
        lines << QStringLiteral("容器：%1").arg(ContainerText(f.container, f.videoCodec));
        QString video = f.videoCodec.toUpper();
        if (!f.videoProfile.isEmpty())
            video += QLatin1Char(' ') + f.videoProfile;
        if (f.videoLevel >= 0)
            video += QStringLiteral(" 级别 %1").arg(f.videoLevel);
        lines << QStringLiteral("视频：%1，%2x%3，%4 帧/秒")
                     .arg(video)
                     .arg(f.width)
                     .arg(f.height)
                     .arg(f.frameRate, 0, 'f', 2);
        lines << QStringLiteral("码率：%1 kbit/s").arg(f.bitrate / 1000);
        lines << (f.audioCodec.isEmpty() ? QStringLiteral("音频：无")
                                         : QStringLiteral("音频：%1，%2 Hz，%3 声道")
                                               .arg(f.audioCodec.toUpper())
                                               .arg(f.sampleRate)
                                               .arg(f.channels));
        lines << QStringLiteral("时长：%1").arg(ShownLength(int(f.seconds + 0.5)));
        lines << QStringLiteral("文件大小：%1 KB").arg((f.fileBytes + 1023) / 1024);
        if (f.indexFirst)
            lines << QStringLiteral("索引在前：%1").arg(*f.indexFirst ? QStringLiteral("是") : QStringLiteral("否"));
    }
    if (report.mismatch != OutputMismatch::None)
        lines << MismatchText(report.mismatch);
    return lines.join(QLatin1Char('\n'));
}
