#pragma once
// The scan graph window: the points of a scan against T or 1000/T on
// logarithmic axes, four views, scaling, zoom, read-outs, grid, comments,
// title and the activation energy of an Arrhenius plot.
//
// The scan itself (plan, points, markers) is a ScanModel the window only
// reads: the live window shows the scan run's model, a viewer the model it
// read from its file.
//
// Paint() is the whole drawing over any painter and rectangle with the
// caller's tick length and pen width: the window, the printout, the
// clipboard bitmap and the SVG all draw through it. It is const: it draws
// the model and the window's view from a layout of its own surface (a
// GraphLayout), and never changes the window's plot, its scales' factors
// (they follow the window's own size) or the model, so a printout leaves
// the rubber band, zoom and read-outs where the operator sees them. What
// the tools drag (the
// zoom rectangle, the rubber-band line) and the live scan's temperature
// markers are an overlay above the painted graph: showing one again removes
// it, and a mouse move repaints only the overlay, never the graph.
#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scan/Activation.h"
#include "scan/Scale.h"
#include "scan/ScanData.h"
#include "scan/ScanModel.h"

struct PointStyle;

struct TComment {
    float x = 0.0f;  // in the x axis's units when it was placed
    float y = 0.0f;  // a value of the left axis
    std::string text;
};

// A line in data units: x as 1000/T, y as a decade (log10 of the left quantity).
struct DataLine {
    int state = 0;  // 0 none, 1 on a resistivity view, 2 on a concentration view
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string label;
};

// One drawing's geometry: the plot and font of the surface drawn on, and
// the axes with their tick modes and factors for that plot.
struct GraphLayout {
    ScaleFrame frame;
    TLinScale x;
    TLogScale left;
    std::optional<TLogScale> right;
};

// At most `count` characters (not bytes) of a Unicode (UTF-8) text.
std::string CutToCharacters(const std::string& text, int count);

class StatusFields;
struct GraphStyle;
struct RunConfig;

class TScanBase : public QWidget {
    Q_OBJECT
  public:
    enum ViewId { ConcMobility = 0, ResHall = 1, Concentration = 2, Resistivity = 3 };
    enum class Band { Idle, DraggingRect, Zoomed, DraggingLine, LineComplete };
    static constexpr int kMinWidth = 210;
    static constexpr int kMinHeight = 150;
    static constexpr int kTextChars = 31;
    static constexpr int kTitleChars = 79;

    // The run configuration gives the Information box its two ID labels;
    // the cursor's read-outs go to the status fields.
    TScanBase(const RunConfig& config, StatusFields& status, GraphStyle& style,
              QWidget* parent = nullptr);
    ~TScanBase() override;

    // The main frame's tool mode (0 cursor, 1 zoom, 2 rubber band, 3 set
    // value, 4 text) and the way back to the simple cursor; without them
    // the tool is the simple cursor.
    void SetToolModeSource(std::function<int()> mode, std::function<void()> backToCursor);

    // The scan this window shows.
    virtual const ScanModel& Model() const = 0;
    const RunConfig& Configuration() const { return config_; }
    // The graph style the window draws with (the program's).
    GraphStyle& StyleOf() const { return style_; }
    // The scan's identity: the live window's is the specimen record.
    ScanHeader Header() const { return Model().Header(); }
    const ScanData& Data() const { return Model().Data(); }
    bool ResistivityOnly() const { return Model().ResistivityOnly(); }

    // --- drawing ---
    // Draws the graph into `client` of any surface; the window and the
    // model are left as they were.
    void Paint(QPainter& painter, const QRect& client, int tickLength, int penWidth,
               bool screen = false) const;
    // The same from a layout already made for the surface (LayOut).
    void Paint(QPainter& painter, const QRect& client, const GraphLayout& layout,
               bool screen) const;
    // The layout of a drawing onto `device` in `client` (with the style's font).
    GraphLayout LayOut(const QPaintDevice& device, const QRect& client, int tickLength,
                       int penWidth) const;
    // The window's own plot and font, for its present size; the scales'
    // factors are brought up to date with it.
    const ScaleFrame& Frame() const;
    // The window's layout: its size, tick length 4, pen width 1 (nothing changed).
    GraphLayout WindowLayout() const;
    // Draws one point (a new point of the live scan) without repainting the rest.
    void DrawPoint(int slot);
    // The graph's drawing has changed: repaint it, without the markers.
    void Invalidate();
    QImage Render(const QSize& size, int tickLength = 4, int penWidth = 1);

