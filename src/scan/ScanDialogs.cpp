#include "scan/ScanDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdlib>

#include "views/Controls.h"
#include "core/ControllerKind.h"
#include "views/FieldViews.h"
#include "scan/GraphLook.h"
#include "records/GraphStyle.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "scan/TScanBase.h"

bool WholeNumber(const std::string& text, int& value) {
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return false;
    std::size_t e = text.find_last_not_of(" \t");
    const std::string s = text.substr(b, e - b + 1);
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size() || s.size() > 11) return false;
    for (std::size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (v < -1000000000LL || v > 1000000000LL) return false;
    value = static_cast<int>(v);
    return true;
}

int ApplySetScale(TScanBase& graph, const FieldSet& fields, int minimumK, int maximumK) {
    int upper = 0, lower = 0;
    if (!WholeNumber(fields.Get(102), upper)) return 102;
    if (!WholeNumber(fields.Get(103), lower) || lower >= upper) return 103;
    graph.LeftScale().set = {lower, upper};
    if (TLogScale* right = graph.RightScale()) {
        if (!WholeNumber(fields.Get(104), upper)) return 104;
        if (!WholeNumber(fields.Get(105), lower) || lower >= upper) return 105;
        right->set = {lower, upper};
    }
    const bool limits = minimumK != 0 || maximumK != 0;
    int low = 0, high = 0;
    // A low end of 0 K or less would put 1000/T at infinity.
    if (!WholeNumber(fields.Get(106), low) || low <= 0 || (limits && low < minimumK)) return 106;
    if (!WholeNumber(fields.Get(107), high) || (limits && high > maximumK) || high <= low)
        return 107;
    graph.SetTemperatureRange(low, high);
    return 0;
}

namespace {
class ScaleDialog : public QDialog {
  public:
    ScaleDialog(TScanBase& graph) : QDialog(&graph), graph_(graph) {
        setObjectName("SCANSCALE");
        setWindowTitle("Scan Scale");
        fields_.Set(102, std::to_string(graph.LeftScale().set.highest));
        fields_.Set(103, std::to_string(graph.LeftScale().set.lowest));
        if (TLogScale* r = graph.RightScale()) {
            fields_.Set(104, std::to_string(r->set.highest));
            fields_.Set(105, std::to_string(r->set.lowest));
        }
        fields_.Set(106, std::to_string(graph.Tscale1()));
        fields_.Set(107, std::to_string(graph.Tscale2()));
        auto* grid = new QGridLayout(this);
        auto group = [&](const char* title, int upperId, int lowerId, const char* a, const char* b,
                         bool enabled) {
            auto* box = new QGroupBox(title, this);
            auto* g = new QGridLayout(box);
            g->addWidget(StaticText(a, box), 0, 0);
            auto* e1 = FieldEdit(fields_, upperId, box);
            g->addWidget(e1, 0, 1);
            g->addWidget(StaticText(b, box), 1, 0);
            auto* e2 = FieldEdit(fields_, lowerId, box);
            g->addWidget(e2, 1, 1);
            e1->setEnabled(enabled);
            e2->setEnabled(enabled);
            edits_[upperId] = e1;
            edits_[lowerId] = e2;
            return box;
        };
        const bool right = graph.RightScale() != nullptr;
        auto* leftBox = group("Left Scale", 102, 103, "Upper", "Lower", true);
        auto* rightBox = group("Right Scale", 104, 105, "Upper", "Lower", right);
        auto* tBox = group("Temperature (K)", 106, 107, "Low", "High", true);
        // The temperature fields are Low (106) then High (107).
        grid->addWidget(leftBox, 0, 0);
        grid->addWidget(StaticText("Log Units", this), 1, 0, Qt::AlignHCenter);
        grid->addWidget(rightBox, 0, 1);
        grid->addWidget(StaticText("Log Units", this), 1, 1, Qt::AlignHCenter);
        grid->addWidget(tBox, 2, 0);
        auto* note = StaticText("for normal and inverse scales", this);
        note->setWordWrap(true);
        grid->addWidget(note, 2, 1);
        auto* buttons = new QHBoxLayout;
        auto* ok = PushButton("OK", "IDOK", this);
        auto* cancel = PushButton("Cancel", "IDCANCEL", this);
        ok->setDefault(true);
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        grid->addLayout(buttons, 3, 0, 1, 2);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    void accept() override {
        const ControllerFacts& facts = FactsOf(graph_.Configuration().controllerKind);
        const int failed = ApplySetScale(graph_, fields_, facts.minimum, facts.maximum);
        if (failed != 0) {
            QApplication::beep();
            if (edits_[failed]) edits_[failed]->setFocus();
            return;
        }
        QDialog::accept();
    }

  private:
    TScanBase& graph_;
    FieldSet fields_;
    std::map<int, QLineEdit*> edits_;
};
}  // namespace

void RunSetScaleDialog(TScanBase& graph) {
    ScaleDialog dialog(graph);
    Prompt::Exec(dialog);
    // Closed by OK or Cancel, the set ranges are what the graph shows.
    graph.ShowSetRanges();
}

void RunInfoDialog(TScanBase& graph) {
    QDialog dialog(&graph);
    dialog.setObjectName("SAMPLEINFO");
    dialog.setWindowTitle("Information");
    auto* column = new QVBoxLayout(&dialog);
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName("field101");
    text->setReadOnly(true);
    QString body = QString::fromStdString(graph.InfoText());
    body.replace("\r\n", "\n");
    text->setPlainText(body);
    text->setMinimumSize(320, 130);
    column->addWidget(text);
    column->addWidget(StaticText("Copy selected text to the clipboard using ctrl-c", &dialog));
    auto* close = PushButton("Close", "IDOK", &dialog);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    column->addWidget(close, 0, Qt::AlignHCenter);
    Prompt::Exec(dialog);
}

// --- the data-style dialog ------------------------------------------------------

TStyleCon::TStyleCon(int id, PointStyle& r, QWidget* parent) : QAbstractButton(parent), record(r) {
    setObjectName(QString("button%1").arg(id));
    setCheckable(true);
    setFixedSize(30, 22);
}

void TStyleCon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), isChecked() ? QColor(200, 215, 240) : Qt::white);
    p.setPen(isChecked() ? QColor(40, 80, 160) : QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(StyleColor(record.lineColor), 1));
    p.setBrush(StyleColor(record.fillColor));
    DrawMarker(p, record.shape, record.size, width() / 2, height() / 2);
}

