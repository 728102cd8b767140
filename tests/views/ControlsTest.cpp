// The named controls: push buttons that never take the default role, and the
// up-down control's steps.
#include <QDialog>
#include <QPushButton>
#include <QToolButton>
#include <vector>

#include <gtest/gtest.h>

#include "views/Controls.h"

namespace {

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
    // Held down, an arrow keeps stepping.
    EXPECT_TRUE(up->autoRepeat());
    EXPECT_TRUE(down->autoRepeat());
    up->click();
    up->click();
    down->click();
    EXPECT_EQ(steps, (std::vector<int>{+1, +1, -1}));
}

}  // namespace
