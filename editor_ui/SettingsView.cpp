#include "editor_ui/SettingsView.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "platform/AppBrand.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include <utility>

namespace tavero {

namespace {

constexpr int padding = 28;
constexpr int spacing = 18;
constexpr double bodyPoints = 13;
constexpr double titlePoints = 17;
constexpr double captionPoints = 10;
constexpr double pathPoints = 11;
constexpr int tableColumnGap = 34;
constexpr int tableRowGap = 10;

// What the table lists; the keys themselves belong to the program's hot
// keys and menus.
const std::pair<const char*, const char*> shortcuts[] = {
    {"区域截图", "Ctrl+Shift+2"},
    {"全屏截图", "Ctrl+Shift+6"},
    {"打开编辑器", "Ctrl+Shift+1"},
    {"开始 / 停止录屏", "Ctrl+Shift+8"},
    {"长截图接续一张", "Ctrl+Shift+9"},
    {"保存 / 复制 / 粘贴 / 撤销", "Ctrl+S / C / V / Z"},
};

QLabel* caption(const QString& text, QWidget* parent) {
    QLabel* label = EditorLook::label(text, captionPoints, parent);
    label->setWordWrap(true);
    EditorLook::setTextColour(label, EditorLook::secondaryText(parent));
    return label;
}

}  // namespace

SettingsView::SettingsView(AppModel& model, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), model_(model), dismiss_(std::move(dismiss)) {
    setFixedWidth(sheetWidth);
    setFont(EditorLook::font(this, bodyPoints));
    autoSave_ = new QCheckBox(QStringLiteral("自动保存原始截图"), this);
    connect(autoSave_, &QCheckBox::toggled, &model, [this](bool on) { model_.setAutoSave(on); });
    cursor_ = new QCheckBox(QStringLiteral("截图包含鼠标指针"), this);
    connect(cursor_, &QCheckBox::toggled, &model, [this](bool on) { model_.setIncludeCursor(on); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(makeHeader());
    column->addWidget(autoSave_);
    column->addWidget(caption(QStringLiteral("标注后的图片请用 Ctrl+S 保存副本。原图和可编辑工程保留原始内容。"), this));
    column->addWidget(cursor_);
    column->addWidget(EditorLook::divider(this));
    column->addWidget(makeShortcutTable());
    column->addWidget(EditorLook::divider(this));
    column->addWidget(makeLibrarySection());
    column->addWidget(makeButtons());

    connect(&model, &AppModel::autoSaveChanged, this, &SettingsView::showModel);
    connect(&model, &AppModel::includeCursorChanged, this, &SettingsView::showModel);
    showModel();
}

QString SettingsView::versionLine() { return AppBrand::name + QLatin1Char(' ') + QCoreApplication::applicationVersion(); }

QWidget* SettingsView::makeHeader() {
    auto* header = new QWidget(this);
    version_ = new QLabel(versionLine(), header);
    EditorLook::setTextColour(version_, EditorLook::secondaryText(this));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    setWindowTitle(QStringLiteral("设置与快捷键"));
    row->addWidget(EditorLook::label(windowTitle(), titlePoints, header, FontWeight::bold));
    row->addStretch();
    row->addWidget(version_);
    return header;
}

QWidget* SettingsView::makeShortcutTable() {
    auto* table = new QWidget(this);
    auto* grid = new QGridLayout(table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(tableColumnGap);
    grid->setVerticalSpacing(tableRowGap);
    int row = 0;
    for (const auto& [label, keys] : shortcuts) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), table), row, 0);
        grid->addWidget(new QLabel(QString::fromUtf8(keys), table), row, 1);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    return table;
}

QWidget* SettingsView::makeLibrarySection() {
    auto* section = new QWidget(this);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(int(pathPoints));
    path_ = new QLabel(model_.library().root(), section);
    path_->setTextFormat(Qt::PlainText);
    path_->setFont(mono);
    path_->setWordWrap(true);
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    column->addWidget(EditorLook::label(QStringLiteral("保存位置 · 桌面「岚帧」"), bodyPoints, section, FontWeight::medium));
    column->addWidget(path_);
    column->addWidget(caption(
        QStringLiteral("截图和录屏都在这里。可直接在文件管理器中删除，回到应用时历史列表会同步更新。"), section));
    return section;
}

QWidget* SettingsView::makeButtons() {
    auto* buttons = new QWidget(this);
    openFolder_ = new QPushButton(QStringLiteral("打开文件夹"), buttons);
    connect(openFolder_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(model_.library().root())); });
    permission_ = new QPushButton(QStringLiteral("检查屏幕权限"), buttons);
    connect(permission_, &QPushButton::clicked, &model_, [this] { model_.requestPermission(); });
    done_ = EditorLook::prominentButton(QStringLiteral("完成"), QString(), buttons);
    connect(done_, &QPushButton::clicked, this, [this] { dismiss_(); });
    for (QPushButton* button : {openFolder_, permission_, done_}) button->setAutoDefault(false);

    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(openFolder_);
    row->addWidget(permission_);
    row->addStretch();
    row->addWidget(done_);
    return buttons;
}

void SettingsView::showModel() {
    const QSignalBlocker quietAutoSave(autoSave_);
    const QSignalBlocker quietCursor(cursor_);
    autoSave_->setChecked(model_.autoSave());
    cursor_->setChecked(model_.includeCursor());
}

}  // namespace tavero
