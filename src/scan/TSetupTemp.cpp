#include "scan/TSetupTemp.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cctype>
#include <climits>
#include <functional>

#include "views/Controls.h"
#include "views/FieldViews.h"
#include "records/ScanSettings.h"

std::optional<int> WholeNumberText(const std::string& text) {
    std::size_t i = 0, end = text.size();
    while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == end) return std::nullopt;
    long long value = 0;
    for (; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

int CheckScanSetup(const std::string& start, const std::string& stop, const std::string& points,
                   int minimum, int maximum, ScanSetup& out) {
    auto within = [minimum, maximum](const std::optional<int>& v) {
        return v && *v >= minimum && *v <= maximum;
    };
    const auto a = WholeNumberText(start);
    if (!within(a)) return TSetupTemp::kStart;
    const auto b = WholeNumberText(stop);
    if (!within(b)) return TSetupTemp::kStop;
    const auto n = WholeNumberText(points);
    if (!n || *n < 3 || *n > ScanSettings::kMaxPoints) return TSetupTemp::kPoints;
    out.start = *a;
    out.stop = *b;
    out.points = *n;
    return 0;
}

ScanSetup CurrentScanSetup(const ScanSettings& sc) {
    return {sc.ScanTstart, sc.ScanTstop,      sc.ScanNpoints, sc.ScanInverse,
            sc.ResOnly,    sc.ReturnRoomTemp, sc.AutoSetIm};
}

void StoreScanSetup(ScanSettings& sc, const ScanSetup& s) {
    sc.ScanTstart = s.start;
    sc.ScanTstop = s.stop;
    sc.ScanNpoints = s.points;
    sc.ScanInverse = s.inverse;
    sc.ResOnly = s.resistivityOnly;
    sc.ReturnRoomTemp = s.roomTemperatureAtEnd;
    sc.AutoSetIm = s.autoSetCurrent;
}

TSetupTemp::TSetupTemp(QWidget* parent, ScanSettings& settings, int minimum, int maximum,
                       std::function<void(int)> showHelp)
    : QDialog(parent),
      settings_(settings),
      minimum_(minimum),
      maximum_(maximum),
      help_(std::move(showHelp)) {
    setObjectName("SCANSETUP");
    setWindowTitle("Scan Setup");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    const ScanSetup now = CurrentScanSetup(settings_);
    fields_.Set(kStart, std::to_string(now.start));
    fields_.Set(kStop, std::to_string(now.stop));
    fields_.Set(kPoints, std::to_string(now.points));

    auto* range = new QGroupBox("Temp.Range", this);
    auto* grid = new QGridLayout(range);
    edits_[0] = FieldEdit(fields_, kStart, range);
    edits_[1] = FieldEdit(fields_, kStop, range);
    grid->addWidget(StaticText("Start", range), 0, 0);
    grid->addWidget(edits_[0], 0, 1);
    grid->addWidget(StaticText("Stop", range), 1, 0);
    grid->addWidget(edits_[1], 1, 1);

    auto* pointsRow = new QHBoxLayout;
    edits_[2] = FieldEdit(fields_, kPoints, this);
    pointsRow->addWidget(edits_[2]);
    pointsRow->addWidget(StaticText("points", this));
    pointsRow->addStretch(1);
    for (QLineEdit* edit : edits_) edit->setMaximumWidth(72);

    auto* spacing = new QGroupBox("Spacing", this);
    auto* spacingLayout = new QVBoxLayout(spacing);
    QRadioButton* equalT = RadioButton("equal T", kEqualT, spacing);
    QRadioButton* equalInverse = RadioButton("equal 1/T", kEqualInverse, spacing);
    spacingLayout->addWidget(equalT);
    spacingLayout->addWidget(equalInverse);
    (now.inverse ? equalInverse : equalT)->setChecked(true);

    QCheckBox* resistivityOnly = CheckBox("Resistivity Only", kResistivityOnly, this);
    QCheckBox* roomTemperature = CheckBox("Room Temp at end", kRoomTemperature, this);
    QCheckBox* autoSet = CheckBox("Auto Set I-meas", kAutoSet, this);
    resistivityOnly->setChecked(now.resistivityOnly);
    roomTemperature->setChecked(now.roomTemperatureAtEnd);
    autoSet->setChecked(now.autoSetCurrent);
    // The choices are in the model too, so the dump and the tests read them there.
    auto follow = [this](QAbstractButton* box, int id) {
        fields_.Set(id, box->isChecked() ? "1" : "0");
        connect(box, &QAbstractButton::toggled, this,
                [this, id](bool on) { fields_.Set(id, on ? "1" : "0"); });
    };
    follow(equalInverse, kEqualInverse);
    follow(resistivityOnly, kResistivityOnly);
    follow(roomTemperature, kRoomTemperature);
    follow(autoSet, kAutoSet);

    QPushButton* ok = PushButton("OK", QString("IDOK"), this);
    QPushButton* cancel = PushButton("Cancel ", QString("IDCANCEL"), this);
    QPushButton* help = PushButton("Help", QString("IDHELP"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TSetupTemp::accept);
    connect(cancel, &QPushButton::clicked, this, &TSetupTemp::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (help_) help_(kHelpContext);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(range);
    left->addLayout(pointsRow);
    auto* right = new QVBoxLayout;
    right->addWidget(spacing);
    right->addWidget(resistivityOnly);
    right->addWidget(roomTemperature);
    right->addWidget(autoSet);
    right->addStretch(1);
    top->addLayout(left);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    edits_[0]->setFocus();
}

void TSetupTemp::accept() {
    ScanSetup setup;
    refused_ = CheckScanSetup(fields_.Get(kStart), fields_.Get(kStop), fields_.Get(kPoints),
                              minimum_, maximum_, setup);
    if (refused_ != 0) {
        QApplication::beep();
        QLineEdit* edit = edits_[refused_ == kStart ? 0 : refused_ == kStop ? 1 : 2];
        edit->setFocus();
        edit->selectAll();
        return;
    }
    setup.inverse = fields_.Get(kEqualInverse) == "1";
    setup.resistivityOnly = fields_.Get(kResistivityOnly) == "1";
    setup.roomTemperatureAtEnd = fields_.Get(kRoomTemperature) == "1";
    setup.autoSetCurrent = fields_.Get(kAutoSet) == "1";
    StoreScanSetup(settings_, setup);
    QDialog::accept();
}
