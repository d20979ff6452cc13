#include "document/MarkTool.h"

namespace tavero {

namespace {

struct ToolInfo {
    const char* raw;
    const char* title;
    const char* symbol;
};

constexpr std::array<ToolInfo, 12> toolInfo{{
    {"move", "选择", "cursorarrow"},
    {"arrow", "箭头", "arrow.up.right"},
    {"rectangle", "方框", "rectangle"},
    {"ellipse", "圆圈", "circle"},
    {"pen", "画笔", "pencil.tip"},
    {"highlight", "高亮", "highlighter"},
    {"text", "文字", "textformat"},
    {"counter", "序号", "1.circle"},
    {"redact", "遮挡", "rectangle.fill"},
    {"pixelate", "马赛克", "square.grid.3x3.fill"},
    {"spotlight", "聚光", "light.beacon.max"},
    {"crop", "裁剪", "crop"},
}};

const ToolInfo& info(MarkTool tool) { return toolInfo[size_t(tool)]; }

}  // namespace

QString rawValue(MarkTool tool) { return QString::fromLatin1(info(tool).raw); }

std::optional<MarkTool> markToolFromRaw(const QString& raw) {
    for (MarkTool tool : allMarkTools)
        if (raw == QLatin1String(info(tool).raw)) return tool;
    return std::nullopt;
}

QString title(MarkTool tool) { return QString::fromUtf8(info(tool).title); }

QString symbol(MarkTool tool) { return QString::fromLatin1(info(tool).symbol); }

}  // namespace tavero