    // --- scales and views ---
    TLinScale& XScale() { return inverse_ ? inverseScale_ : temperatureScale_; }
    const TLinScale& XScale() const { return inverse_ ? inverseScale_ : temperatureScale_; }
    TLogScale& LeftScale();
    const TLogScale& LeftScale() const;
    TLogScale* RightScale();
    const TLogScale* RightScale() const;
    TLinScale temperatureScale_, inverseScale_;
    TLogScale bulkConcentration_, bulkResistivity_, sheetConcentration_, sheetResistance_,
        mobilityScale_, hallScale_;

    int View() const { return view_; }
    void SetView(int view);
    bool IsConcentrationView() const { return view_ == ConcMobility || view_ == Concentration; }
    bool ViewEnabled(int view) const { return view == Resistivity || !ResistivityOnly(); }
    bool Inverse() const { return inverse_; }
    void SetInverse(bool inverse);
    bool GridOn() const { return grid_; }
    void SetGrid(bool on);
    bool CanAutoScale() const { return Data().count > 1; }
    void AutoScale();
    // Whole kelvins of the set-scale dialog's temperature fields.
    int Tscale1() const { return tscale1_; }
    int Tscale2() const { return tscale2_; }
    virtual void SetTemperatureRange(int low, int high);
    // The set ranges become the visible ones (after the set-scale dialog).
    void ShowSetRanges();

    // --- commands ---
    void ActivationCommand();     // 55
    void FitActivationCommand();  // 87
    void SetScaleCommand();       // 71
    void InfoCommand();           // 67
    void ChangeTitleCommand();    // 80
    void DeleteComments();        // 82
    void CopyBitmap();            // 85
    void CopyMetafile();          // 86
    std::string Title() const { return windowTitle().toStdString(); }
    std::string InfoText() const;
    // Lines about the points a file held that were not taken; none for the live scan.
    const std::vector<std::string>& ReadNotes() const { return Model().ReadNotes(); }

    // --- tools, by pixel position in the window ---
    void Press(QPoint at);
    void Move(QPoint at, bool leftHeld);
    void Release(QPoint at);
    Band BandState() const { return band_; }
    const DataLine& ActivationLine() const { return activation_; }
    const DataLine& FitLine() const { return fit_; }
    const std::vector<TComment>& Comments() const { return comments_; }
    // Adds a comment at a window pixel, as the add-text tool does after its dialog.
    void AddComment(QPoint at, const std::string& text);

    // Where a slot's left marker stands on the last paint's scales.
    std::optional<QPoint> LeftMarkerAt(int slot) const;

    // "graph: ..." and "point: ..." lines of the dump.
    void DumpLines(std::vector<std::string>& lines) const;

    // How many times the window painted its graph or rendered it to an
    // image (not the overlay).
    int GraphPaints() const { return graphPaints_; }

  signals:
    void viewChanged();

  protected:
    const RunConfig& config_;
    StatusFields& status_;
    GraphStyle& style_;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return {640, 440}; }

    // Overlay lines above the graph (the live window's markers).
    virtual void PaintOverlay(QPainter&) const {}
    // Where the x axis puts a temperature, as a window x; nothing when not drawable.
    std::optional<int> XPixelOfTemperature(double kelvin) const;
    // The same on a drawing's layout.
    std::optional<int> XPixelOf(const GraphLayout& layout, double kelvin) const;

    int tscale1_ = 50;
    int tscale2_ = 400;

  private:
    void PaintPoint(QPainter& p, const GraphLayout& layout, const ScanPoint& point,
                    bool screen) const;
    void PaintLine(QPainter& p, const GraphLayout& layout, const DataLine& line, int row) const;
    // The planned temperatures as short ticks hanging from the plot's top edge.
    void PaintPlan(QPainter& p, const GraphLayout& layout) const;
    void Readouts(QPoint at);
    void AddCommentAt(QPoint at);
    // Lays the window out for its present size: the plot and the factors of
    // its scales, which the tools and read-outs map pixels with.
    void EnsureScales();
    int ToolMode() const;

    int view_ = ConcMobility;
    bool inverse_ = false;
    bool grid_ = true;
    ScaleFrame frame_;
    Band band_ = Band::Idle;
    QPoint bandStart_, bandEnd_;
    QRect lastZoom_;
    DataLine activation_;
    DataLine fit_;
    std::vector<TComment> comments_;
    QImage cache_;
    bool cacheValid_ = false;
    int graphPaints_ = 0;
    std::function<int()> toolMode_;
    std::function<void()> backToCursor_;
};

// A marker of the style record's shape centred on (x, y), half-width a.
void DrawMarker(QPainter& painter, int shape, int a, int x, int y);
// A style colour (0x00BBGGRR) as a QColor.
QColor StyleColor(unsigned value);
