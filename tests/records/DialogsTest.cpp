// The set dialogs, the commands that use them, and the Sample sheet with its
// property-sheet rule, answered by the scripted prompt.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>

#include "records/RecordCommands.h"
#include "RecordsFixture.h"
#include "records/RegPathDialogs.h"
#include "records/RegValues.h"
#include "platform/PropertySheet.h"
#include "records/SampleSheet.h"
#include "records/SamplePages.h"
#include "records/SettingsSets.h"
#include "records/ShapePicture.h"
#include "TestRecords.h"

namespace {
template <typename T>
T* Control(QWidget& parent, const char* name) {
    T* control = parent.findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
}

void Click(QWidget& parent, const char* name) {
    if (auto* button = Control<QAbstractButton>(parent, name)) button->click();
}

// The next set dialog is answered OK, with this name typed or this row chosen.
void AnswerTyping(Prompt::ScriptedResponder& responder, const std::string& name) {
    responder.onDialog = [name](QDialog& dialog) {
        if (auto* combo = dialog.findChild<QComboBox*>("field101"))
            combo->setEditText(QString::fromStdString(name));
    };
    responder.Add("OK");
}
void AnswerPicking(Prompt::ScriptedResponder& responder, int row) {
    responder.onDialog = [row](QDialog& dialog) {
        if (auto* list = dialog.findChild<QListWidget*>("field101")) list->setCurrentRow(row);
    };
    responder.Add("OK");
}

void MakeSets(const std::vector<std::string>& names) {
    for (const auto& name : names)
        Registry().SetString(RegValues::SettingsKey(name), "Tesla", "0.100");
}
}  // namespace

TEST_F(RecordsTest, ReadDialogListsSetsInRegistryOrderAndRefusesOneCharacterNames) {
    MakeSets({"zeta", "x", "alpha"});
    std::string name = "default";
    TReadRegPath dialog(nullptr, "Settings", name);
    auto* list = Control<QListWidget>(dialog, "field101");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "zeta");
    EXPECT_EQ(list->item(2)->text(), "alpha");

    list->setCurrentRow(1);  // "x"
    Click(dialog, "IDOK");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(name, "default");
    list->setCurrentRow(2);
    Click(dialog, "IDOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(name, "alpha");
}

