// The sound, effects and teleprompter sections of the recording set-up.
#include "editor_ui/EditorLook.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/RecordingAccent.h"
#include "editor_ui/style/SymbolIcons.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingEffectControls.h"
#include "recording_ui/RecordingSetupView.h"
#include "recording_ui/SetupPreviewBox.h"
#include "recording_ui/TeleprompterView.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace tavero {

namespace {

constexpr double captionPoints = 10;
constexpr int columnGap = 24;
constexpr int notesHeight = 94;
// The rounding of the notes field, as its style sheet draws it.
constexpr double notesCornerRadius = 8;
constexpr int lineSymbolSide = 15;

QLabel* caption(const QString& text, QWidget* parent) {
    QLabel* label = EditorLook::label(text, captionPoints, parent);
    EditorLook::setTextColour(label, EditorLook::secondaryText(parent));
    return label;
}

QCheckBox* toggle(const QString& title, double points, QWidget* parent, FontWeight weight = FontWeight::regular) {
    auto* box = new QCheckBox(title, parent);
    box->setFont(EditorLook::font(parent, points, weight));
    return box;
}

// An effect line: its symbol says whether the effect is on.
QWidget* effectLine(QLabel*& icon, QLabel*& text, QWidget* parent) {
    auto* line = new QWidget(parent);
    icon = new QLabel(line);
    icon->setFixedSize(lineSymbolSide, lineSymbolSide);
    text = EditorLook::label(QString(), 12, line);
    EditorLook::setTextColour(text, recordingAccent());
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(icon);
    layout->addWidget(text, 1);
    return line;
}

void showEffect(QLabel* icon, QLabel* text, bool on, const QString& onText, const QString& offText) {
    const QString symbol = on ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
    icon->setPixmap(SymbolIcons::icon(symbol, recordingAccent())
                        .pixmap(QSize(lineSymbolSide, lineSymbolSide), icon->devicePixelRatioF()));
    text->setText(on ? onText : offText);
}

}  // namespace

QWidget* RecordingSetupView::makeMiddleRow() {
    auto* row = new QWidget;
    auto* left = new QVBoxLayout;
    left->setSpacing(10);
    previewColumn_ = new QWidget(row);
    previewBox_ = new SetupPreviewBox(previewColumn_);
    previewHint_ = caption(QString(), previewColumn_);
    auto* preview = new QVBoxLayout(previewColumn_);
    preview->setContentsMargins(0, 0, 0, 0);
    preview->setSpacing(10);
    preview->addWidget(previewBox_);
    preview->addWidget(previewHint_);
    left->addWidget(previewColumn_);
    left->addWidget(makeSoundSection());
    left->addStretch(1);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(columnGap);
    // The summary beside the preview comes into the row first: the keyboard
    // reaches it before the sound under the preview, as the eye does.
    layout->addWidget(makeEffectsSummary(), 1, Qt::AlignTop);
    layout->insertLayout(0, left);
    return row;
}

QWidget* RecordingSetupView::makeSoundSection() {
    auto* section = new QWidget;
    QLabel* title = EditorLook::label(QStringLiteral("2 · 录哪些声音"), 13, section, FontWeight::semibold);
    systemAudio_ = toggle(QStringLiteral("系统声音"), 12, section);
    connect(systemAudio_, &QCheckBox::toggled, this, [this](bool on) {
        if (studio_) studio_->setSystemAudio(on);
    });
    microphone_ = toggle(QStringLiteral("麦克风"), 12, section);
    connect(microphone_, &QCheckBox::toggled, this, [this](bool on) {
        if (studio_) studio_->setMicrophone(on);
    });
    audioSummary_ = EditorLook::label(QString(), 11, section);
    EditorLook::setTextColour(audioSummary_, EditorLook::secondaryText(section));
    soundWarning_ = EditorLook::label(QString(), 11, section);
    soundWarning_->setWordWrap(true);
    EditorLook::setTextColour(soundWarning_, QColor::fromRgbF(0.58f, 0.34f, 0.04f));
    permissionText_ = caption(QString(), section);
    // The system keeps no microphone settings pane here: the button stays
    // as the reminder it is and opens nothing.
    permissionButton_ = EditorLook::borderlessButton(QStringLiteral("打开麦克风设置"), QString(), section);
    permissionButton_->setFont(EditorLook::font(section, captionPoints));

    auto* toggles = new QHBoxLayout;
    toggles->setSpacing(18);
    toggles->addWidget(systemAudio_);
    toggles->addWidget(microphone_);
    toggles->addStretch(1);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(8);
    column->addWidget(title);
    column->addLayout(toggles);
    column->addWidget(audioSummary_, 0, Qt::AlignLeft);
    // Left unaligned, the wrapped warning takes the section's width and the
    // height its lines need there; aligned, it would keep the width of a
    // single line and the height of one.
    column->addWidget(soundWarning_);
    for (QWidget* line : {static_cast<QWidget*>(permissionText_), static_cast<QWidget*>(permissionButton_)})
        column->addWidget(line, 0, Qt::AlignLeft);
    return section;
}