TPointCon::TPointCon(int id, int s, QWidget* parent) : QAbstractButton(parent), shape(s) {
    setObjectName(QString("button%1").arg(id));
    setFixedSize(19, 19);
}

void TPointCon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(240, 240, 240));
    p.setPen(QColor(150, 150, 150));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    DrawMarker(p, shape, 4, 9, 9);
}

namespace {
class ColorCell : public QAbstractButton {
  public:
    ColorCell(int name, QColor c, QWidget* parent) : QAbstractButton(parent), color(c) {
        setObjectName(QString("control%1").arg(name));
        setFixedSize(18, 9);
    }
    QColor color;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), color);
        p.setPen(QColor(100, 100, 100));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};
}  // namespace

std::uint32_t TColorCon::ColorOf(int index) {
    static const int table[16][3] = {
        {255, 255, 255}, {0, 0, 0},     {192, 192, 192}, {128, 128, 128},
        {255, 0, 0},     {128, 0, 0},   {0, 255, 0},     {0, 128, 0},
        {0, 0, 255},     {0, 0, 128},   {255, 255, 0},   {128, 128, 0},
        {0, 255, 255},   {0, 128, 128}, {255, 0, 255},   {128, 0, 128}};
    if (index < 0 || index > 15) return 0;
    return static_cast<std::uint32_t>(table[index][0]) | (table[index][1] << 8) |
           (table[index][2] << 16);
}

TColorCon::TColorCon(int id, QWidget* parent) : QWidget(parent) {
    setObjectName(QString("palette%1").arg(id));
    setFixedSize(144, 18);
    // Column c, row r holds colour 2c + r.
    for (int c = 0; c < 8; ++c)
        for (int r = 0; r < 2; ++r) {
            const int n = 2 * c + r;
            auto* cell = new ColorCell(id * 100 + n, StyleColor(ColorOf(n)), this);
            cell->move(c * 18, r * 9);
            connect(cell, &QAbstractButton::clicked, this, [this, n] {
                selected = n;
                emit picked(ColorOf(n));
            });
        }
}

void TColorCon::paintEvent(QPaintEvent*) {}