TEST_F(RecordsTest, SaveDialogTakesTypedNamesUpToThirtyOneCharacters) {
    std::string name;
    TSaveRegPath dialog(nullptr, "Styles", name);
    auto* combo = Control<QComboBox>(dialog, "field101");
    combo->setEditText("y");
    Click(dialog, "IDOK");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(name, "");
    const std::string longest(31, 'n');
    combo->setEditText(QString::fromStdString(longest + "extra"));
    Click(dialog, "IDOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(name, longest);

    EXPECT_EQ(AcceptableSetName("ab"), "ab");
    EXPECT_EQ(AcceptableSetName("a"), "");
    EXPECT_EQ(AcceptableSetName(std::string(40, 'q')), std::string(31, 'q'));
}

TEST_F(RecordsTest, SaveAsWritesACopyAndSaveKeepsWritingTheOpenedSet) {
    Settings().Current = 5;
    ASSERT_TRUE(SaveSettingsSet(program_, "default"));
    const std::string longName(31, 'L');
    AnswerTyping(responder_, longName);
    Settings().Current = 6;
    OnSettingsSaveAs(program_, nullptr);
    ASSERT_EQ(responder_.Asked().size(), 1u);
    EXPECT_EQ(responder_.Asked()[0].caption, "Save Settings");
    EXPECT_EQ(RegValues::Number(Registry(), RegValues::SettingsKey(longName), "Current"), 6.0);
    EXPECT_EQ(Sets().currentSettingsName, "default");

    Settings().Current = 7;
    OnSettingsSave(program_, nullptr);
    EXPECT_EQ(RegValues::Number(Registry(), RegValues::SettingsKey("default"), "Current"), 7.0);
    EXPECT_EQ(RegValues::Number(Registry(), RegValues::SettingsKey(longName), "Current"), 6.0);

    // Opening the copy makes it the one Save writes to.
    AnswerPicking(responder_, 1);  // after "default"
    OnSettingsOpen(program_, nullptr);
    EXPECT_EQ(Sets().currentSettingsName, longName);
    EXPECT_DOUBLE_EQ(Settings().Current, 6.0);

    // Cancel changes nothing.
    responder_.Add("Cancel");
    Settings().Current = 9;
    OnSettingsOpen(program_, nullptr);
    EXPECT_EQ(Sets().currentSettingsName, longName);
    EXPECT_DOUBLE_EQ(Settings().Current, 9.0);
}

TEST_F(RecordsTest, StyleCommandsReadAndWriteStyleSets) {
    Style().FontName = "First";
    OnStyleSave(program_, nullptr);
    EXPECT_EQ(RegValues::Text(Registry(), RegValues::StylesKey("default"), "FontName", 32),
              std::optional<std::string>("First"));
    AnswerTyping(responder_, "Print");
    Style().FontName = "Second";
    OnStyleSaveAs(program_, nullptr);
    AnswerPicking(responder_, 1);
    Style().FontName.clear();
    OnStyleRead(program_, nullptr);
    EXPECT_EQ(responder_.Asked().back().caption, "Read Styles");
    EXPECT_EQ(Sets().currentStyleName, "Print");
    EXPECT_EQ(Style().FontName, "Second");
}

TEST_F(RecordsTest, EditRegistryOpensTheRegistryFileAndSaysWhereTheDataIs) {
    TEditReg dialog(nullptr, "Materials", program_.Records());
    EXPECT_EQ(Control<QLabel>(dialog, "field101")->text(), "Materials");
    bool explained = false;
    for (auto* label : dialog.findChildren<QLabel*>())
        explained =
            explained || label->text().startsWith("This data is held in the Windows Registry.\n");
    EXPECT_TRUE(explained);
    Click(dialog, "IDOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(editorOpened_, file_);

    editorWorks_ = false;
    TEditReg failing(nullptr, "Materials", program_.Records());
    Click(failing, "IDOK");
    EXPECT_EQ(failing.result(), QDialog::Rejected);
    ASSERT_FALSE(responder_.Asked().empty());
    EXPECT_EQ(responder_.Asked().back().text, file_);
}

TEST_F(RecordsTest, GeometryRefusalKeepsTheSheetOpenOnGeometry) {
    Config().ID1 = "Wafer ID", Config().ID2 = "Lot";
    int thicknessChanges = 0;
    Links().thicknessChanged = [&] { ++thicknessChanges; };
    Specimen().Thickness = 2.0;
    TSampleSheet sheet(program_);
    auto* geometry = sheet.Page(2);
    EXPECT_EQ(Control<QLabel>(*sheet.Page(0), "field112")->text(), "Lot");
    sheet.Tabs()->setCurrentIndex(2);
    sheet.Tabs()->setCurrentIndex(0);
    Control<QLineEdit>(*sheet.Page(0), "field101")->setText("W1");
    EXPECT_EQ(Control<QLineEdit>(*geometry, "field102")->text(), "N/A");
    EXPECT_FALSE(Control<QLineEdit>(*geometry, "field102")->isEnabled());
    Click(*geometry, "button107");
    EXPECT_EQ(Specimen().Shape, 1);  // taken at the click
    EXPECT_TRUE(Control<QLineEdit>(*geometry, "field102")->isEnabled());
    EXPECT_EQ(Control<ShapePicture>(*geometry, "field9100")->Shape(), 1);
    for (auto [field, text] : {std::pair{"field101", "0.5"}, {"field102", "0"}, {"field103", "2"}})
        Control<QLineEdit>(*geometry, field)->setText(text);

    Click(sheet, "IDOK");
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 2);
    EXPECT_EQ(Asked(),
              std::vector<std::string>{"Error|Dimensions required for bar/bridge specimens"});
    EXPECT_EQ(Specimen().WaferID, "W1");  // the pages before it applied
    EXPECT_DOUBLE_EQ(Specimen().Thickness, 0.5);
    EXPECT_EQ(thicknessChanges, 1);

    Control<QLineEdit>(*geometry, "field102")->setText("4.5");
    Click(sheet, "IDOK");
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(Specimen().Length, 4.5);
    EXPECT_DOUBLE_EQ(Specimen().Width, 2.0);
    EXPECT_EQ(thicknessChanges, 1);  // unchanged the second time
}

TEST_F(RecordsTest, VanDerPauwWithZeroThicknessIsAcceptedAndBufferAmplifierAllowsOnlyIt) {
    Config().bufferAmplifierInstalled = true;
    Specimen().Thickness = 1.0;
    TSampleSheet sheet(program_);
    auto* geometry = sheet.Page(2);
    sheet.Tabs()->setCurrentIndex(2);
    EXPECT_FALSE(Control<QRadioButton>(*geometry, "button107")->isEnabled());
    EXPECT_FALSE(Control<QRadioButton>(*geometry, "button108")->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(*geometry, "button106")->isChecked());
    Control<QLineEdit>(*geometry, "field101")->setText("0");
    Click(sheet, "IDOK");
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(Specimen().Thickness, 0.0);
}

TEST_F(RecordsTest, MaterialPageLooksUpThePermittivityAndReReadsTheList) {
    const std::string materials = RegValues::MaterialsKey();
    ASSERT_TRUE(Registry().Set(
        materials, {RegistryStore::String("Si", "11.7"), RegistryStore::String("GaAs", "12.9"),
                    RegistryStore::String("Unknown", "")}));
    Specimen().Material = "GaAs";
    TSampleSheet sheet(program_);
    auto* page = sheet.Page(1);
    sheet.Tabs()->setCurrentIndex(1);
    auto* list = Control<QComboBox>(*page, "field101");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(0), "Si");
    EXPECT_EQ(list->currentText(), "GaAs");

    // Edit Registry: the editor is opened, the button offers Re-Read.
    auto* button = Control<QPushButton>(*page, "button140");
    responder_.Add("OK");
    button->click();
    EXPECT_EQ(editorOpened_, file_);
    EXPECT_EQ(button->text(), "Re-Read");
    ASSERT_TRUE(Registry().SetString(materials, "GaN", "8.9"));
    button->click();
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(list->currentText(), "GaAs");
    EXPECT_EQ(button->text(), "Edit Registry");
    EXPECT_FALSE(button->isEnabled());

    list->setCurrentIndex(3);
    Click(sheet, "IDOK");
    EXPECT_EQ(Specimen().Material, "GaN");
    EXPECT_DOUBLE_EQ(Specimen().MaterialConstant, 8.9);

    Specimen().MaterialConstant = 5;
    TSampleSheet again(program_);
    again.Tabs()->setCurrentIndex(1);
    Control<QComboBox>(*again.Page(1), "field101")->setCurrentIndex(2);
    Click(again, "IDOK");
    EXPECT_EQ(Specimen().Material, "Unknown");
    EXPECT_EQ(Specimen().MaterialConstant, 0.0);
}

