#pragma once

#include "platform/CameraCapture.h"

namespace tavero::media {

// The first camera of findCameras(), read through libavdevice's
// video4linux2 input at 1920 × 1080 when it offers that (its own size
// otherwise), MJPEG or YUYV decoded and turned into RGB32 with libyuv.
// Throws ShotError: "没有找到摄像头，请确认设备已连接。" when there is no
// camera, "摄像头被其他应用占用或暂时不可用。" when it cannot be opened,
// "无法读取摄像头画面。" when its pictures cannot be decoded. The failure
// report says "摄像头已断开" when the device stops answering.
std::unique_ptr<CameraCapture> openV4l2Camera(CameraCapture::Picture picture, CameraCapture::Failed failed);

}  // namespace tavero::media
