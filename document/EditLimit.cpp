#include "document/EditLimit.h"

#include "document/Mark.h"

namespace tavero {

QString sentence(EditLimit limit) {
    using namespace markLimits;
    switch (limit) {
    case EditLimit::marks:
        return QStringLiteral("标注已达上限：一张图片最多 %1 个标注，已画的都保留着。").arg(maxMarks);
    case EditLimit::strokePoints:
        return QStringLiteral("这一笔已达上限（%1 个点），笔画停在这里。").arg(maxPoints);
    case EditLimit::projectPoints:
        return QStringLiteral("标注的点已达上限：一张图片最多 %1 个点，已画的都保留着。").arg(maxProjectPoints);
    case EditLimit::strokeLength: return QStringLiteral("画笔的总长度已达上限，已画的都保留着。");
    case EditLimit::labelLength:
        return QStringLiteral("一段文字最多 %1 个字符（表情等符号算两个），多出的部分没有加入。").arg(maxTextLength);
    case EditLimit::projectText:
        return QStringLiteral("文字已达上限：一张图片的文字最多 %1 万个字符，多出的部分没有加入。")
            .arg(maxProjectTextLength / 10'000);
    }
    return {};
}

}  // namespace tavero
