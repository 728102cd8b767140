#pragma once
// The IV curve: for the contact pairs 1-2 and 3-4 the current is stepped from
// zero to the measurement current in ten steps, in each direction, and the
// voltage across the pair is plotted against it in two square panes. Straight
// lines through the origin mean ohmic contacts.
#include <QPointF>
#include <array>
#include <string>
#include <vector>

#include "IVCurveMath.h"
#include "MeasurementWindow.h"

class QPainter;
class QRect;

// What the window shows: the sweeps, the full-scale values the panes are
// scaled to (volts and microamps) and whether the curves are drawn.
struct IVCurveData {
    IVSweeps sweeps;
    double fullScaleVoltage = 0.75;
    double fullScaleCurrent = 500.0;
    // The last run ended normally: labels and curves are drawn.
    bool curveComplete = false;
    // No instrument: each pane shows a demonstration diagonal instead.
    bool demonstration = false;
};

// Where the two panes go: half the side of each square, their centres and the
// pen width, in the painter's coordinates.
struct IVPaneGeometry {
    double half = IVMath::kScreenHalfSize;
    std::array<QPointF, 2> centre{QPointF(86, 88), QPointF(253, 88)};
    double penWidth = 1.0;
    // A light grid at tenths of full scale: an aid on screen, not on paper.
    bool grid = false;

    static IVPaneGeometry Screen() {
        IVPaneGeometry screen;
        screen.grid = true;
        return screen;
    }
    // On paper the panes are an inch (a) from the origin: half-size a, centres
    // at (a, a) and (a / 10 + 3a, a), a 2-unit pen.
    static IVPaneGeometry Printer(QPointF origin, double dotsPerInch);
};

// Paints both panes: frames, axes, titles and, when the curve is complete,
// the two labels and the light-red curves (or the demonstration diagonals).
void PaintIVPanes(QPainter& painter, const IVCurveData& data, const std::string& currentLabel,
                  const std::string& voltageLabel, const IVPaneGeometry& geometry);

class IVcurve : public MeasurementWindow {
    Q_OBJECT
  public:
    // The label fields: the full-scale current and voltage texts.
    static constexpr int kCurrentLabel = 1;
    static constexpr int kVoltageLabel = 2;

    explicit IVcurve(QWidget* parent = nullptr);
    void Measure() override;

    const IVCurveData& Data() const { return data_; }
    // The block appended to the log file.
    std::string LogBlock() const;
    // The printable form: the panes painted with the printer's geometry at the
    // area's top left, made smaller only when the area cannot hold an inch-
    // sized plot. Uses the painter's font and device resolution.
    void Print(QPainter& painter, const QRect& area) const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Run();
    void SelectPair(int pair, bool buffered);
    void Sweep(int pair, int sweep);
    void Changed();

    IVCurveData data_;
    // Per run: the pane scales, the source's step, the decade gain of the
    // full-scale reading and the microamps per unit of the source's value.
    double xScale_ = 0.0;
    double yScale_ = 0.0;
    double stepCurrent_ = 0.0;
    int gain_ = 0;
    double microampsPerSourceUnit_ = 1.0;
};

// The dump's IV lines, one per point in the order pair, sweep, step:
// "iv: <pair 0|1> <sweep 0|1> <stored signed current, uA> <voltage, V>".
void DumpIVCurve(std::vector<std::string>& lines, const IVcurve& window);
