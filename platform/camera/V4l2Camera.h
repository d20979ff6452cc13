#pragma once

#include "platform/camera/CameraCapture.h"

namespace tavero::media {

// The first camera of findCameras(), read through libavdevice's
// video4linux2 input in the mode chosen from what it offers
// (chooseCameraMode: full HD at 30 a second where it can, in MJPEG when its
// raw pictures cannot be had that fast), in its own mode when it refuses
// that; its pictures decoded and turned into RGB32 (CameraDecoder).
// Throws ShotError: "没有找到摄像头，请确认设备已连接。" when there is no
// camera, "摄像头被其他应用占用或暂时不可用。" when it cannot be opened,
// "无法读取摄像头画面。" when its pictures cannot be decoded. The failure
// report says "摄像头已断开" when the device stops answering, "无法读取摄像头画面。"
// when its pictures come in a layout we cannot read.
std::unique_ptr<CameraCapture> openV4l2Camera(CameraCapture::Picture picture, CameraCapture::Failed failed);

}  // namespace tavero::media