TEST_F(RecordsTest, LogPageOpensANewLogAndRefusesADuplicateOnItsOwnPage) {
    Settings().LogInclude = 0xF0 | 0x01;
    Specimen().WaferID = "W1", Specimen().BatchID = "B:2";
    {
        TSampleSheet sheet(program_);
        auto* page = sheet.Page(3);
        sheet.Tabs()->setCurrentIndex(3);
        EXPECT_TRUE(Control<QCheckBox>(*page, "button102")->isChecked());
        EXPECT_FALSE(Control<QPushButton>(*page, "button108")->isEnabled());
        Control<QCheckBox>(*page, "button102")->setChecked(false);
        Control<QCheckBox>(*page, "button105")->setChecked(true);
        Control<QCheckBox>(*page, "button106")->setChecked(true);
        Click(sheet, "IDOK");
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Settings().LogInclude, 0xF8);  // bits 4 to 7 untouched
    ASSERT_TRUE(Log().IsOpen());
    EXPECT_EQ(Log().Name(), "Logs/W1;B_2.txt");
    EXPECT_TRUE(QFile::exists("Logs/W1;B_2.txt"));

    TSampleSheet sheet(program_);
    auto* page = sheet.Page(3);
    sheet.Tabs()->setCurrentIndex(3);
    EXPECT_EQ(Control<QLabel>(*page, "field107")->text(), "Logs/W1;B_2.txt");
    EXPECT_TRUE(Control<QPushButton>(*page, "button108")->isEnabled());
    Control<QCheckBox>(*page, "button106")->setChecked(true);
    sheet.Tabs()->setCurrentIndex(0);
    Click(sheet, "IDOK");
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 3);
    EXPECT_EQ(Asked(), std::vector<std::string>{"Creating Log file|Error: Duplicate filename"});
    EXPECT_FALSE(Log().IsOpen());
}

