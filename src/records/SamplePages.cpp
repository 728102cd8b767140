#include "records/SamplePages.h"

#include "records/ProgramState.h"

#include "records/SettingsTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "records/LogFile.h"
#include "records/Materials.h"
#include "core/MeasurementSettings.h"
#include "platform/Prompt.h"
#include "records/RecordText.h"
#include "records/RecordsLinks.h"
#include "records/RegPathDialogs.h"
#include "records/RegValues.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "records/ShapePicture.h"
#include "core/SpecimenData.h"

namespace {
QLineEdit* Edit(QWidget* parent, int id, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString("field%1").arg(id));
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

QLabel* Label(QWidget* parent, const QString& text, int id = 0) {
    auto* label = new QLabel(text, parent);
    if (id) label->setObjectName(QString("field%1").arg(id));
    return label;
}

// "%lg" in the C notation.
QString G(double value) {
    return QString::fromStdString(RegValues::General(value, 6));
}

// The number an edit holds as the C library would read it, from at most 15 characters.
double EditNumber(const QLineEdit* edit) {
    return RegValues::LeadingNumber(edit->text().left(15).toLatin1().toStdString());
}
}  // namespace

// --- Identifiers ----------------------------------------------------------

TSpecimen::TSpecimen(ProgramState& program, QWidget* parent) : SamplePage(program, parent) {
    setObjectName("SPECID");
    auto* form = new QGridLayout(this);
    const auto& specimen = program_.Specimen();
    form->addWidget(Label(this, FromRecordText(program_.Config().ID1), 111), 0, 0);
    wafer_ = Edit(this, 101, 15);
    wafer_->setText(FromRecordText(specimen.WaferID));
    form->addWidget(wafer_, 0, 1);
    form->addWidget(Label(this, FromRecordText(program_.Config().ID2), 112), 1, 0);
    batch_ = Edit(this, 102, 15);
    batch_->setText(FromRecordText(specimen.BatchID));
    form->addWidget(batch_, 1, 1);
    form->addWidget(Label(this, "Description"), 2, 0);
    description_ = Edit(this, 104, 35);
    description_->setText(FromRecordText(specimen.Description));
    form->addWidget(description_, 2, 1);
    form->setRowStretch(3, 1);
}

bool TSpecimen::Apply() {
    auto& specimen = program_.Specimen();
    specimen.WaferID = ToRecordText(wafer_->text(), SpecimenData::kIdSize);
    specimen.BatchID = ToRecordText(batch_->text(), SpecimenData::kIdSize);
    specimen.Description = ToRecordText(description_->text(), SpecimenData::kDescriptionSize);
    return true;
}

// --- Material -------------------------------------------------------------

TMaterial::TMaterial(ProgramState& program, QWidget* parent) : SamplePage(program, parent) {
    setObjectName("MATERIAL");
    auto* layout = new QVBoxLayout(this);
    list_ = new QComboBox(this);
    list_->setObjectName("field101");
    list_->setEditable(false);
    layout->addWidget(list_);
    layout->addWidget(Label(this, "For Depletion Correction and Documentation only"));
    edit_ = new QPushButton("Edit Registry", this);
    edit_->setObjectName("button140");
    layout->addWidget(edit_);
    layout->addStretch();
    connect(edit_, &QPushButton::clicked, this, &TMaterial::EditOrReRead);
    Fill(FromRecordText(program_.Specimen().Material));
}

void TMaterial::Fill(const QString& selection) {
    list_->clear();
    for (const auto& name : MaterialNames(Registry())) list_->addItem(FromRecordText(name));
    list_->setCurrentIndex(list_->findText(selection, Qt::MatchFixedString));
}

void TMaterial::EditOrReRead() {
    if (!reReadMode_) {
        TEditReg editor(this, "Materials", program_.Records());
        if (Prompt::Exec(editor) == Prompt::IDOK) {
            reReadMode_ = true;
            edit_->setText("Re-Read");
        }
        return;
    }
    Fill(list_->currentText());
    reReadMode_ = false;
    edit_->setText("Edit Registry");
    edit_->setEnabled(false);
}

bool TMaterial::Apply() {
    auto& specimen = program_.Specimen();
    const std::string chosen = list_->currentText().toLatin1().toStdString();
    specimen.Material = CutToField(chosen, SpecimenData::kMaterialSize);
    specimen.MaterialConstant = MaterialPermittivity(Registry(), chosen);
    return true;
}

// --- Geometry -------------------------------------------------------------

