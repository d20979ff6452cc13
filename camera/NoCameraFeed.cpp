#include "camera/NoCameraFeed.h"

namespace tavero {

void NoCameraFeed::start(bool microphone, Completion completion) {
    Q_UNUSED(microphone)
    message_ = QStringLiteral("没有找到摄像头，请确认设备已连接。");
    emit changed();
    if (completion) completion(false);
}

}  // namespace tavero
