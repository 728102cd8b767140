#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QRadioButton>

#include "temperature/Gauges.h"
#include "temperature/HotFunc.h"
#include "temperature/HotPanel.h"
#include "temperature/Itc5Func.h"
#include "temperature/Itc5Panel.h"
#include "temperature/Ln2Func.h"
#include "temperature/Ln2Panel.h"
#include "temperature/PidEditor.h"
#include "temperature/TemperatureCommands.h"
#include "TemperatureFixture.h"
#include "TestRecords.h"

namespace {
template <typename T>
T* Control(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}
// "id=text" of the given fields, space-separated.
template <typename Fields>
std::string FieldText(Fields& fields, std::initializer_list<int> ids) {
    std::string text;
    for (int id : ids)
        text += (text.empty() ? "" : " ") + std::to_string(id) + "=" + fields.Get(id);
    return text;
}
}  // namespace

// The LN2 controller with two PID entries and the pump choice reset; the
// suites below make its panel, or the panel's logic alone, without a window.
class Ln2Fixture : public TemperatureFixture {
  protected:
    void SetUp() override {
        TemperatureFixture::SetUp();
        AddEntry(ControllerKind::LN2, Tpid{77, 25, 50, 50, 1, 10, 0});
        AddEntry(ControllerKind::LN2, Tpid{150, 30, 40, 40, 1, 10, 0});
        TTempLN2::PumpChoice() = 0;
        ln2 = std::make_unique<LN2Func>(slot, Config());
    }
    void TearDown() override {
        panel.reset();
        logic.reset();
        ln2.reset();
        TemperatureFixture::TearDown();
    }
    // One tick's replies: temperature, heater, vacuum, poll.
    void TickReplies(const char* tenths, const char* heater, const char* vacuum, int poll) {
        bus->Replies({tenths, heater, vacuum});
        bus->Poll(poll);
    }
    std::unique_ptr<LN2Func> ln2;
    std::unique_ptr<Ln2PanelLogic> logic;
    std::unique_ptr<TTempLN2> panel;
};
class Ln2PanelLogicTest : public Ln2Fixture {
    void SetUp() override {
        Ln2Fixture::SetUp();
        logic = std::make_unique<Ln2PanelLogic>(*ln2);
    }
};
class Ln2PanelTest : public Ln2Fixture {
    void SetUp() override {
        Ln2Fixture::SetUp();
        panel = std::make_unique<TTempLN2>(nullptr, *ln2);
    }
};

TEST_F(Ln2PanelTest, OpeningReadsTheSetPointAndTicksShowEverything) {
    bus->Reply("1500");
    panel->Open();
    EXPECT_EQ(panel->Fields().Get(101), "150.0");
    EXPECT_TRUE(panel->Ticking());
    EXPECT_FALSE(Control<TPercentControl>(*panel, "control111")->isEnabled());
    EXPECT_FALSE(Control<TVacuumGauge>(*panel, "control112")->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(*panel, "button105")->isChecked());

    TickReplies("1487", "32750", "1.000E-01", 0x80);
    bus->ClearLog();
    panel->Tick();
    // Heater 32750 / 655.
    EXPECT_EQ(FieldText(panel->Fields(), {102, 111, 112, 113}), "102=148.7 111=50 112=80 113=Auto");
    // The display-only heater gauge reports nothing: no write to (12, 6).
    EXPECT_TRUE(Sent().empty()) << bus->LogText();
    for (const char* name : {"button105", "button106", "button107", "button108"}) {
        EXPECT_FALSE(Control<QRadioButton>(*panel, name)->isEnabled());
        EXPECT_FALSE(Control<QRadioButton>(*panel, name)->isChecked());
    }
    TickReplies("1490", "0", "1e-6", 0);
    panel->Tick();
    EXPECT_EQ(FieldText(panel->Fields(), {113, 112}),
              "113=Manual 112=100");  // beyond the end: full
    EXPECT_TRUE(Control<QRadioButton>(*panel, "button106")->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(*panel, "button105")->isChecked());
}

