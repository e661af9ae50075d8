#include "qt/drawing_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <map>

#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

using drawings::Box;
using drawings::Point;

constexpr double kFitMargin = 0.97;       // of the view, around a fitted page
constexpr double kMostPixelsPerMm = 400;  // deepest zoom
constexpr double kWheelStep = 1.25;       // zoom of one notch of the wheel
constexpr double kDragPixels = 4;         // a press that moves less is a click

Box BoxOf(const std::vector<Point>& points) {
    Box b{1e300, 1e300, -1e300, -1e300};
    for (const Point& p : points) {
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
    }
    return b;
}

// Touching counts: a horizontal line has a box without height.
bool Meets(const Box& a, const Box& b) {
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

QColor Colour(double r, double g, double b) {
    return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b));
}

QFont TextFont() {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    return f;
}

}  // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void DrawingView::setDrawing(drawings::Drawing drawing, std::vector<drawings::Text> late) {
    drawing_ = std::move(drawing);
    late_ = std::move(late);
    marks_.clear();
    index();
    fitPending_ = true;
    fit();
}

void DrawingView::clear() {
    setDrawing(drawings::Drawing{});
}

void DrawingView::setMarks(std::vector<DrawingMark> marks) {
    marks_ = std::move(marks);
    update();
}

// Each item's box and the layers' lists, once per drawing: a paint only compares boxes.
void DrawingView::index() {
    layers_.clear();
    std::map<std::string, size_t> byName;
    auto layerOf = [this, &byName](const std::string& name) -> Layer& {
        auto it = byName.find(name);
        if (it == byName.end()) {
            it = byName.emplace(name, layers_.size()).first;
            layers_.push_back(Layer{drawings::StyleOf(name), {}, {}, {}});
        }
        return layers_[it->second];
    };
    for (const std::string& name : drawing_.layers)
        layerOf(name);
    lineBoxes_.clear();
    areaBoxes_.clear();
    for (size_t i = 0; i < drawing_.lines.size(); ++i) {
        layerOf(drawing_.lines[i].layer).lines.push_back(i);
        lineBoxes_.push_back(BoxOf(drawing_.lines[i].points));
    }
    for (size_t i = 0; i < drawing_.areas.size(); ++i) {
        layerOf(drawing_.areas[i].layer).areas.push_back(i);
        areaBoxes_.push_back(BoxOf(drawing_.areas[i].points));
    }
    for (size_t i = 0; i < drawing_.circles.size(); ++i)
        layerOf(drawing_.circles[i].layer).circles.push_back(i);

    auto shown = [](const std::vector<drawings::Text>& from) {
        std::vector<ShownText> out;
        out.reserve(from.size());
        for (size_t i = 0; i < from.size(); ++i) {
            const drawings::LayerStyle s = drawings::StyleOf(from[i].layer);
            out.push_back({i, drawings::TextBox(from[i]), qtext(from[i].text),
                           Colour(s.red, s.green, s.blue)});
        }
        return out;
    };
    texts_ = shown(drawing_.texts);
    lateTexts_ = shown(late_);
}

QPointF DrawingView::toScreen(Point p) const {
    return {origin_.x() + p.x * scale_, origin_.y() - p.y * scale_};
}

Point DrawingView::toPaper(QPointF pixel) const {
    return {(pixel.x() - origin_.x()) / scale_, (origin_.y() - pixel.y()) / scale_};
}

Box DrawingView::visiblePaper() const {
    const Point a = toPaper(QPointF(0, height()));
    const Point b = toPaper(QPointF(width(), 0));
    return {a.x, a.y, b.x, b.y};
}

void DrawingView::setScale(double scale) {
    scale_ = std::clamp(scale, std::min(fitScale_ / 4, kMostPixelsPerMm), kMostPixelsPerMm);
}

void DrawingView::fit() {
    if (width() <= 0 || height() <= 0) return;
    const double w = empty() ? 1 : drawing_.width, h = empty() ? 1 : drawing_.height;
    fitScale_ = std::max(1e-6, kFitMargin * std::min(width() / w, height() / h));
    scale_ = fitScale_;
    origin_ = QPointF((width() - w * scale_) / 2, (height() + h * scale_) / 2);
    fitPending_ = true;  // until the user moves it, the view stays fitted as it is resized
    update();
}

void DrawingView::fitHeightAt(double x) {
    if (empty() || height() <= 0) return;
    fit();
    const double tall = kFitMargin * height() / drawing_.height;
    if (tall <= scale_) return;  // the whole page fits already
    setScale(tall);
    origin_ = QPointF(width() / 2.0 - x * scale_, (height() + drawing_.height * scale_) / 2);
    fitPending_ = false;
    update();
}

void DrawingView::centreOn(Point p, double minPixelsPerMm) {
    setScale(std::max(scale_, minPixelsPerMm));
    origin_ = QPointF(width() / 2.0 - p.x * scale_, height() / 2.0 + p.y * scale_);
    fitPending_ = false;
    update();
}

