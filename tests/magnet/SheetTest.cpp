// The engineering sheet, its GPIB page and the page's logic.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "magnet/BufferAmplifier.h"
#include "app/EngineeringSheet.h"
#include "app/GpibAccess.h"
#include "MagnetFixture.h"
#include "magnet/TManual.h"
#include "TestRecords.h"

namespace {

using Lines = std::vector<std::string>;

class GpibPageTest : public MagnetFixture {
  protected:
    void SetField(TGpib& page, const char* name, const char* text) {
        Child<QLineEdit>(page, name)->setText(text);
    }
    std::string Field(TGpib& page, const char* name) {
        return Child<QLineEdit>(page, name)->text().toStdString();
    }
};

// The page's logic alone, without a window.
class GpibAccessTest : public MagnetFixture {};

TEST_F(GpibAccessTest, ReceiveAndSendUseTheSecondaryField) {
    GpibAccess access(instruments);
    FieldSet& fields = access.Fields();
    bus->Reply("R44/1.1");
    access.Receive();  // empty Sec. Addr: nothing
    EXPECT_TRUE(bus->Log().empty());
    fields.Set(109, "6");
    access.Receive();
    EXPECT_EQ(fields.Get(103), "R44/1.1");
    fields.Set(103, "S12M43 and a long tail");
    fields.Set(109, "7x");
    access.Send();  // not a number: nothing
    fields.Set(109, "7");
    access.Send();
    EXPECT_EQ(bus->Log(), (Lines{"R 3 6", "W 3 7 S12M43 and a long t"}));
}

TEST_F(GpibAccessTest, TheSecondaryIsAnUnsignedNumberBetweenBlanks) {
    GpibAccess access(instruments);
    access.Fields().Set(103, "X");
    for (const char* text : {" 7 ", "65535", "007"}) {
        access.Fields().Set(109, text);
        access.Send();
    }
    for (const char* text : {"65536", "99999999999", "-1", "+1", "1 2", "0x7", " ", "7\t"}) {
        access.Fields().Set(109, text);
        access.Send();
        access.Receive();
    }
    EXPECT_EQ(bus->Log(), (Lines{"W 3 7 X", "W 3 65535 X", "W 3 7 X"}));
}

TEST_F(GpibAccessTest, BusErrorsOfReceiveAndSendAreDropped) {
    GpibAccess access(instruments);
    access.Fields().Set(109, "9");
    access.Fields().Set(103, "old");
    bus->FailRead("EABO: timeout on data").FailWrite(0);
    access.Receive();
    access.Send();
    EXPECT_TRUE(responder.Asked().empty());
    EXPECT_EQ(access.Fields().Get(103), "old");
}

TEST_F(GpibPageTest, InterfaceCommandsUseThePageAddress) {
    Config().controllerKind = ControllerKind::LN2;
    TGpib page(instruments);
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
    TGpib page(instruments);
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
        TGpib page(instruments);
        EXPECT_FALSE(Child<QRadioButton>(page, "radio105")->isEnabled()) << KindNumber(kind);
    }
}

TEST_F(GpibAccessTest, DemoModeDoesNothing) {
    Config().noInstrument = true;
    GpibAccess access(instruments);
    access.SetUp();
    access.Fields().Set(109, "6");
    access.Receive();
    access.Send();
    access.Interface(1);
    access.Interface(7);
    EXPECT_TRUE(bus->Log().empty());
}

class SheetTest : public MagnetFixture {
  protected:
    void TearDown() override {
        instruments.Amplifier().SetLines(std::nullopt);
        MagnetFixture::TearDown();
    }
};

TEST_F(SheetTest, BufferPageOnlyWithAnOpenPort) {
    {
        TEngineeringSheet sheet(instruments);
        ASSERT_EQ(sheet.PageCount(), 2);
        EXPECT_EQ(sheet.Tabs()->tabText(1).toStdString(), "Magnet");
    }
    instruments.Amplifier().SetLines(ModemLines{[](bool) {}, [] { return false; }});
    TEngineeringSheet sheet(instruments);
    ASSERT_EQ(sheet.PageCount(), 3);
    EXPECT_EQ(sheet.Page(1)->objectName().toStdString(), "BUFFER");
    EXPECT_EQ(sheet.Page(2)->objectName().toStdString(), "MAGNET");
}

TEST_F(SheetTest, PagesAreSetUpWhenFirstShown) {
    TEngineeringSheet sheet(instruments);  // the first page is in front at once
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
    ShowEngineeringSheet(instruments, nullptr);
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "Engineering");
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.5);

    responder.Add("OK");
    responder.onDialog = [](QDialog& dialog) {
        auto& sheet = static_cast<TEngineeringSheet&>(dialog);
        sheet.Tabs()->setCurrentIndex(1);
        Child<QLineEdit>(*sheet.Page(1), "field107")->setText("0.75");
    };
    ShowEngineeringSheet(instruments, nullptr);
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.75);
}

}  // namespace