TEST_F(Ln2PanelLogicTest, FailingTickStopsTheTimerAndShowsTheError) {
    bus->Reply("1500");
    logic->Open();
    bus->Reply("1490");
    bus->FailRead("GPIB timeout");
    logic->Tick();
    EXPECT_FALSE(logic->Ticking());
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Exception:|GPIB timeout"}));
    EXPECT_EQ(logic->Fields().Get(102), "149.0");
}

TEST_F(Ln2PanelLogicTest, SetClampsAndIgnoresZero) {
    FieldSet& fields = logic->Fields();
    fields.Set(101, "150");
    logic->Set();
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{"W 12 3 1500", "W 12 2 30", "W 12 12 40", "W 12 13 40"}));
    bus->ClearLog();
    fields.Set(101, "600");
    logic->Set();
    EXPECT_EQ(Sent().front(), "W 12 3 5500");
    EXPECT_EQ(fields.Get(101), "550.0");
    bus->ClearLog();
    fields.Set(101, "0");
    logic->Set();
    fields.Set(101, "warm");
    logic->Set();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(fields.Get(101), "550.0");
    ASSERT_EQ(responder.Asked().size(), 1u);  // the text that is no number
    // Below every entry: shown, nothing sent, the edit shows the old set-point.
    fields.Set(101, "50");
    logic->Set();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Prompts().back().rfind("Exception:|No PID entry for 50.0 K", 0), 0u);
    EXPECT_EQ(fields.Get(101), "550.0");
}

TEST_F(Ln2PanelTest, PumpAndAutoManualLetters) {
    Control<QRadioButton>(*panel, "button107")->click();
    Control<QRadioButton>(*panel, "button108")->click();
    Control<QRadioButton>(*panel, "button106")->click();
    EXPECT_EQ(TTempLN2::PumpChoice(), 1);
    Control<QPushButton>(*panel, "button104")->click();  // manual -> automatic
    Control<QPushButton>(*panel, "button104")->click();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"W 12 10 0", "W 12 5 F", "W 12 10 1", "W 12 10 0",
                                                "W 12 5 S", "W 12 5 C", "W 12 5 U"}));
    EXPECT_EQ(bus->LogStarting("REN 1").size(), 2u);
    // The choice outlives the panel.
    TTempLN2 again(nullptr, *ln2);
    Config().noInstrument = true;
    again.Open();
    EXPECT_TRUE(Control<QRadioButton>(again, "button106")->isChecked());
}

TEST_F(Ln2PanelLogicTest, DemoModeReadsNothingAndSendsNothing) {
    Config().noInstrument = true;
    logic->Open();
    EXPECT_FALSE(logic->Ticking());
    logic->ToggleAuto();
    logic->Pump(2);
    logic->HeaterChanged(40);
    EXPECT_TRUE(bus->Log().empty());
}

// The ITC5 controller with one PID entry, and its panel or the panel's logic.
class Itc5Fixture : public TemperatureFixture {
  protected:
    void SetUp() override {
        TemperatureFixture::SetUp();
        AddEntry(ControllerKind::ITC5, Tpid{2, 10, 5, 0, 1, 1, 1});
        itc = std::make_unique<ITC5Func>(slot, Config());
    }
    void TearDown() override {
        panel.reset();
        logic.reset();
        itc.reset();
        TemperatureFixture::TearDown();
    }
    void Tick(const char* status) {
        bus->Replies({status, "R+2931", "R+2900", "R+555", "R+250"});
        panel->Tick();
    }
    std::unique_ptr<ITC5Func> itc;
    std::unique_ptr<Itc5PanelLogic> logic;
    std::unique_ptr<TTempITC5> panel;
};
class Itc5PanelLogicTest : public Itc5Fixture {
    void SetUp() override {
        Itc5Fixture::SetUp();
        logic = std::make_unique<Itc5PanelLogic>(*itc);
    }
};
class Itc5PanelTest : public Itc5Fixture {
    void SetUp() override {
        Itc5Fixture::SetUp();
        panel = std::make_unique<TTempITC5>(nullptr, *itc);
    }
};

