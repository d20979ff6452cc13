#include "editor_ui/Sidebar.h"

#include "app/model/AppModel.h"
#include "editor_ui/ChoiceTabBar.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/FocusChain.h"
#include "editor_ui/HistoryList.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/ScrollToFocus.h"
#include "editor_ui/ToolPanel.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int padding = 16;
constexpr int spacing = 16;
constexpr int minimumGap = 4;

}  // namespace

Sidebar::Sidebar(AppModel& model, ShotDocument& document, MainViewState& state, std::function<void()> openBackground,
                 QWidget* parent)
    : QWidget(parent), model_(model), state_(state), document_(document) {
    setFixedWidth(columnWidth);
    EditorLook::fill(this, palette().color(QPalette::Base));

    tabs_ = new ChoiceTabBar(this);
    tabs_->setAccessibleName(QStringLiteral("侧栏"));
    tabs_->setExpanding(true);
    tabs_->setDrawBase(false);
    tabs_->addTab(QStringLiteral("标注"));
    tabs_->addTab(QString());
    connect(tabs_, &QTabBar::currentChanged, &state, [&state](int tab) { state.setSidebarTab(tab); });

    tools_ = makeToolPanel(std::move(openBackground));
    auto* toolScroll = new QScrollArea(this);
    toolScroll->setAccessibleName(QStringLiteral("标注工具"));
    toolScroll->setWidget(tools_);
    toolScroll->setWidgetResizable(true);
    toolScroll->setFrameShape(QFrame::NoFrame);
    toolScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    toolScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FocusRing::drawAbove(*toolScroll, 0);
    scrollToFocus(*toolScroll);
    // Made after the tools it scrolls, it comes before them.
    FocusChain::placeAfter(*toolScroll, *tools_);
    history_ = makeHistoryList();
    pages_ = new QStackedWidget(this);
    pages_->addWidget(toolScroll);
    pages_->addWidget(history_);

    paste_ = EditorLook::defaultButton(QStringLiteral("粘贴图片"), QString(), this);
    connect(paste_, &QPushButton::clicked, &model, [&model] { model.paste(); });
    demo_ = EditorLook::borderlessButton(QString(), QStringLiteral("sparkles.rectangle.stack"), this);
    demo_->setAccessibleName(QStringLiteral("打开演示图"));
    demo_->setToolTip(QStringLiteral("打开演示图"));
    connect(demo_, &QToolButton::clicked, &model, [&model] { model.demo(); });
    auto* quickActions = new QHBoxLayout;
    quickActions->setContentsMargins(FocusRing::outset, 0, FocusRing::outset, 0);
    quickActions->addWidget(paste_);
    quickActions->addStretch();
    quickActions->addWidget(demo_);

    auto* tabRow = new QHBoxLayout;
    tabRow->setContentsMargins(FocusRing::outset, 0, FocusRing::outset, 0);
    tabRow->addWidget(tabs_);
    // The pages reach as far as a focus mark lies around a control, so that
    // the marks of the controls they scroll show whole; what they hold stays
    // in line with the rest.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding - FocusRing::outset, padding, padding - FocusRing::outset, padding);
    column->setSpacing(spacing);
    column->addLayout(tabRow);
    column->addWidget(pages_, 1);
    column->addSpacing(minimumGap);
    column->addLayout(quickActions);

    connect(&state, &MainViewState::changed, this, &Sidebar::showState);
    connect(&model, &AppModel::historyChanged, this, &Sidebar::showHistoryCount);
    showState();
    showHistoryCount();
}

ToolPanel* Sidebar::makeToolPanel(std::function<void()> openBackground) {
    return new ToolPanel(model_, document_, state_, std::move(openBackground), this);
}

// The history list scrolls by itself.
HistoryList* Sidebar::makeHistoryList() { return new HistoryList(model_, this); }

QWidget* Sidebar::currentPage() const { return pages_->currentWidget(); }

// Tab 0 shows the tools; any other value the history.
void Sidebar::showState() {
    const int tab = state_.sidebarTab();
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(tab == MainViewState::annotationTab ? 0 : 1);
    pages_->setCurrentIndex(tab == MainViewState::annotationTab ? 0 : 1);
}

void Sidebar::showHistoryCount() {
    tabs_->setTabText(1, QString::asprintf("历史 %lld", qlonglong(model_.history().size())));
}

}  // namespace tavero
