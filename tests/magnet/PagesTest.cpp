// The magnet and buffer amplifier pages of the engineering sheet and their logic.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "magnet/BufferAmplifierAccess.h"
#include "electronics/BufferAmplifierLink.h"
#include "platform/FileRegistryStore.h"
#include "MagnetFixture.h"
#include "magnet/ManualMagnet.h"
#include "platform/RegistryStore.h"
#include "magnet/TBuffer.h"
#include "magnet/TManual.h"
#include "TestRecords.h"

namespace {

using Lines = std::vector<std::string>;

// The page's logic alone, without a window.
class ManualMagnetTest : public MagnetFixture {};
// The page: its buttons and what its edits show.
class ManualPageTest : public MagnetFixture {};

TEST_F(ManualMagnetTest, SetUpShowsFieldStrengthThenStatus) {
    Settings().Tesla = 0.5;
    bus->Reply("58");
    ManualMagnet magnet(instruments);
    magnet.SetUp();
    EXPECT_EQ(magnet.Fields().Get(107), "0.500");
    EXPECT_EQ(magnet.Fields().Get(108), "Between");
    EXPECT_EQ(bus->Log(), (Lines{"R 3 7"}));
}

TEST_F(ManualMagnetTest, ApplyTakesOnlyAPositiveFieldStrength) {
    Settings().Tesla = 0.5;
    ManualMagnet magnet(instruments);
    FieldSet& fields = magnet.Fields();
    for (const char* bad : {"0", "-0.3", "abc", "", "0.0000"}) {
        fields.Set(107, bad);
        EXPECT_FALSE(magnet.Apply()) << bad;
        EXPECT_DOUBLE_EQ(Settings().Tesla, 0.5) << bad;
    }
    fields.Set(107, "0.25 T");
    EXPECT_TRUE(magnet.Apply());
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.25);
    fields.Set(107, "1234567890");  // only nine characters count
    EXPECT_TRUE(magnet.Apply());
    EXPECT_DOUBLE_EQ(Settings().Tesla, 123456789.0);
    fields.Set(107, "1e999");  // too large reads as 0
    EXPECT_FALSE(magnet.Apply());
}

TEST_F(ManualPageTest, MoveButtonsRunTheirCommandsThenReadTheStatus) {
    const std::pair<const char*, const char*> buttons[] = {
        {"button101", "W 3 25 I"},  {"button102", "W 3 12 +R"}, {"button103", "W 3 12 -R"},
        {"button104", "W 3 12 -F"}, {"button105", "W 3 12 +F"},
    };
    TManual page(instruments);
    for (const auto& [name, write] : buttons) {
        bus->ClearLog();
        bus->Poll(0).Poll(0x50).Reply("8");
        Child<QPushButton>(page, name)->click();
        EXPECT_EQ(bus->Log(), (Lines{"H", write, "H", "R 3 7"})) << name;
        EXPECT_EQ(Child<QLineEdit>(page, "field108")->text().toStdString(), "Forward");
    }
    bus->ClearLog();
    bus->Reply("16");
    Child<QPushButton>(page, "button106")->click();
    EXPECT_EQ(bus->Log(), (Lines{"R 3 7"}));
    EXPECT_EQ(Child<QLineEdit>(page, "field108")->text().toStdString(), "Back");
}

TEST_F(ManualMagnetTest, MoveWriteErrorIsShownAndTheStatusStillRead) {
    ManualMagnet magnet(instruments);
    bus->Poll(0).FailWrite(0, "ENOL: no listeners").Reply("0");
    magnet.Move("+F");
    EXPECT_EQ(Prompts(), (Lines{"Exception:|ENOL: no listeners"}));
    EXPECT_EQ(bus->Log().back(), "R 3 7");
}

TEST_F(ManualMagnetTest, DemoModeMovesNothingAndReadsNothing) {
    Config().noInstrument = true;
    Settings().Tesla = 0.37;
    ManualMagnet magnet(instruments);
    magnet.SetUp();
    magnet.Move("+R");
    magnet.UpdateStatus();
    EXPECT_TRUE(bus->Log().empty());
    EXPECT_EQ(magnet.Fields().Get(107), "0.370");
}

class BufferPageTest : public MagnetFixture {
  protected:
    void SetUp() override {
        MagnetFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        SetRegistry(std::make_unique<FileRegistryStore>(dir.filePath("Hall.reg").toStdString()));
        instruments.AmplifierLink().SetWriter([this](std::uint8_t byte) {
            sent.push_back(byte);
            return true;
        });
    }
    void TearDown() override {
        instruments.AmplifierLink().Attach(nullptr);
        SetRegistry(nullptr);
        MagnetFixture::TearDown();
    }
    std::optional<std::vector<std::uint8_t>> Stored() {
        return Registry().QueryBinary(std::string(kRootKey) + "\\System", "bufAmp Installed", 1);
    }
    QTemporaryDir dir;
    std::vector<std::uint8_t> sent;
};

TEST_F(BufferPageTest, InstallAndRemoveAreStoredAtOnce) {
    TBuffer page(instruments);
    page.SetUp();
    auto* button = Child<QPushButton>(page, "button103");
    EXPECT_EQ(Child<QLabel>(page, "field104")->text().toStdString(), "Buffer is not installed");
    EXPECT_EQ(button->text().toStdString(), "Install");
    EXPECT_FALSE(Child<QLineEdit>(page, "field101")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(page, "button102")->isEnabled());

    button->click();
    EXPECT_TRUE(Config().bufferAmplifierInstalled);
    EXPECT_EQ(Stored(), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(Child<QLabel>(page, "field104")->text().toStdString(), "Buffer is installed");
    EXPECT_EQ(button->text().toStdString(), "Remove");
    EXPECT_TRUE(Child<QPushButton>(page, "button102")->isEnabled());

    button->click();
    EXPECT_FALSE(Config().bufferAmplifierInstalled);
    EXPECT_EQ(Stored(), (std::vector<std::uint8_t>{0}));
    const auto values = Registry().EnumValues(std::string(kRootKey) + "\\System");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].type, RegistryStore::kBinary);
}

TEST_F(BufferPageTest, LaterCurrentUnitsFallBackToMicroamps) {
    BufferAmplifierAccess access(instruments);
    Settings().Iunits = 3;
    Settings().bufferAmplifierMode = true;
    access.ToggleInstalled();
    EXPECT_EQ(Settings().Iunits, 1);
    EXPECT_FALSE(Settings().bufferAmplifierMode);
    Settings().Iunits = 0;
    access.ToggleInstalled();
    EXPECT_EQ(Settings().Iunits, 0);
}

TEST_F(BufferPageTest, SendByteSendsTheLowByteOfTheHexText) {
    Config().bufferAmplifierInstalled = true;
    BufferAmplifierAccess access(instruments);
    access.Refresh();
    FieldSet& fields = access.Fields();
    for (const char* text : {"1FF", "85", "junk"}) {
        fields.Set(101, text);
        access.SendByte();
    }
    EXPECT_EQ(sent, (std::vector<std::uint8_t>{0xFF, 0x85, 0x00}));

    Config().noInstrument = true;
    access.SendByte();
    EXPECT_EQ(sent.size(), 3u);
}

}  // namespace