TEST_F(Itc5PanelTest, OpeningTakesCaptionAndSetPoint) {
    Config().bytewiseItc = true;
    bus->Replies({"?", "ITC5 Version 1.00", "R+0800"});
    panel->Open();
    EXPECT_EQ(bus->LogText(), "REN 1\nIW ?\nIR\nIW V\nIR\nIW R0\nIR");
    EXPECT_EQ(panel->windowTitle(), "ITC5 Version 1.00");
    EXPECT_EQ(FieldText(panel->Fields(), {101, 109}), "101=80.0 109=999.0");
    EXPECT_DOUBLE_EQ(itc->setPoint, 80.0);
    EXPECT_TRUE(panel->Ticking());
}

TEST_F(Itc5PanelTest, StatusDigitsAndTheEnableRule) {
    Tick("X0A1C1S0H2");
    EXPECT_EQ(FieldText(panel->Fields(), {106, 103, 102, 111, 112}),
              "106=Sample 103=293.1 102=290.0 111=55 112=25");
    EXPECT_TRUE(Control<QCheckBox>(*panel, "button107")->isChecked());
    EXPECT_FALSE(Control<TPercentControl>(*panel, "control111")->isEnabled());  // heater auto
    EXPECT_TRUE(Control<TPercentControl>(*panel, "control112")->isEnabled());   // gas manual
    EXPECT_TRUE(Control<QPushButton>(*panel, "button104")->isEnabled());

    Tick("X0A4C1S0H1");  // gas in its initial state
    EXPECT_EQ(panel->Fields().Get(113), "Initial");
    EXPECT_FALSE(Control<QCheckBox>(*panel, "button108")->isEnabled());
    EXPECT_FALSE(Control<TPercentControl>(*panel, "control112")->isEnabled());
    EXPECT_EQ(panel->Fields().Get(106), "Cryostat");

    Tick("X0A3");  // short: no computer control, everything locked
    EXPECT_FALSE(Control<QPushButton>(*panel, "button104")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(*panel, "button107")->isEnabled());
    EXPECT_FALSE(Control<TPercentControl>(*panel, "control111")->isEnabled());
    EXPECT_EQ(panel->Fields().Get(106), "Cryostat");
}

TEST_F(Itc5PanelTest, OperatorsCommands) {
    Tick("X0A0C1S0H1");
    bus->ClearLog();
    auto* heater = Control<TPercentControl>(*panel, "control111");
    heater->setValue(100);  // as a drag would end
    Control<TPercentControl>(*panel, "control112")->setValue(55);
    Control<QCheckBox>(*panel, "button107")->click();
    EXPECT_FALSE(heater->isEnabled());
    Control<QCheckBox>(*panel, "button108")->click();
    Control<QCheckBox>(*panel, "button105")->click();  // computer control off
    EXPECT_FALSE(Control<QPushButton>(*panel, "button104")->isEnabled());
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{"IW $O999", "IW $G550", "IW $A1", "IW $A3", "IW $C0"}));
    // A tick's own update of a gauge sends nothing.
    bus->ClearLog();
    Tick("X0A0C1S0H1");
    EXPECT_EQ(bus->LogStarting("IW $").size(), 0u);
}

TEST_F(Itc5PanelTest, GasAutoTickOutlivesTheInitialState) {
    Tick("X0A2C1S0H1");  // gas automatic
    Tick("X0A4C1S0H1");  // gas initial: the status says nothing of its box
    EXPECT_TRUE(Control<QCheckBox>(*panel, "button108")->isChecked());
    bus->ClearLog();
    Control<QCheckBox>(*panel, "button107")->click();  // heater automatic too
    EXPECT_EQ(Sent(), (std::vector<std::string>{"IW $A3"}));
    EXPECT_EQ(panel->Fields().Get(108), "1");
}

namespace {
void PressReturn(QWidget& target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
}
}  // namespace

