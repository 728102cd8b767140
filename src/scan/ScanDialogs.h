#pragma once
// The graph's dialogs: "Scan Scale" (set-scale), "Information" and the
// "Data Style" dialog with its marker, shape and colour controls, and the
// style commands Frame Color and Font.
#include <QAbstractButton>
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "core/FieldSet.h"

class TScanBase;
struct GraphStyle;
struct PointStyle;

// The set-scale check of OK: the id of the first field that fails (102 to
// 107), or 0 when all are good. Ranges stored before a later field fails
// stay stored. minimumK/maximumK: the controller's limits (both 0: none).
int ApplySetScale(TScanBase& graph, const FieldSet& fields, int minimumK, int maximumK);
// A whole number as the dialog fields take it (blanks around allowed).
bool WholeNumber(const std::string& text, int& value);

void RunSetScaleDialog(TScanBase& graph);
void RunInfoDialog(TScanBase& graph);

// One of the four records' buttons (ids 21 to 24) showing its marker.
class TStyleCon : public QAbstractButton {
    Q_OBJECT
  public:
    TStyleCon(int id, PointStyle& record, QWidget* parent);
    QSize sizeHint() const override { return {30, 22}; }
    PointStyle& record;

  protected:
    void paintEvent(QPaintEvent*) override;
};

// A shape button (ids 11 to 18) showing shapes 1 to 8 at size 4.
class TPointCon : public QAbstractButton {
    Q_OBJECT
  public:
    TPointCon(int id, int shape, QWidget* parent);
    int shape;

  protected:
    void paintEvent(QPaintEvent*) override;
};

// A palette of 16 colours in 2 rows of 8 cells, 144 by 18 pixels. Cell n
// (colour n) is the button "control<id*100+n>".
class TColorCon : public QWidget {
    Q_OBJECT
  public:
    TColorCon(int id, QWidget* parent);
    static std::uint32_t ColorOf(int index);  // 0x00BBGGRR
    int selected = -1;

  signals:
    void picked(std::uint32_t color);

  protected:
    void paintEvent(QPaintEvent*) override;
};

// "Data Style" ("NSTYLE"): edits the shared style set at once.
class TColDlg : public QDialog {
    Q_OBJECT
  public:
    // `repaint` draws every graph again after each change (none: nothing).
    TColDlg(QWidget* parent, GraphStyle& style, std::function<void()> repaint = {});
    PointStyle& Editing();
    void Pick(int index);
    void SetShape(int shape);
    void StepSize(int step);
    void SetLineColor(std::uint32_t c);
    void SetFillColor(std::uint32_t c);

  private:
    void Changed();
    FieldSet fields_;
    int editing_ = 0;
    TStyleCon* records_[4] = {};
    std::function<void()> repaint_;
};

// Graph > Style: "Data Points..." (120), "Frame Color..." (121), "Font..." (122);
// `repaint` draws every graph again with the new style.
void OnDataStyle(GraphStyle& style, QWidget* owner, const std::function<void()>& repaint);
void OnFrameColor(GraphStyle& style, QWidget* owner, const std::function<void()>& repaint);
void OnGraphFont(GraphStyle& style, QWidget* owner, const std::function<void()>& repaint);