TColDlg::TColDlg(QWidget* parent, GraphStyle& style, std::function<void()> repaint)
    : QDialog(parent), repaint_(std::move(repaint)) {
    setObjectName("NSTYLE");
    setWindowTitle("Data Style");
    GraphStyle& s = style;
    PointStyle* recs[4] = {&s.N, &s.P, &s.UN, &s.UP};
    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    const char* titles[2] = {"Concentration", "Mobility"};
    for (int g = 0; g < 2; ++g) {
        auto* box = new QGroupBox(titles[g], this);
        auto* row = new QHBoxLayout(box);
        for (int k = 0; k < 2; ++k) {
            const int index = 2 * g + k;
            row->addWidget(StaticText(k == 0 ? "n" : "p", box));
            records_[index] = new TStyleCon(21 + index, *recs[index], box);
            group->addButton(records_[index]);
            row->addWidget(records_[index]);
            connect(records_[index], &QAbstractButton::clicked, this,
                    [this, index] { Pick(index); });
        }
        top->addWidget(box);
    }
    column->addLayout(top);
    auto* shapes = new QWidget(this);
    shapes->setObjectName("control300");
    shapes->setFixedSize(7 * 18 + 19, 19);
    for (int i = 0; i < 8; ++i) {
        auto* b = new TPointCon(11 + i, i + 1, shapes);
        b->move(i * 18, 0);
        connect(b, &QAbstractButton::clicked, this, [this, i] { SetShape(i + 1); });
    }
    column->addWidget(StaticText("Shape", this));
    column->addWidget(shapes);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(StaticText("Size", this));
    auto* sizeEdit = FieldEdit(fields_, 104, this);
    sizeEdit->setFixedWidth(36);
    sizeRow->addWidget(sizeEdit);
    sizeRow->addWidget(UpDown(104, this, [this](int step) { StepSize(step); }));
    sizeRow->addStretch();
    connect(sizeEdit, &QLineEdit::editingFinished, this, [this] {
        int v = 0;
        if (WholeNumber(fields_.Get(104), v) && v >= 1 && v <= 8) {
            Editing().size = v;
            Changed();
        } else {
            fields_.Set(104, std::to_string(Editing().size));
        }
    });
    column->addLayout(sizeRow);
    auto* line = new TColorCon(102, this);
    auto* fill = new TColorCon(103, this);
    column->addWidget(StaticText("Line Color", this));
    column->addWidget(line);
    column->addWidget(StaticText("Fill Color", this));
    column->addWidget(fill);
    connect(line, &TColorCon::picked, this, [this](std::uint32_t c) { SetLineColor(c); });
    connect(fill, &TColorCon::picked, this, [this](std::uint32_t c) { SetFillColor(c); });
    auto* apply = PushButton("Apply", "IDOK", this);
    apply->setDefault(true);  // Enter applies
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(apply, 0, Qt::AlignRight);
    Pick(0);
}

PointStyle& TColDlg::Editing() {
    return records_[editing_]->record;
}

void TColDlg::Pick(int index) {
    if (index < 0 || index > 3) return;
    editing_ = index;
    records_[index]->setChecked(true);
    fields_.Set(104, std::to_string(Editing().size));
}

void TColDlg::SetShape(int shape) {
    Editing().shape = shape;
    Changed();
}

void TColDlg::StepSize(int step) {
    Editing().size = std::clamp(Editing().size + step, 1, 8);
    fields_.Set(104, std::to_string(Editing().size));
    Changed();
}

void TColDlg::SetLineColor(std::uint32_t c) {
    Editing().lineColor = c;
    Changed();
}

void TColDlg::SetFillColor(std::uint32_t c) {
    Editing().fillColor = c;
    Changed();
}

void TColDlg::Changed() {
    for (auto* r : records_) r->update();
    if (repaint_) repaint_();
}

void OnDataStyle(GraphStyle& style, QWidget* owner, const std::function<void()>& repaint) {
    TColDlg dialog(owner, style, repaint);
    Prompt::Exec(dialog);
    if (repaint) repaint();
}

void OnFrameColor(GraphStyle& style, QWidget* owner, const std::function<void()>& repaint) {
    QColorDialog dialog(StyleColor(style.FrameColor), owner);
    dialog.setObjectName("FRAMECOLOR");
    dialog.setWindowTitle("Graph Frame Color");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    const QColor c =
        dialog.selectedColor().isValid() ? dialog.selectedColor() : dialog.currentColor();
    style.FrameColor = static_cast<std::uint32_t>(c.red()) | (c.green() << 8) | (c.blue() << 16);
    if (repaint) repaint();
}

void OnGraphFont(GraphStyle& style, QWidget* owner, const std::function<void()>& repaint) {
    QFontDialog dialog(GraphFont(style), owner);
    dialog.setObjectName("GRAPHFONT");
    dialog.setOptions(QFontDialog::ScalableFonts | QFontDialog::DontUseNativeDialog);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    TakeGraphFont(style, dialog.selectedFont().family().isEmpty() ? dialog.currentFont()
                                                                  : dialog.selectedFont());
    if (repaint) repaint();
}