TEST_F(Itc5PanelTest, EnterInTheEditSetsUnderComputerControlElseCloses) {
    panel->show();
    Tick("X0A0C1S0H1");
    auto* edit = Control<QLineEdit>(*panel, "field101");
    edit->setFocus();
    QApplication::processEvents();
    edit->setText("80");
    PressReturn(*edit);
    EXPECT_EQ(bus->LogStarting("IW $T").size(), 1u);
    EXPECT_TRUE(panel->isVisible());
    Tick("X0A0C0S0H1");  // computer control off
    edit->setFocus();
    PressReturn(*edit);
    EXPECT_EQ(bus->LogStarting("IW $T").size(), 1u);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(Ln2PanelTest, EnterInTheSetPointEditSetsAndKeepsThePanelOpen) {
    panel->show();
    auto* edit = Control<QLineEdit>(*panel, "field101");
    edit->setFocus();
    QApplication::processEvents();
    edit->setText("150");
    bus->ClearLog();
    PressReturn(*edit);
    EXPECT_EQ(Sent().front(), "W 12 3 1500");
    EXPECT_TRUE(panel->isVisible());
    // Elsewhere Enter does not send a set-point.
    bus->ClearLog();
    Control<QRadioButton>(*panel, "button106")->setFocus();
    PressReturn(*Control<QRadioButton>(*panel, "button106"));
    EXPECT_TRUE(bus->LogStarting("W 12 3").empty());
}

TEST_F(Itc5PanelLogicTest, FailingTickStopsTheTimer) {
    bus->Replies({"?", "ITC5", "R+0800"});
    Config().bytewiseItc = true;
    logic->Open();
    bus->FailRead("ITC5 timeout");
    logic->Tick();
    EXPECT_FALSE(logic->Ticking());
    EXPECT_EQ(Prompts().back(), "Exception:|ITC5 timeout");
}

TEST_F(TemperatureFixture, OpenCryostatPanel) {
    TTemp open(slot, Config());
    open.SetTemperature(293.0);
    {
        TTempOpen panel(nullptr, open);
        EXPECT_TRUE(Control<QRadioButton>(panel, "button100")->isChecked());
        Control<QRadioButton>(panel, "button101")->click();
        Control<QPushButton>(panel, "button1")->click();
    }
    EXPECT_EQ(open.ReadingText(), "LN2");
    EXPECT_DOUBLE_EQ(open.present, 77.0);
    TTempOpen again(nullptr, open);
    EXPECT_TRUE(Control<QRadioButton>(again, "button101")->isChecked());
    std::vector<std::string> lines;
    DumpTemperature(lines, open);
    EXPECT_EQ(lines.front(), "temperature: kind=0 present=77 set=77 text=LN2 min=0 max=0");
    EXPECT_EQ(lines.back(), "window: OPENTEMP 100=0 101=1");
}

// Enter and Esc close the open-cryostat panel as "Close" does, keeping the choice.
TEST_F(TemperatureFixture, OpenCryostatPanelClosesOnEnterAndEscapeWithTheChoice) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        TTemp open(slot, Config());
        open.SetTemperature(293.0);
        TTempOpen panel(nullptr, open);
        panel.show();
        Control<QRadioButton>(panel, "button101")->click();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&panel, &press);
        EXPECT_FALSE(panel.isVisible()) << key;
        EXPECT_EQ(panel.result(), QDialog::Accepted) << key;
        EXPECT_EQ(open.ReadingText(), "LN2") << key;
        EXPECT_DOUBLE_EQ(open.present, 77.0) << key;
    }
}

TEST_F(TemperatureFixture, HotPanelWithoutAPort) {
    HotFunc hot(slot, Config(), nullptr);
    TTempHot panel(nullptr, hot);
    EXPECT_EQ(panel.Fields().Get(101), "");
    EXPECT_FALSE(Control<QCheckBox>(panel, "button103")->isChecked());
    Control<QLineEdit>(panel, "field101")->setText("1000.7");
    panel.Set();
    EXPECT_EQ(panel.Fields().Get(101), "900");
    panel.Read();
    EXPECT_EQ(panel.Fields().Get(105), "Error");
}

class PidEditorTest : public TemperatureFixture {
  protected:
    std::string WriteFile(const char* text) {
        const QString path = dir.filePath("old.pid");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path.toStdString();
    }
    std::vector<std::string> Subkeys(ControllerKind kind) {
        return Registry().EnumKeys(PidTableKey(kind));
    }
};

