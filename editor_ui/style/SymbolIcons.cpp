#include "editor_ui/style/SymbolIcons.h"

#include "editor_ui/style/SymbolDrawing.h"

#include <QIconEngine>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <map>

namespace tavero::SymbolIcons {

Q_LOGGING_CATEGORY(lcSymbols, "tavero.symbols")

namespace {

constexpr double disabledOpacity = 0.4;

// A paper scroll: rolled rods at the top and the bottom, two lines of text.
QPainterPath scroll() {
    QPainterPath path;
    path.addRoundedRect(QRectF(4, 3, 16, 4), 2, 2);
    path.moveTo(6, 7);
    path.lineTo(6, 18);
    path.moveTo(18, 7);
    path.lineTo(18, 18);
    path.addRoundedRect(QRectF(4, 18, 16, 3.5), 1.75, 1.75);
    path.moveTo(9, 11);
    path.lineTo(15, 11);
    path.moveTo(9, 14.5);
    path.lineTo(13.5, 14.5);
    return path;
}

QPainterPath unknown() {
    QPainterPath path;
    path.addEllipse(QPointF(12, 12), 8, 8);
    return path;
}

SymbolDrawing drawingFor(const QString& name) {
    static const std::map<QString, std::function<QPainterPath()>> symbols{{QStringLiteral("scroll"), scroll}};
    if (const auto found = symbols.find(name); found != symbols.end()) return {found->second(), {}};
    if (auto drawing = windowSymbol(name)) return *drawing;
    if (auto drawing = statusSymbol(name)) return *drawing;
    if (auto drawing = toolSymbol(name)) return *drawing;
    if (auto drawing = panelSymbol(name)) return *drawing;
    if (auto drawing = startSymbol(name)) return *drawing;
    if (auto drawing = sheetSymbol(name)) return *drawing;
    if (auto drawing = recordingSymbol(name)) return *drawing;
    qCWarning(lcSymbols) << "no drawing for the symbol" << name;
    return {unknown(), {}};
}

class SymbolEngine final : public QIconEngine {
public:
    SymbolEngine(SymbolDrawing drawing, QColor color) : drawing_(std::move(drawing)), color_(std::move(color)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const double side = std::min(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (mode == QIcon::Disabled) painter->setOpacity(painter->opacity() * disabledOpacity);
        painter->translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
        painter->scale(side / grid, side / grid);
        painter->fillPath(drawing_.filled, color_);
        painter->setPen(QPen(color_, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(drawing_.stroked);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new SymbolEngine(drawing_, color_); }

private:
    SymbolDrawing drawing_;
    QColor color_;
};

}  // namespace

QIcon icon(const QString& name, const QColor& color) { return QIcon(new SymbolEngine(drawingFor(name), color)); }

}  // namespace tavero::SymbolIcons