QWidget* RecordingSetupView::makeEffectsSummary() {
    effectsSummary_ = new QWidget;
    auto* heading = new QWidget(effectsSummary_);
    auto* headingLayout = new QHBoxLayout(heading);
    headingLayout->setContentsMargins(0, 0, 0, 0);
    auto* sparkles = new QLabel(heading);
    sparkles->setPixmap(SymbolIcons::icon(QStringLiteral("sparkles"), palette().color(QPalette::WindowText))
                            .pixmap(QSize(17, 17), devicePixelRatioF()));
    headingLayout->addWidget(sparkles);
    headingLayout->addWidget(EditorLook::label(QStringLiteral("画面效果已准备好"), 14, heading, FontWeight::semibold), 1);
    QWidget* zoom = effectLine(zoomIcon_, zoomLine_, effectsSummary_);
    QWidget* blur = effectLine(blurIcon_, blurLine_, effectsSummary_);
    effectsExplanation_ = EditorLook::label(QString(), 11, effectsSummary_);
    effectsExplanation_->setWordWrap(true);
    EditorLook::setTextColour(effectsExplanation_, EditorLook::secondaryText(effectsSummary_));
    effectsDisclosure_ = EditorLook::plainButton(QStringLiteral("调整运镜与背景"), QString(), effectsSummary_);
    effectsDisclosure_->setFont(EditorLook::font(effectsSummary_, 12));
    effectsDisclosure_->setCheckable(true);
    effectsDisclosure_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(effectsDisclosure_, &QToolButton::toggled, this, [this](bool open) {
        effectSettings_ = open;
        refreshEffects();
    });
    if (studio_) effectControls_ = RecordingEffectControls::forStudio(*studio_, effectsSummary_);
    auto* column = new QVBoxLayout(effectsSummary_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    for (QWidget* item : {heading, zoom, blur, static_cast<QWidget*>(effectsExplanation_),
                          static_cast<QWidget*>(effectsDisclosure_)})
        column->addWidget(item);
    if (effectControls_) {
        auto* controls = new QVBoxLayout;
        controls->setContentsMargins(0, 10 - column->spacing(), 0, 0);
        controls->addWidget(effectControls_);
        column->addLayout(controls);
    }
    return effectsSummary_;
}

QWidget* RecordingSetupView::makeNotesSection() {
    auto* section = new QWidget;
    notesToggle_ = toggle(QStringLiteral("使用提词器"), 13, section, FontWeight::medium);
    connect(notesToggle_, &QCheckBox::toggled, this, [this](bool on) {
        if (studio_) studio_->setNotesEnabled(on);
    });
    auto* heading = new QHBoxLayout;
    heading->addWidget(notesToggle_);
    heading->addStretch(1);
    heading->addWidget(caption(QStringLiteral("只给你看，不进入录屏"), section));

    notes_ = new QPlainTextEdit(section);
    notes_->setAccessibleName(QStringLiteral("提词稿"));
    notes_->setFont(EditorLook::font(section, 14));
    notes_->setFixedHeight(notesHeight);
    notes_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: palette(base); border: 1px solid "
                                         "rgba(128, 128, 128, 51); border-radius: 8px; padding: 7px; }"));
    // Tab moves on to the sheet's other controls, so the keyboard alone can leave the notes.
    notes_->setTabChangesFocus(true);
    FocusRing::drawAbove(*notes_, notesCornerRadius);
    connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
        if (studio_ && studio_->notes() != notes_->toPlainText()) studio_->setNotes(notes_->toPlainText());
    });
    notesHint_ = caption(QStringLiteral("粘贴你的讲稿；录制中可调字号、滚动速度和暂停提词。"), section);

    notesControls_ = new QWidget(section);
    auto* controls = new QHBoxLayout(notesControls_);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(20);
    if (studio_) {
        auto* transparency = new PrompterTransparencyControl(*studio_, notesControls_);
        transparency->setTakesFocus(true);
        controls->addWidget(transparency, 1);
    }
    QPushButton* preview = EditorLook::defaultButton(QStringLiteral("预览提词器"), QString(), notesControls_);
    preview->setFont(EditorLook::font(notesControls_, 11));
    connect(preview, &QPushButton::clicked, this, [this] {
        if (studio_) studio_->previewNotes();
    });
    controls->addWidget(preview);

    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(17);
    column->addLayout(heading);
    column->addWidget(notes_);
    column->addWidget(notesHint_);
    column->addWidget(notesControls_);
    return section;
}