TEST_F(PidEditorTest, ImportReplacesTableAndRegistry) {
    AddEntry(ControllerKind::LN2, Tpid{77, 1, 1, 1, 1, 1, 0});
    AddEntry(ControllerKind::LN2, Tpid{200, 1, 1, 1, 1, 1, 0});
    LN2Func ln2(slot, Config());
    TEditPIDDlg editor(nullptr, ln2, Registry());
    EXPECT_EQ(editor.Lines(), (QStringList{"77", "200"}));
    EXPECT_TRUE(Control<QLineEdit>(editor, "field106")->isHidden());
    EXPECT_EQ(Control<QLabel>(editor, "label114")->text(), "Margin (dT)");

    editor.ImportFile(
        WriteFile("RT4450\n; comment line\n300 40 30 30 1 15 0\n150 30 40 40 1 10 0\n"));
    EXPECT_EQ(editor.Lines(), (QStringList{"150", "300"}));
    EXPECT_EQ(Subkeys(ControllerKind::LN2), (std::vector<std::string>{"300", "150"}));
    ASSERT_EQ(ln2.Table()->Entries().size(), 2u);
    EXPECT_EQ(ln2.Table()->Select(200)->P, 30);
    EXPECT_EQ(Prompts().back(), "Success|All PID entries have been copied to the registry");

    editor.ImportFile(WriteFile("ITC5\n2 1 1 1 1 1 1\n"));
    EXPECT_EQ(Prompts().back(), "Error|Wrong filetype");
    EXPECT_EQ(editor.Lines(), (QStringList{"150", "300"}));
    EXPECT_EQ(Subkeys(ControllerKind::LN2).size(), 2u);
    editor.ImportFile(dir.filePath("missing.pid").toStdString());
    EXPECT_EQ(Prompts().back(), "Error|Can't open PID file");
}

TEST_F(PidEditorTest, AddUpdateDeleteAndTheThirteenth) {
    AddEntry(ControllerKind::ITC5, Tpid{150, 1, 1, 1, 1, 1, 1});
    ITC5Func itc(slot, Config());
    TEditPIDDlg editor(nullptr, itc, Registry());
    EXPECT_FALSE(Control<QLineEdit>(editor, "field106")->isHidden());
    EXPECT_EQ(Control<QLabel>(editor, "label116")->text(), "Drift Margin");
    auto* combo = Control<QComboBox>(editor, "field110");
    combo->setCurrentIndex(0);
    EXPECT_EQ(editor.Fields().Get(106), "1");

    // The same T replaces, without a second line.
    combo->setEditText("150");
    for (int id = 101; id <= 106; ++id)
        Control<QLineEdit>(editor, ("field" + std::to_string(id)).c_str())->setText("7");
    editor.AddUpdate();
    EXPECT_EQ(editor.Lines(), (QStringList{"150"}));
    EXPECT_EQ(itc.Table()->Entries().front().M3, 7);
    EXPECT_EQ(Registry().QueryDword(PidTableKey(ControllerKind::ITC5) + "\\150", "B3"), 7u);

    for (int t = 10; t < 21; ++t) {
        combo->setEditText(QString::number(t));
        editor.AddUpdate();
    }
    EXPECT_EQ(itc.Table()->Entries().size(), 12u);
    combo->setEditText("400");
    editor.AddUpdate();
    EXPECT_EQ(itc.Table()->Entries().size(), 12u);
    EXPECT_EQ(editor.Lines().size(), 12);
    EXPECT_FALSE(Registry().KeyExists(PidTableKey(ControllerKind::ITC5) + "\\400"));
    EXPECT_NE(Prompts().back().find("12 entries at most"), std::string::npos);

    combo->setEditText("10");
    editor.DeleteSelected();
    EXPECT_EQ(itc.Table()->Entries().size(), 11u);
    EXPECT_FALSE(itc.Table()->Find(10));
    EXPECT_FALSE(Registry().KeyExists(PidTableKey(ControllerKind::ITC5) + "\\10"));
    EXPECT_FALSE(editor.Lines().contains("10"));
    EXPECT_EQ(combo->currentText(), "");

    // A field that is no number is refused, nothing changes.
    combo->setEditText("30");
    Control<QLineEdit>(editor, "field102")->setText("x");
    editor.AddUpdate();
    EXPECT_FALSE(itc.Table()->Find(30));
}

