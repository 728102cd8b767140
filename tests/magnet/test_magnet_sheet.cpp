// The engineering sheet and its GPIB page.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "BufferAmplifier.h"
#include "EngineeringSheet.h"
#include "MagnetFixture.h"
#include "TManual.h"

namespace {

using Lines = std::vector<std::string>;

template <class T>
T* Child(QWidget& parent, const char* name) {
    auto* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

class GpibPageTest : public MagnetFixture {
  protected:
    void SetField(TGpib& page, const char* name, const char* text) {
        Child<QLineEdit>(page, name)->setText(text);
    }
    std::string Field(TGpib& page, const char* name) {
        return Child<QLineEdit>(page, name)->text().toStdString();
    }
};

TEST_F(GpibPageTest, ReceiveAndSendUseTheSecondaryField) {
    TGpib page;
    bus->Reply("R44/1.1");
    Child<QPushButton>(page, "button201")->click();  // empty Sec. Addr: nothing
    EXPECT_TRUE(bus->Log().empty());
    SetField(page, "field109", "6");
    Child<QPushButton>(page, "button201")->click();
    EXPECT_EQ(Field(page, "field103"), "R44/1.1");
    SetField(page, "field103", "S12M43 and a long tail");
    SetField(page, "field109", "7x");
    Child<QPushButton>(page, "button202")->click();  // not a number: nothing
    SetField(page, "field109", "7");
    Child<QPushButton>(page, "button202")->click();
    EXPECT_EQ(bus->Log(), (Lines{"R 3 6", "W 3 7 S12M43 and a long t"}));
}

TEST_F(GpibPageTest, BusErrorsOfReceiveAndSendAreDropped) {
    TGpib page;
    SetField(page, "field109", "9");
    SetField(page, "field103", "old");
    bus->FailRead("EABO: timeout on data").FailWrite(0);
    Child<QPushButton>(page, "button201")->click();
    Child<QPushButton>(page, "button202")->click();
    EXPECT_TRUE(responder.Asked().empty());
    EXPECT_EQ(Field(page, "field103"), "old");
}

TEST_F(GpibPageTest, InterfaceCommandsUseThePageAddress) {
    Config().controllerKind = ControllerKind::LN2;
    TGpib page;
    const char* buttons[] = {"button203", "button205", "button209", "button206",
                             "button207", "button210", "button211"};
    for (const char* name : buttons) Child<QPushButton>(page, name)->click();
    Child<QRadioButton>(page, "radio105")->click();
    Child<QPushButton>(page, "button205")->click();
    EXPECT_EQ(bus->Log(), (Lines{"IC 1 3 6", "IC 2 3 6", "IC 3 3 6", "IC 4 3 6", "IC 5 3 6",
                                 "IC 6 3 6", "IC 7 3 6", "IC 2 12 0"}));
}

TEST_F(GpibPageTest, TheItc5HasNoSecondary) {
    Config().controllerKind = ControllerKind::ITC5;
    TGpib page;
    SetField(page, "field109", "4");
    Child<QRadioButton>(page, "radio105")->click();
    EXPECT_EQ(Field(page, "field109"), "N/A");
    EXPECT_FALSE(Child<QLineEdit>(page, "field109")->isEnabled());
    SetField(page, "field103", "T1");
    Child<QPushButton>(page, "button202")->click();
    bus->Reply("R300");
    Child<QPushButton>(page, "button201")->click();
    EXPECT_EQ(Field(page, "field103"), "R300");
    Child<QPushButton>(page, "button203")->click();
    EXPECT_EQ(bus->Log(), (Lines{"IW T1", "IR", "IC 1 24 -1"}));

    Child<QRadioButton>(page, "radio104")->click();
    EXPECT_EQ(Field(page, "field109"), "");
    EXPECT_TRUE(Child<QLineEdit>(page, "field109")->isEnabled());
    EXPECT_EQ(page.Primary(), 3);
    EXPECT_EQ(page.Secondary(), 6);
}

TEST_F(GpibPageTest, ControllerChoiceNeedsABusController) {
    for (ControllerKind kind : {ControllerKind::None, ControllerKind::HotStage}) {
        Config().controllerKind = kind;
        TGpib page;
        EXPECT_FALSE(Child<QRadioButton>(page, "radio105")->isEnabled()) << KindNumber(kind);
    }
}

TEST_F(GpibPageTest, DemoModeDoesNothing) {
    Config().noInstrument = true;
    TGpib page;
    page.SetUp();
    SetField(page, "field109", "6");
    for (const char* name : {"button201", "button202", "button203", "button211"})
        Child<QPushButton>(page, name)->click();
    EXPECT_TRUE(bus->Log().empty());
}

class SheetTest : public MagnetFixture {
  protected:
    void TearDown() override {
        SetBufferAmplifierLines(std::nullopt);
        MagnetFixture::TearDown();
    }
};

TEST_F(SheetTest, BufferPageOnlyWithAnOpenPort) {
    {
        TEngineeringSheet sheet;
        ASSERT_EQ(sheet.PageCount(), 2);
        EXPECT_EQ(sheet.Tabs()->tabText(1).toStdString(), "Magnet");
    }
    SetBufferAmplifierLines(ModemLines{[](bool) {}, [] { return false; }});
    TEngineeringSheet sheet;
    ASSERT_EQ(sheet.PageCount(), 3);
    EXPECT_EQ(sheet.Page(1)->objectName().toStdString(), "BUFFER");
    EXPECT_EQ(sheet.Page(2)->objectName().toStdString(), "MAGNET");
}

TEST_F(SheetTest, PagesAreSetUpWhenFirstShown) {
    TEngineeringSheet sheet;  // the first page is in front at once
    EXPECT_EQ(bus->Log(), (Lines{"IC 0 3 6"}));
    EXPECT_TRUE(sheet.WasShown(0));
    EXPECT_FALSE(sheet.WasShown(1));
    bus->Reply("58");
    sheet.Tabs()->setCurrentIndex(1);
    sheet.Tabs()->setCurrentIndex(0);
    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(bus->Log(), (Lines{"IC 0 3 6", "R 3 7"}));
    EXPECT_TRUE(sheet.WasShown(1));
}

TEST_F(SheetTest, RefusingPageKeepsTheSheetOpenOnItself) {
    Settings().Tesla = 0.5;
    bus->SetDefaultReply("0");
    responder.Add("OK");
    responder.onDialog = [](QDialog& dialog) {
        auto& sheet = static_cast<TEngineeringSheet&>(dialog);
        sheet.Tabs()->setCurrentIndex(1);
        sheet.Tabs()->setCurrentIndex(0);
        Child<QLineEdit>(*sheet.Page(1), "field107")->setText("0");
    };
    ShowEngineeringSheet(nullptr);
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "Engineering");
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.5);

    responder.Add("OK");
    responder.onDialog = [](QDialog& dialog) {
        auto& sheet = static_cast<TEngineeringSheet&>(dialog);
        sheet.Tabs()->setCurrentIndex(1);
        Child<QLineEdit>(*sheet.Page(1), "field107")->setText("0.75");
    };
    ShowEngineeringSheet(nullptr);
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.75);
}

TEST_F(SheetTest, UnseenPageAppliesNothing) {
    Settings().Tesla = -1.0;  // would be refused if the magnet page applied
    TEngineeringSheet sheet;
    Child<QPushButton>(sheet, "IDOK")->click();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(Settings().Tesla, -1.0);
    EXPECT_EQ(Child<QPushButton>(sheet, "IDCANCEL")->text().toStdString(), "Close");
}

}  // namespace
