#pragma once
// A drawing on screen: the paper of a drawings::Drawing painted with the layers' styles,
// zoomed with the wheel about the cursor, moved by dragging, fitted on demand. Only what
// lies in view is painted, and texts too small to be read are skipped, so that the plan of
// a large network moves without delay. The mouse over the paper asks for a tip; a click
// (a press released where it started) reports the paper point.

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "drawings/drawing.h"
#include "drawings/drawing_style.h"

namespace nivex::qt {

// Something drawn over the drawing to show what the user picked: a line along points, or
// a ring around the first point.
struct DrawingMark {
    std::vector<drawings::Point> points;
    QColor colour;
    double widthPx = 4;
    bool ring = false;
};

class DrawingView : public QWidget {
    Q_OBJECT

  public:
    explicit DrawingView(QWidget* parent = nullptr);

    // The drawing shown, fitted to the view; texts of `late` are drawn only once they are
    // large enough to be read (labels that found no room on the paper).
    void setDrawing(drawings::Drawing drawing, std::vector<drawings::Text> late = {});
    const drawings::Drawing& drawing() const { return drawing_; }
    bool empty() const { return drawing_.width <= 0 || drawing_.height <= 0; }
    void clear();
    void setMarks(std::vector<DrawingMark> marks);
    const std::vector<DrawingMark>& marks() const { return marks_; }

    // "Ajustar": the whole page in view, centred.
    void fit();
    // The page's height filling the view, paper abscissa x in its middle (a long profile
    // read along its length).
    void fitHeightAt(double x);
    // The paper point p in the middle of the view, at least minPixelsPerMm across.
    void centreOn(drawings::Point p, double minPixelsPerMm);
    // Zoomed by factor, the paper point under `pixel` staying there.
    void zoomAbout(QPointF pixel, double factor);

    double pixelsPerMm() const { return scale_; }
    QPointF toScreen(drawings::Point p) const;
    drawings::Point toPaper(QPointF pixel) const;
    // The part of the paper the view shows.
    drawings::Box visiblePaper() const;

    // Texts are drawn once they are at least this tall on screen; left-out labels once
    // they are this tall.
    static constexpr double kSmallestText = 2.0;  // pixels
    static constexpr double kReadableText = 9.0;  // pixels
    // How far from the mouse the tip and the click look (pixels).
    static constexpr double kPickPixels = 8.0;

    // The tip for the paper point under the mouse; empty for none.
    std::function<QString(drawings::Point)> tipAt;

  signals:
    void clicked(double x, double y);  // paper millimetres

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    struct Layer {
        drawings::LayerStyle style;
        std::vector<size_t> lines, areas, circles;
    };
    struct ShownText {
        size_t index = 0;
        drawings::Box box;
        QString text;
        QColor colour;
    };
    void index();
    void paintTexts(QPainter& painter, const std::vector<ShownText>& texts,
                    const std::vector<drawings::Text>& source, const drawings::Box& view,
                    double smallest);
    void setScale(double scale);

    drawings::Drawing drawing_;
    std::vector<drawings::Text> late_;
    std::vector<Layer> layers_;
    std::vector<drawings::Box> lineBoxes_, areaBoxes_;
    std::vector<ShownText> texts_, lateTexts_;
    std::vector<DrawingMark> marks_;

    double scale_ = 1;  // pixels per paper millimetre
    QPointF origin_;    // the pixel of paper point (0, 0)
    double fitScale_ = 1;
    bool fitPending_ = true;

    bool pressed_ = false, dragging_ = false;
    QPointF pressPixel_, pressOrigin_;
};

}  // namespace nivex::qt
