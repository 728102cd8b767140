// The named controls: identifiers as names, push buttons that never take the
// default role, and the up-down control's steps.
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <vector>

#include <gtest/gtest.h>

#include "Controls.h"

namespace {

TEST(ControlsTest, NumericIdsAndNamesBecomeObjectNames) {
    QWidget window;
    EXPECT_EQ(PushButton("Update", 106, &window)->objectName(), "button106");
    EXPECT_EQ(PushButton("OK", "IDOK", &window)->objectName(), "IDOK");
    EXPECT_EQ(RadioButton("Bar", 107, &window)->objectName(), "button107");
    EXPECT_EQ(RadioButton("1-2", "radio101", &window)->objectName(), "radio101");
    EXPECT_EQ(CheckBox("AC", 101, &window)->objectName(), "button101");
    EXPECT_EQ(CheckBox("Hall", "hall", &window)->objectName(), "hall");
    EXPECT_EQ(ArrowButton(Qt::UpArrow, "updownUp", &window)->objectName(), "updownUp");

    QPushButton* button = PushButton(QString::fromUtf8("\u00b5A"), 104, &window);
    EXPECT_EQ(button->text(), QString::fromUtf8("\u00b5A"));
    EXPECT_EQ(button->parent(), &window);
    QRadioButton* radio = RadioButton("Van der Pauw", 106, &window);
    EXPECT_EQ(radio->text(), "Van der Pauw");
    EXPECT_FALSE(radio->isChecked());
    QCheckBox* box = CheckBox("IV-Curve", 103, &window);
    EXPECT_EQ(box->text(), "IV-Curve");
    EXPECT_FALSE(box->isChecked());
}

TEST(ControlsTest, PushButtonsInADialogAreNotAutoDefault) {
    // In a dialog Qt makes every push button auto-default, so Enter in an
    // edit would press whichever button had the focus last.
    QDialog dialog;
    QPushButton* plain = new QPushButton("Plain", &dialog);
    ASSERT_TRUE(plain->autoDefault());
    EXPECT_FALSE(PushButton("Calculate", 101, &dialog)->autoDefault());
    EXPECT_FALSE(PushButton("Cancel", "IDCANCEL", &dialog)->autoDefault());
}

TEST(ControlsTest, UpDownStepsUpAndDown) {
    QWidget window;
    std::vector<int> steps;
    QWidget* upDown = UpDown(112, &window, [&steps](int step) { steps.push_back(step); });
    EXPECT_EQ(upDown->objectName(), "updown112");
    auto* up = upDown->findChild<QToolButton*>("updown112Up");
    auto* down = upDown->findChild<QToolButton*>("updown112Down");
    ASSERT_NE(up, nullptr);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(up->arrowType(), Qt::UpArrow);
    EXPECT_EQ(down->arrowType(), Qt::DownArrow);
    // Held down, an arrow keeps stepping.
    EXPECT_TRUE(up->autoRepeat());
    EXPECT_TRUE(down->autoRepeat());
    up->click();
    up->click();
    down->click();
    EXPECT_EQ(steps, (std::vector<int>{+1, +1, -1}));
}

}  // namespace
