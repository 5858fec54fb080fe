#include "ui/output_report_text.h"

#include "ui/status_texts.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString MismatchText(OutputMismatch mismatch)
{
    switch (mismatch) {
    case OutputMismatch::Unreadable:
        return QCoreApplication::translate("OutputReport", "无法读取输出文件");
    case OutputMismatch::VideoCodec:
        return QCoreApplication::translate("OutputReport", "视频编码不是手机支持的编码");
    case OutputMismatch::Profile:
        return QCoreApplication::translate("OutputReport", "视频档次或级别不符合手机要求");
    case OutputMismatch::AudioCodec:
        return QCoreApplication::translate("OutputReport", "音频编码不是手机支持的编码");
    case OutputMismatch::Size:
        return QCoreApplication::translate("OutputReport", "画面尺寸与所选分辨率不符");
    case OutputMismatch::IndexLast:
        return QCoreApplication::translate("OutputReport", "索引不在文件开头，无法边下边播");
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
        lines << QCoreApplication::translate("OutputReport", "容器：%1").arg(ContainerText(f.container, f.videoCodec));
        QString video = f.videoCodec.toUpper();
        if (!f.videoProfile.isEmpty())
            video += QLatin1Char(' ') + f.videoProfile;
        if (f.videoLevel >= 0)
            video += QCoreApplication::translate("OutputReport", " 级别 %1").arg(f.videoLevel);
        lines << QCoreApplication::translate("OutputReport", "视频：%1，%2x%3，%4 帧/秒")
                     .arg(video)
                     .arg(f.width)
                     .arg(f.height)
                     .arg(f.frameRate, 0, 'f', 2);
        lines << QCoreApplication::translate("OutputReport", "码率：%1 kbit/s").arg(f.bitrate / 1000);
        lines << (f.audioCodec.isEmpty() ? QCoreApplication::translate("OutputReport", "音频：无")
                                         : QCoreApplication::translate("OutputReport", "音频：%1，%2 Hz，%3 声道")
                                               .arg(f.audioCodec.toUpper())
                                               .arg(f.sampleRate)
                                               .arg(f.channels));
        lines << QCoreApplication::translate("OutputReport", "时长：%1").arg(ShownLength(int(f.seconds + 0.5)));
        lines << QCoreApplication::translate("OutputReport", "文件大小：%1 KB").arg((f.fileBytes + 1023) / 1024);
        if (f.indexFirst)
            lines << QCoreApplication::translate("OutputReport", "索引在前：%1")
                         .arg(*f.indexFirst ? QCoreApplication::translate("OutputReport", "是")
                                            : QCoreApplication::translate("OutputReport", "否"));
    }
    if (report.mismatch != OutputMismatch::None)
        lines << MismatchText(report.mismatch);
    return lines.join(QLatin1Char('\n'));
}