void DrawingView::zoomAbout(QPointF pixel, double factor) {
    const Point under = toPaper(pixel);
    setScale(scale_ * factor);
    origin_ = QPointF(pixel.x() - under.x * scale_, pixel.y() + under.y * scale_);
    fitPending_ = false;
    update();
}

void DrawingView::resizeEvent(QResizeEvent*) {
    if (fitPending_) fit();
}

void DrawingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    if (empty()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF corner = toScreen({0, drawing_.height});
    painter.fillRect(QRectF(corner, QSizeF(drawing_.width * scale_, drawing_.height * scale_)),
                     Qt::white);

    // A little more than the view, so that thick lines at its edge are whole.
    Box view = visiblePaper();
    const double slack = 2;
    view = {view.x0 - slack, view.y0 - slack, view.x1 + slack, view.y1 + slack};

    QPolygonF polygon;
    auto toPolygon = [this, &polygon](const std::vector<Point>& points) {
        polygon.resize(static_cast<qsizetype>(points.size()));
        for (size_t i = 0; i < points.size(); ++i)
            polygon[static_cast<qsizetype>(i)] = toScreen(points[i]);
    };
    for (const Layer& layer : layers_) {
        const drawings::LayerStyle& s = layer.style;
        const QColor ink = Colour(s.red, s.green, s.blue);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Colour(s.fillRed, s.fillGreen, s.fillBlue));
        for (size_t i : layer.areas) {
            if (!Meets(areaBoxes_[i], view)) continue;
            toPolygon(drawing_.areas[i].points);
            painter.drawPolygon(polygon);
        }
        QPen pen(ink, std::max(1.0, s.lineWidth * scale_));
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        if (s.dashed) pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (size_t i : layer.lines) {
            if (!Meets(lineBoxes_[i], view)) continue;
            toPolygon(drawing_.lines[i].points);
            painter.drawPolyline(polygon);
        }
        for (size_t i : layer.circles) {
            const drawings::Circle& c = drawing_.circles[i];
            if (!Meets({c.centre.x - c.radius, c.centre.y - c.radius, c.centre.x + c.radius,
                        c.centre.y + c.radius},
                       view))
                continue;
            painter.setBrush(c.filled ? QBrush(ink) : QBrush(Qt::white));
            const double r = std::max(1.0, c.radius * scale_);
            painter.drawEllipse(toScreen(c.centre), r, r);
        }
    }

    // The marks under the texts, so that a marked reach keeps its label readable.
    for (const DrawingMark& m : marks_) {
        if (m.points.empty()) continue;
        QPen pen(m.colour, m.widthPx);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        if (m.ring) {
            const double r = std::max(10.0, 3 * scale_);
            painter.drawEllipse(toScreen(m.points.front()), r, r);
        } else {
            toPolygon(m.points);
            painter.drawPolyline(polygon);
        }
    }
    paintTexts(painter, texts_, drawing_.texts, view, kSmallestText);
    paintTexts(painter, lateTexts_, late_, view, kReadableText);
}

// Texts in view and tall enough, each centred in its box (upwards when turned).
void DrawingView::paintTexts(QPainter& painter, const std::vector<ShownText>& texts,
                             const std::vector<drawings::Text>& source, const Box& view,
                             double smallest) {
    QFont font = TextFont();
    double fontHeight = -1;
    for (const ShownText& t : texts) {
        const drawings::Text& text = source[t.index];
        const double h = text.height * scale_;
        if (h < smallest || !Meets(t.box, view)) continue;
        if (h != fontHeight) {
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(h))));
            painter.setFont(font);
            fontHeight = h;
        }
        painter.setPen(t.colour);
        const QPointF centre = toScreen({(t.box.x0 + t.box.x1) / 2, (t.box.y0 + t.box.y1) / 2});
        const double length = drawings::kCharWidth * h * static_cast<double>(text.text.size());
        painter.save();
        painter.translate(centre);
        if (text.rotation != 0) painter.rotate(-text.rotation);
        painter.drawText(QRectF(-length / 2, -h / 2, length, h), Qt::AlignCenter, t.text);
        painter.restore();
    }
}

void DrawingView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || empty()) return;
    zoomAbout(event->position(), std::pow(kWheelStep, notches));
    event->accept();
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    pressPixel_ = event->position();
    pressOrigin_ = origin_;
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) return;
    const QPointF moved = event->position() - pressPixel_;
    if (!dragging_ && std::hypot(moved.x(), moved.y()) < kDragPixels) return;
    if (!dragging_) setCursor(Qt::ClosedHandCursor);
    dragging_ = true;
    origin_ = pressOrigin_ + moved;
    fitPending_ = false;
    update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        unsetCursor();
        return;
    }
    if (empty()) return;
    const Point p = toPaper(event->position());
    emit clicked(p.x, p.y);
}

bool DrawingView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = tipAt && !empty() ? tipAt(toPaper(help->pos())) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace nivex::qt
