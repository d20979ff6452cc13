#pragma once

#include <QString>

// The sentences a smart-camera render fails with; the recording studio puts
// them after its own words.
namespace tavero::SmartVideoMessages {

inline QString noVideo() { return QStringLiteral("录屏中没有视频画面。"); }
// Also the answer to a render asked for while another one runs.
inline QString notCreated() { return QStringLiteral("无法创建自动运镜导出任务。"); }
inline QString sourceUnreadable() { return QStringLiteral("原始录屏无法读取。"); }
inline QString writeFailed() { return QStringLiteral("写入成片时出错，请确认磁盘空间充足。"); }

}  // namespace tavero::SmartVideoMessages