// Every panel laid out as shown: no control is smaller than it needs, so no
// text is clipped. With VANTRIS_SCREENSHOT_DIR set the panels are saved as
// PNG files there, to be looked at.
class PanelLayoutTest : public TemperatureFixture {
  protected:
    void Check(QDialog& panel, const QString& name) {
        panel.show();
        panel.adjustSize();
        QApplication::processEvents();
        for (QWidget* w : panel.findChildren<QWidget*>()) {
            if (!w->isVisible() || qobject_cast<QLineEdit*>(w) || w->inherits("QGroupBox"))
                continue;
            const QSize need = w->minimumSizeHint();
            const std::string what = name.toStdString() + " " + w->objectName().toStdString();
            EXPECT_GE(w->width(), need.width()) << what;
            EXPECT_GE(w->height(), need.height()) << what;
        }
        const QString dirName = qEnvironmentVariable("VANTRIS_SCREENSHOT_DIR");
        if (!dirName.isEmpty()) {
            QDir().mkpath(dirName);
            panel.grab().save(QDir(dirName).filePath(name + ".png"));
        }
    }
};

TEST_F(PanelLayoutTest, PanelsAndEditorFitTheirTexts) {
    AddEntry(ControllerKind::LN2, Tpid{77, 25, 50, 50, 1, 10, 0});
    AddEntry(ControllerKind::LN2, Tpid{150, 30, 40, 40, 1, 10, 0});
    AddEntry(ControllerKind::ITC5, Tpid{2, 10, 5, 0, 1, 1, 1});
    AddEntry(ControllerKind::ITC5, Tpid{77, 15, 10, 0, 2, 2, 2});
    {
        LN2Func ln2(slot, Config());
        TTempLN2 panel(nullptr, ln2);
        bus->Reply("1500");
        panel.Open();
        bus->Replies({"1487", "32750", "1.000E-01"});
        bus->Poll(0);
        panel.Tick();
        Check(panel, "LN2PANEL");
        TEditPIDDlg editor(nullptr, ln2, Registry());
        Control<QComboBox>(editor, "field110")->setCurrentIndex(1);
        Check(editor, "PIDEDIT-LN2");
    }
    {
        ITC5Func itc(slot, Config());
        TTempITC5 panel(nullptr, itc);
        bus->Replies({"ITC5 Version 1.00", "R+0800"});
        panel.Open();
        bus->Replies({"X0A1C1S0H2", "R+0803", "R+0795", "R+355", "R+420"});
        panel.Tick();
        Check(panel, "ITC5PANEL");
        TEditPIDDlg editor(nullptr, itc, Registry());
        Control<QComboBox>(editor, "field110")->setCurrentIndex(0);
        Check(editor, "PIDEDIT-ITC5");
    }
    {
        HotFunc hot(slot, Config(), nullptr);
        TTempHot panel(nullptr, hot);
        Control<QLineEdit>(panel, "field101")->setText("373.9");
        panel.Set();
        panel.Read();
        Check(panel, "HOTPANEL");
    }
    TTemp open(slot, Config());
    open.SetTemperature(293.0);
    TTempOpen panel(nullptr, open);
    Check(panel, "OPENTEMP");
}

// Every panel is wide enough for its caption (the hot stage's is the longest).
TEST_F(TemperatureFixture, PanelsAreWideEnoughForTheirCaptions) {
    HotFunc hot(slot, Config(), nullptr);
    TTempHot panel(nullptr, hot);
    panel.show();
    QApplication::processEvents();
    const QString caption = "Hot Stage Temperature Control";
    EXPECT_EQ(panel.windowTitle(), caption);
    EXPECT_GE(panel.width(), panel.fontMetrics().horizontalAdvance(caption) * 6 / 5);
    EXPECT_GE(panel.width(), TempPanel::CaptionWidth(caption, panel.fontMetrics()));
}