void RecordingSetupView::refreshSound() {
    const bool camera = studio_->scope() == RecordingScope::camera;
    const QSignalBlocker systemBlock(systemAudio_);
    const QSignalBlocker microphoneBlock(microphone_);
    systemAudio_->setChecked(studio_->systemAudio());
    systemAudio_->setVisible(!camera);
    microphone_->setChecked(studio_->microphone());
    audioSummary_->setText(studio_->audioSummary());
    // Sound the take cannot have comes first; a start would be refused for it.
    const std::optional<QString> issue = studio_->soundIssue();
    soundWarning_->setText(issue.value_or(QStringLiteral("麦克风已关闭，不会录入你的讲解声。")));
    soundWarning_->setVisible(issue || !studio_->microphone());
    const MicrophoneAuthorization authorization = studio_->microphoneAuthorization();
    const bool refused =
        authorization == MicrophoneAuthorization::restricted || authorization == MicrophoneAuthorization::denied;
    const std::optional<SoundSources>& sources = studio_->soundSources();
    std::optional<QString> line;
    if (studio_->requestingMicrophone())
        line = QStringLiteral("请在系统弹窗中选择是否允许麦克风。");
    else if (studio_->microphone() && authorization == MicrophoneAuthorization::notDetermined)
        line = QStringLiteral("首次开始录制时，系统会请求麦克风权限。");
    else if (studio_->microphone() && authorization == MicrophoneAuthorization::authorized && sources &&
             sources->microphone)
        line = QStringLiteral("麦克风：") + *sources->microphone;
    permissionText_->setVisible(line.has_value());
    permissionText_->setText(line.value_or(QString()));
    permissionButton_->setVisible(!line && studio_->microphone() && refused);
}

void RecordingSetupView::refreshEffects() {
    if (!studio_) return;
    effectsSummary_->setVisible(studio_->scope() != RecordingScope::camera);
    const RecordingEffects& effects = studio_->effects();
    showEffect(zoomIcon_, zoomLine_, effects.autoZoom, QStringLiteral("跟随鼠标，自动放大重点"),
               QStringLiteral("保持原始画面，不自动放大"));
    showEffect(blurIcon_, blurLine_, effects.backgroundBlur, QStringLiteral("柔化外侧背景，录制内容清晰"),
               QStringLiteral("不添加外侧柔焦背景"));
    effectsExplanation_->setText(
        studio_->cameraEnabled() ? QStringLiteral("人像和画面效果直接录入视频。拖动人像调整位置，点击人像切换全屏口播。")
                                 : QStringLiteral("停止后自动生成效果，原片也会保留。录制时可随时暂停或重录。"));
    EditorLook::setSymbol(effectsDisclosure_,
                          effectSettings_ ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"));
    if (effectControls_) effectControls_->setVisible(effectSettings_);
}

void RecordingSetupView::refreshNotes() {
    const bool on = studio_->notesEnabled();
    {
        const QSignalBlocker block(notesToggle_);
        notesToggle_->setChecked(on);
    }
    // Rewriting the same text would move the cursor the user types at.
    if (notes_->toPlainText() != studio_->notes()) {
        const QSignalBlocker block(notes_);
        notes_->setPlainText(studio_->notes());
    }
    notes_->setVisible(on);
    notesHint_->setVisible(on && studio_->notes().isEmpty());
    notesControls_->setVisible(on);
}

}  // namespace tavero
