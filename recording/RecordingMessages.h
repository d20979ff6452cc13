#pragma once

#include <QSize>
#include <QString>

// The sentences the recording studio and the video exports answer with.
namespace tavero::RecordingMessages {

// A take, or a part writer, is already running.
inline QString alreadyRecording() { return QStringLiteral("已有录屏正在进行。"); }

inline QString renderRunning() { return QStringLiteral("正在生成成片，可先取消生成再开始新录制。"); }

inline QString gifNotCreated() { return QStringLiteral("无法创建 GIF 文件。"); }
inline QString gifTooLong() { return QStringLiteral("GIF 导出支持 30 秒以内的视频；较长视频请先裁剪。"); }
inline QString gifNotEncoded() { return QStringLiteral("GIF 编码失败。"); }
// The GIF was written, but holds other pictures than those asked for: it is not saved.
inline QString gifWrongShape(QSize made, int madePictures, QSize asked, int askedPictures) {
    return QStringLiteral("导出的 GIF 为 %1 × %2 像素、%3 帧，与应有的 %4 × %5 像素、%6 帧不符，未保存。")
        .arg(made.width())
        .arg(made.height())
        .arg(madePictures)
        .arg(asked.width())
        .arg(asked.height())
        .arg(askedPictures);
}
// The video's pictures cannot be read for the GIF.
inline QString videoUnreadable() { return QStringLiteral("该视频的画面无法读取。"); }
// The video's pictures are larger than any opened (media::PictureTooLarge).
inline QString videoTooLarge() { return QStringLiteral("该视频的画面超过 8192 × 4320 像素，无法打开。"); }
// The video is in a container no video is opened from (media::ContainerNotSupported).
inline QString containerNotSupported() {
    return QStringLiteral("该视频的封装格式不受支持，只能打开 MP4、MOV、MKV、WebM 和 TS 格式的视频。");
}
inline QString trimImpossible() { return QStringLiteral("该视频无法裁剪。"); }
inline QString trimRangeInvalid() { return QStringLiteral("请输入有效的起止秒数，结束时间不能超出视频长度。"); }
// The trim was written, but its pictures are not of the source's size, or
// do not last the stretch asked for: it is not saved.
inline QString trimWrongSize(QSize made, QSize source) {
    return QStringLiteral("裁剪后的视频画面为 %1 × %2 像素，与原视频的 %3 × %4 像素不符，未保存。")
        .arg(made.width())
        .arg(made.height())
        .arg(source.width())
        .arg(source.height());
}
inline QString trimWrongLength(double made, double asked) {
    return QString::asprintf("裁剪后的视频长 %.2f 秒，与所选的 %.2f 秒不符，未保存。", made, asked);
}
// The disk is full.
inline QString trimNotWritten() { return QStringLiteral("裁剪后的视频未能写入，请确认磁盘空间充足。"); }
// The disk refused the bytes for another reason (a fault, a file-size limit).
inline QString trimDiskFailed() { return QStringLiteral("裁剪后的视频写入磁盘时出错。"); }
// The pictures or the sound could not be coded into the new file.
inline QString trimNotEncoded() { return QStringLiteral("裁剪后的视频无法编码。"); }
inline QString trimFolderNotWritable(const QString& folder) {
    return QStringLiteral("裁剪后的视频无法保存：文件夹“%1”不能写入。").arg(folder);
}

inline QString noCompleteVideo() { return QStringLiteral("文件中没有完整的视频画面。"); }
inline QString validationTimedOut() { return QStringLiteral("录屏文件校验超时。"); }
// The second line of a failed part: whether a file is left to look at.
inline QString fileKept(const QString& path) { return QStringLiteral("现有文件已保留，尚未确认可以播放：\n") + path; }
inline QString noFileMade() { return QStringLiteral("本次没有生成可播放的录屏文件。"); }

// A part's file could not be begun, or not be completed.
inline QString fileNotMade() { return QStringLiteral("无法创建录屏文件，请确认保存位置可以写入。"); }
inline QString fileNotCompleted() { return QStringLiteral("录屏文件未能写完"); }

}  // namespace tavero::RecordingMessages
