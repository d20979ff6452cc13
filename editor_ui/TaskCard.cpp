#include "editor_ui/TaskCard.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ScreenshotShortcutKeys.h"
#include "editor_ui/ShortcutActionButton.h"
#include "editor_ui/StartExample.h"
#include "editor_ui/StartRecordingButton.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int padding = 20;
constexpr int spacing = 14;
constexpr double cornerRadius = 18;
constexpr double borderOpacity = 0.18;
constexpr int badgeSide = 48;
constexpr int exampleHeight = 116;
constexpr int mainActionHeight = 68;
constexpr int keyCapPadding = 14;
constexpr int footerHeight = 24;
constexpr double keyCapFaceRadius = 12;
// The title's texts reach its edges: its focus mark lies in the card's padding.
constexpr int titleFocusOutset = 8;
constexpr double titleFocusRadius = 4;

QLabel* inkLabel(const QString& text, double points, QWidget* parent, double opacity = 1,
                 FontWeight weight = FontWeight::regular) {
    QLabel* label = EditorLook::label(text, points, parent, weight);
    EditorLook::setTextColour(label, EditorLook::faded(TaveroStyle::ink(), opacity));
    return label;
}

}  // namespace

TaskCard::TaskCard(Kind kind, AppModel& model, QWidget* parent)
    : RoundedSurface(cornerRadius, kind == Kind::recording ? TaveroStyle::recordingSurface()
                                                           : TaveroStyle::screenshotSurface(),
                     parent),
      kind_(kind),
      model_(model) {
    setBorder(EditorLook::faded(accent(), borderOpacity));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    titleArea_ = makeTitleArea();
    example_ = new StartExample(recording(), this);
    example_->setFixedHeight(exampleHeight);
    mainAction_ = makeMainAction();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(titleArea_);
    column->addWidget(example_);
    column->addWidget(mainAction_);
    column->addWidget(makeFooter());
}

const QColor& TaskCard::accent() const {
    return recording() ? TaveroStyle::recordingAccent() : TaveroStyle::green();
}

void TaskCard::setCaptureBlocked(bool blocked) {
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(titleArea_), mainAction_, scrollingLink_})
        if (button) button->setEnabled(!blocked);
}

// An area screenshot, or the recording set-up.
void TaskCard::start() {
    if (recording())
        model_.toggleRecording(false);
    else
        model_.take(CaptureMode::area, false);
}

// The title and its line on the left, the badge on the right; the whole
// row is one button.
ShortcutActionButton* TaskCard::makeTitleArea() {
    auto* button = new ShortcutActionButton(this);
    const QString title = recording() ? QStringLiteral("录屏点这里") : QStringLiteral("截屏点这里");
    button->setAccessibleName(title);
    button->setToolTip(recording() ? QStringLiteral("点击后选择范围和声音，还不会开始录制。")
                                   : QStringLiteral("点击后拖出截图区域，松开即可截图。"));
    connect(button, &QAbstractButton::clicked, this, &TaskCard::start);
    FocusRing::drawAround(*button, titleFocusRadius, titleFocusOutset);

    QLabel* heading = inkLabel(title, 32, button, 1, FontWeight::medium);
    QFont spaced = heading->font();
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    heading->setFont(spaced);
    QLabel* line = inkLabel(recording() ? QStringLiteral("录下操作，自动放大重点。")
                                        : QStringLiteral("标出重点，做好就能发。"),
                            13, button, 0.75);
    auto* badge = new RoundedSurface(13, EditorLook::faded(Qt::white, 0.75), button);
    badge->setFixedSize(badgeSide, badgeSide);
    badge->setSymbol(recording() ? QStringLiteral("record.circle") : QStringLiteral("crop"), accent(), 27);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    texts->addWidget(heading);
    texts->addWidget(line);
    auto* row = new QHBoxLayout(button);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(texts);
    row->addStretch();
    row->addWidget(badge);
    return button;
}

QAbstractButton* TaskCard::makeMainAction() {
    if (!recording()) return makeKeyCapButton();
    auto* button = new StartRecordingButton(this);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(button, &QAbstractButton::clicked, this, &TaskCard::start);
    return button;
}

// The hot key as key caps on a white face, with the words to try it.
ShortcutActionButton* TaskCard::makeKeyCapButton() {
    auto* button = new ShortcutActionButton(this);
    button->setAccessibleName(QStringLiteral("截一张图。试试同时按下 Ctrl、Shift 和 2，也可以点击这里截图。"));
    button->setToolTip(QStringLiteral("同时按住 Ctrl 和 Shift，再按 2；也可以直接点击这里截图。"));
    button->setFixedHeight(mainActionHeight);
    connect(button, &QAbstractButton::clicked, this, &TaskCard::start);

    FocusRing::drawAbove(*button, keyCapFaceRadius);

    auto* face = new RoundedSurface(keyCapFaceRadius, Qt::white, button);
    face->setBorder(EditorLook::faded(accent(), 0.28));
    auto* words = new QVBoxLayout;
    words->setSpacing(4);
    words->addStretch();
    words->addWidget(inkLabel(QStringLiteral("试试同时按下"), 13, face, 1, FontWeight::medium));
    words->addWidget(inkLabel(QStringLiteral("就可以截图"), 12, face));
    words->addStretch();
    auto* row = new QHBoxLayout(face);
    row->setContentsMargins(keyCapPadding, 0, keyCapPadding, 0);
    row->setSpacing(15);
    row->addWidget(new ScreenshotShortcutKeys(face));
    row->addLayout(words);
    row->addStretch();

    auto* fill = new QVBoxLayout(button);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(face);
    return button;
}

// Both cards' footers are as tall as the long-screenshot link, so the two
// cards end level.
QWidget* TaskCard::makeFooter() {
    auto* footer = new QWidget(this);
    footer->setFixedHeight(footerHeight);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(inkLabel(recording() ? QStringLiteral("下一步：选择范围和声音，还不会开始录制。")
                                        : QStringLiteral("点一下，再拖出想截取的区域。"),
                            11, footer, 0.72));
    row->addStretch();
    if (recording()) return footer;
    row->addSpacing(4);
    QToolButton* link = EditorLook::borderlessButton(QStringLiteral("长截图"), QStringLiteral("scroll"), footer);
    link->setFont(EditorLook::font(footer, 11));
    link->setToolTip(QStringLiteral("框选后向下滚动，自动拼成长图"));
    connect(link, &QToolButton::clicked, &model_, [this] { model_.take(CaptureMode::area, true); });
    scrollingLink_ = link;
    row->addWidget(link);
    return footer;
}

}  // namespace tavero
