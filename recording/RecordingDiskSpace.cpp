#include "recording/RecordingDiskSpace.h"

#include "platform/files/FreeSpace.h"

#include <algorithm>
#include <limits>

namespace tavero::RecordingDiskSpace {

std::optional<qint64> available(const QString& path) { return FreeSpace::available(path); }

QString label(qint64 bytes) { return QString::asprintf("%.1f GB", double(bytes) / 1e9); }

std::optional<QString> startIssue(std::optional<qint64> available) {
    if (!available || *available >= startReserve) return std::nullopt;
    return QStringLiteral("可用空间仅 ") + label(*available) + QStringLiteral("。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。");
}

bool shouldStop(std::optional<qint64> available) { return available && *available < stopReserve; }

std::optional<QString> exportIssue(std::optional<qint64> available, qint64 sourceBytes) {
    // A source too large to triple in 64 bits needs more room than any disk has.
    constexpr qint64 largestSource = (std::numeric_limits<qint64>::max() - startReserve) / 3;
    const qint64 need = 3 * std::clamp<qint64>(sourceBytes, 0, largestSource) + startReserve;
    if (!available || need <= *available) return std::nullopt;
    return QStringLiteral("原片已保存。生成成片建议保留 ") + label(need) + QStringLiteral(" 空间，目前只有 ")
           + label(*available) + QStringLiteral("；腾出空间后可重新生成。");
}

}  // namespace tavero::RecordingDiskSpace
