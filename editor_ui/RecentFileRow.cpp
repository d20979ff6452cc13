#include "editor_ui/RecentFileRow.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/ElidedLabel.h"
#include "editor_ui/RoundedSurface.h"
#include "editor_ui/Thumbnail.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>
#include <QLabel>

namespace tavero {

namespace {

constexpr double bodyPoints = 13;
constexpr double captionPoints = 10;
constexpr QSize thumbnailSize(60, 44);
constexpr double thumbnailRadius = 5;
constexpr int rowSpacing = 12;
constexpr int rowPadding = 4;
constexpr int arrowSide = 16;
constexpr double arrowSymbolSide = 14;
constexpr double focusCornerRadius = 8;

// Date only, as the day it was written.
QString dayOf(const QDateTime& created) { return created.toLocalTime().toString(QStringLiteral("yyyy年M月d日")); }

}  // namespace

RecentFileRow::RecentFileRow(QWidget* parent) : ShortcutActionButton(parent) {
    thumbnail_ = new Thumbnail(QString(), false, this);
    thumbnail_->setFixedSize(thumbnailSize);
    thumbnail_->setCornerRadius(thumbnailRadius);
    name_ = new ElidedLabel(this);
    name_->setFont(EditorLook::font(this, bodyPoints));
    day_ = EditorLook::label(QString(), captionPoints, this);
    EditorLook::setTextColour(day_, EditorLook::secondaryText(this));
    auto* arrow = new RoundedSurface(0, Qt::transparent, this);
    arrow->setFixedSize(arrowSide, arrowSide);
    arrow->setSymbol(QStringLiteral("arrow.up.right"), EditorLook::secondaryText(this), arrowSymbolSide);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(name_);
    texts->addWidget(day_);
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, rowPadding, 0, rowPadding);
    line->setSpacing(rowSpacing);
    line->addWidget(thumbnail_);
    line->addLayout(texts, 1);
    line->addWidget(arrow);
    FocusRing::drawAbove(*this, focusCornerRadius);
}

void RecentFileRow::setRecord(const CaptureRecord& record, const QString& path) {
    record_ = record;
    path_ = path;
    setAccessibleName(record.name);
    thumbnail_->setFile(path, record.kind == CaptureRecord::videoKind);
    name_->setText(record.name);
    day_->setText(dayOf(record.created));
}

}  // namespace tavero
