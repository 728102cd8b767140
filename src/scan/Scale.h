#pragma once
// The graph's axes: value classes that map values to pixel offsets and back,
// choose ticks and labels, zoom, and draw onto any painter. They own no
// widget: the screen, the printer page, a bitmap and an SVG all draw through
// the same Draw with the caller's tick length and pen width.
#include <QColor>
#include <string>
#include <vector>

class QPainter;

// The plot rectangle with the edges a window's RECT has: right and bottom
// are the coordinates of the frame's right and bottom lines.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// What a scale needs from the graph that owns it for one paint.
struct ScaleFrame {
    PlotRect plot;
    int charHeight = 16;
    int charWidth = 8;
    int tickLength = 4;  // 4 on screen; a printout sets its own
    int penWidth = 1;
    QColor textColor = Qt::black;  // labels; ticks take the painter's pen
};

// What one Draw put on the surface, for the tests and the dump.
struct AxisTrace {
    std::vector<double> ticks;        // values of drawn ticks (edge ticks left out)
    std::vector<double> minorTicks;   // logarithmic: decade values of minor ticks
    std::vector<std::string> labels;  // texts in drawing order
    std::vector<int> labelPixels;     // the label's tick position (x or y)
};

// Tick step, label step and decimals of a linear axis for a range r.
struct LinearSteps {
    double tick;
    double label;
    int decimals;
};
LinearSteps LinearStepsFor(double range);

// Nearest whole pixel with halves away from zero; out-of-range values are
// held at a few million pixels so no conversion overflows.
int RoundPixel(double offset);

class TScale {
  public:
    enum Position { Left = 0, Top = 1, Right = 2, Bottom = 3 };

    TScale(std::string label, Position position) : label(std::move(label)), position(position) {}
    virtual ~TScale() = default;

    // Computes the factor and, with a painter, draws ticks and labels in the
    // painter's present pen and font. A null painter only sets the factor.
    virtual void Draw(QPainter* painter, const ScaleFrame& frame, AxisTrace* trace = nullptr);
    virtual void Zoom(int lowPixel, int highPixel, const PlotRect& plot);
    virtual int ToPixel(double value) const;
    virtual double ToValue(double pixelOffset) const;

    bool Horizontal() const { return position == Top || position == Bottom; }

    double factor = 0.0;
    std::string label;
    Position position;
    int tickMode = 1;  // 0 none, 1 own edge, 2 both edges, 3 grid lines

  protected:
    // flags: 1 bottom/left edge, 2 top/right edge, 4 a full line.
    static void TickX(QPainter& p, const ScaleFrame& f, int x, int flags);
    static void TickY(QPainter& p, const ScaleFrame& f, int y, int flags);
    // The flags of this scale's tick mode.
    int TickFlags() const;
    void Tick(QPainter& p, const ScaleFrame& f, int pixel, int flags) const;
};

struct LinRange {
    double minimum = 0.0;
    double maximum = 1.0;
    bool operator==(const LinRange&) const = default;
};

class TLinScale : public TScale {
  public:
    TLinScale(std::string label, Position position, LinRange range)
        : TScale(std::move(label), position), visible(range), automatic(range), set(range) {}
    void Draw(QPainter* painter, const ScaleFrame& frame, AxisTrace* trace = nullptr) override;
    void Zoom(int lowPixel, int highPixel, const PlotRect& plot) override;
    int ToPixel(double value) const override;
    double ToValue(double pixelOffset) const override;

    LinRange visible, automatic, set;
    bool narrow = false;
    bool zeroLine = false;
};

struct LogRange {
    int lowest = 0;
    int highest = 1;
    bool operator==(const LogRange&) const = default;
};

class TLogScale : public TScale {
  public:
    TLogScale(std::string label, Position position, LogRange range)
        : TScale(std::move(label), position), visible(range), automatic(range), set(range) {}
    void Draw(QPainter* painter, const ScaleFrame& frame, AxisTrace* trace = nullptr) override;
    void Zoom(int lowPixel, int highPixel, const PlotRect& plot) override;
    // Of |value|; a value of 0 lies far below the plot.
    int ToPixel(double value) const override;
    double ToValue(double pixelOffset) const override;  // the value, not its logarithm
    // The decade value (log10 of the quantity) under a pixel offset.
    double DecadeAt(double pixelOffset) const { return visible.lowest + pixelOffset / factor; }

    LogRange visible, automatic, set;
};