TEST_F(RecordsTest, CloseLogfileClosesAtOnceEvenWhenTheSheetIsCancelled) {
    QDir().mkdir("Logs");
    ASSERT_EQ(Log().Create("Logs/x.txt"), LogFile::CreateResult::Created);
    TSampleSheet sheet(program_);
    auto* close = Control<QPushButton>(*sheet.Page(3), "button108");
    close->click();
    EXPECT_FALSE(Log().IsOpen());
    EXPECT_FALSE(close->isEnabled());
    Click(sheet, "IDCANCEL");
    EXPECT_FALSE(Log().IsOpen());
}

TEST_F(RecordsTest, SampleCommandAppendsTheHeaderOnEveryOkWithALogOpen) {
    SetDateTimeSettings(DateTimeSettings{1, 1, 1, ".", ":", "AM", "PM"});
    FixClock(2026, 12, 7, 9, 5);
    // OK with no log open writes nothing anywhere.
    responder_.Add("OK");
    EXPECT_TRUE(OnSample(program_, nullptr));
    EXPECT_FALSE(QDir("Logs").exists());

    Specimen().WaferID = "A/B", Specimen().Material = "GaAs", Specimen().Thickness = 1.5;
    Settings().Tesla = 0.5;
    Links().temperatureText = [] { return std::string("293.1"); };
    responder_.onDialog = [](QDialog& dialog) {
        auto& sheet = static_cast<TSampleSheet&>(dialog);
        sheet.Tabs()->setCurrentIndex(3);
        sheet.Page(3)->findChild<QCheckBox*>("button106")->setChecked(true);
    };
    responder_.Add("OK");
    EXPECT_TRUE(OnSample(program_, nullptr));
    responder_.onDialog = nullptr;
    responder_.Add("OK");
    EXPECT_TRUE(OnSample(program_, nullptr));
    responder_.Add("Cancel");
    EXPECT_FALSE(OnSample(program_, nullptr));
    SetClockForTesting(nullptr);

    const std::string header =
        "Date 07.12.26\tTime 09:05\r\n"
        "Magnet: tesla\t0.500\r\n"
        "Temperature: K\t293.1\r\n"
        "*** Sample ***\r\n"
        "Wafer ID:\tA/B\r\n"
        "Batch ID:\t\r\n"
        "Material:\tGaAs\r\n"
        "Description:\t\r\n"
        "Thickness \xB5m:\t1.500\r\n";
    Log().Close();
    EXPECT_EQ(FileBytes("Logs/A_B.txt"), header + header);
}

// The picture is an AND drawing: where it is white the page's colour shows,
// the contacts and outlines stay black.
TEST(ShapePictureTest, WhitePartsTakeThePagesColour) {
    QWidget page;
    QPalette palette = page.palette();
    palette.setColor(QPalette::Window, QColor(200, 180, 150));
    page.setPalette(palette);
    ShapePicture* picture = new ShapePicture(&page);
    picture->SetShape(0);
    QImage image(128, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    picture->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    EXPECT_EQ(QColor(image.pixel(2, 2)), QColor(200, 180, 150));    // outside the disc
    EXPECT_EQ(QColor(image.pixel(64, 32)), QColor(200, 180, 150));  // inside it
    EXPECT_EQ(QColor(image.pixel(45, 13)), QColor(Qt::black));      // a contact
}

TEST(ShapePictureTest, EachShapeDrawsItsOwnPicture) {
    std::vector<QImage> images;
    for (int shape = 0; shape < 3; ++shape) {
        ShapePicture picture;
        picture.SetShape(shape);
        QImage image(128, 64, QImage::Format_RGB32);
        picture.render(&image);
        int dark = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 128; ++x) dark += qGray(image.pixel(x, y)) < 128;
        EXPECT_GT(dark, 100) << shape;
        images.push_back(image);
    }
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[1], images[2]);
}

// Opened, the Sample sheet takes typing into its first field (Wafer ID), and
// each page brought up takes it into its own first field.
TEST_F(RecordsTest, TheSampleSheetOpensWithTheFocusInItsFirstField) {
    TSampleSheet sheet(program_);
    sheet.show();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>(*sheet.Page(0), "field101"));
    for (int page = 1; page < sheet.PageCount(); ++page) {
        sheet.ShowPage(page);
        QApplication::processEvents();
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << page;
        EXPECT_TRUE(sheet.Page(page)->isAncestorOf(focus)) << page;
        EXPECT_EQ(qobject_cast<QPushButton*>(focus), nullptr) << page;
        EXPECT_EQ(focus, PropertySheet::ReadingOrder(sheet.Page(page)).front()) << page;
    }
}
