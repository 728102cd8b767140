#pragma once
// The IV curve's window: the run's sweeps plotted, voltage against current,
// in two square panes (one per contact pair), on screen and on paper.
#include <QPointF>
#include <array>
#include <string>

#include "measure/IVCurveMath.h"
#include "measure/IVCurveRun.h"
#include "measure/MeasurementWindow.h"

class ProgramState;
class QPainter;
class QRect;

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
    static constexpr int kCurrentLabel = IVCurveRun::kCurrentLabel;
    static constexpr int kVoltageLabel = IVCurveRun::kVoltageLabel;

    explicit IVcurve(ProgramState& program, QWidget* parent = nullptr);

    IVCurveRun& Run() { return static_cast<IVCurveRun&>(MeasurementWindow::Run()); }
    const IVCurveRun& Run() const {
        return static_cast<const IVCurveRun&>(MeasurementWindow::Run());
    }
    // What the panes show: the run's sweeps and scales.
    const IVCurveData& Data() const { return Run().Data(); }

    // The printable form: the panes painted with the printer's geometry at the
    // area's top left, made smaller only when the area cannot hold an inch-
    // sized plot. Uses the painter's font and device resolution.
    void Print(QPainter& painter, const QRect& area) const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};