TGeom::TGeom(ProgramState& program, QWidget* parent) : SamplePage(program, parent) {
    setObjectName("GEOMETRY");
    auto* layout = new QGridLayout(this);
    auto* group = new QGroupBox("Shape", this);
    auto* radios = new QVBoxLayout(group);
    const char* names[3] = {"Van der Pauw", "Bar", "Bridge"};
    for (int i = 0; i < 3; ++i) {
        shapes_[i] = RadioButton(names[i], 106 + i, group);
        radios->addWidget(shapes_[i]);
        connect(shapes_[i], &QRadioButton::clicked, this, [this, i] {
            // The shape is taken at once, as the picture and the edits show it.
            program_.Specimen().Shape = i;
            ShowShape(i);
        });
    }
    if (program_.Config().bufferAmplifierInstalled) {
        shapes_[1]->setEnabled(false);
        shapes_[2]->setEnabled(false);
    }
    layout->addWidget(group, 0, 0, 3, 1);
    picture_ = new ShapePicture(this);
    picture_->setObjectName("field9100");
    layout->addWidget(picture_, 0, 1, 1, 2);
    auto* form = new QFormLayout;
    thickness_ = Edit(this, 101, 0);
    length_ = Edit(this, 102, 0);
    width_ = Edit(this, 103, 0);
    form->addRow(QString::fromUtf8("Thickness (\u00B5m)"), thickness_);
    form->addRow("Length (mm)", length_);
    form->addRow("Width (mm)", width_);
    layout->addLayout(form, 1, 1, 1, 2);
    layout->addWidget(Label(this, "Thickness = 0 Sheet results only"), 2, 1, 1, 2);
    thickness_->setText(G(program_.Specimen().Thickness));
    const int shape = program_.Specimen().Shape;
    if (shape >= 0 && shape < 3) shapes_[shape]->setChecked(true);
    ShowShape(shape);
}

void TGeom::ShowShape(int shape) {
    picture_->SetShape(shape);
    const bool dimensions = shape == 1 || shape == 2;
    length_->setEnabled(dimensions);
    width_->setEnabled(dimensions);
    length_->setText(dimensions ? G(program_.Specimen().Length) : QString("N/A"));
    width_->setText(dimensions ? G(program_.Specimen().Width) : QString("N/A"));
}

bool TGeom::Apply() {
    auto& specimen = program_.Specimen();
    for (int i = 0; i < 3; ++i)
        if (shapes_[i]->isChecked()) specimen.Shape = i;
    const double thickness = EditNumber(thickness_);
    // The same range as a settings set or --set: a negative thickness would
    // turn the bulk results and the carrier type around.
    if (const auto refused = RefuseSetting(*FindSetting(program_, "Thickness"), thickness)) {
        Prompt::Message(this,
                        QString::fromUtf8("Thickness (\u00B5m) must be ").toStdString() + *refused,
                        "Error");
        return false;
    }
    if (thickness != specimen.Thickness) {
        specimen.Thickness = thickness;
        if (program_.Records().links.thicknessChanged) program_.Records().links.thicknessChanged();
    }
    if (specimen.Shape == 0) return true;
    specimen.Length = EditNumber(length_);
    specimen.Width = EditNumber(width_);
    if (specimen.Length != 0 && specimen.Width != 0) return true;
    Prompt::Message(this, "Dimensions required for bar/bridge specimens", "Error");
    return false;
}

// --- Log File -------------------------------------------------------------

TLogFile::TLogFile(ProgramState& program, QWidget* parent) : SamplePage(program, parent) {
    setObjectName("LOGFILE");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Include", this);
    auto* boxes = new QVBoxLayout(group);
    const char* names[4] = {"Contact Check", "IV-Curve", "Resistivity", "Hall"};
    for (int i = 0; i < 4; ++i) {
        include_[i] = CheckBox(names[i], 102 + i, group);
        include_[i]->setChecked((program_.Settings().LogInclude >> i) & 1);
        boxes->addWidget(include_[i]);
    }
    boxes->addWidget(Label(group, "Sample-ID, Meas. Configuration, Results are always included"));
    layout->addWidget(group);
    open_ = CheckBox("Open Log File using ID's to make file name", 106, this);
    layout->addWidget(open_);
    name_ = Label(this, QString(), 107);
    layout->addWidget(name_);
    close_ = new QPushButton("Close Logfile", this);
    close_->setObjectName("button108");
    layout->addWidget(close_);
    layout->addStretch();
    if (program_.Log().IsOpen()) name_->setText(FromRecordText(program_.Log().Name()));
    close_->setEnabled(program_.Log().IsOpen());
    connect(close_, &QPushButton::clicked, this, &TLogFile::CloseLog);
}

void TLogFile::CloseLog() {
    program_.Log().Close();
    close_->setEnabled(false);
}

bool TLogFile::Apply() {
    auto& bits = program_.Settings().LogInclude;
    for (int i = 0; i < 4; ++i) {
        const auto bit = static_cast<unsigned char>(1u << i);
        bits = include_[i]->isChecked() ? (bits | bit) : (bits & ~bit);
    }
    if (!open_->isChecked()) return true;
    const auto& specimen = program_.Specimen();
    // Without a first identifier the folder is not made: the name would say nothing.
    if (!specimen.WaferID.empty()) QDir::current().mkdir("Logs");
    const std::string name = LogFileName(specimen.WaferID, specimen.BatchID);
    switch (program_.Log().Create(name)) {
        case LogFile::CreateResult::Created:
            name_->setText(FromRecordText(program_.Log().Name()));
            close_->setEnabled(true);
            return true;
        case LogFile::CreateResult::Exists:
            Prompt::Message(this, "Error: Duplicate filename", "Creating Log file");
            break;
        case LogFile::CreateResult::Failed:
            Prompt::Message(this,
                            Printf("Error %u", static_cast<unsigned>(program_.Log().LastError())),
                            "Creating Log file");
            break;
    }
    name_->clear();
    close_->setEnabled(false);
    return false;
}
