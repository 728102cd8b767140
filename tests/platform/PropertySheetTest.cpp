#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>

#include "PropertySheet.h"

namespace {
struct CountingPage : PropertyPage {
    int setUps = 0, applies = 0;
    bool agree = true;
    int context = 0;
    void SetUp() override { ++setUps; }
    bool Apply() override {
        ++applies;
        return agree;
    }
    int HelpContext() const override { return context; }
};

struct Sheet {
    PropertySheet sheet{"TEST", "Test", PropertySheet::kApply | PropertySheet::kHelp, nullptr};
    CountingPage* pages[3] = {new CountingPage, new CountingPage, new CountingPage};
    Sheet() {
        for (int i = 0; i < 3; ++i) {
            pages[i]->context = 10 + i;
            sheet.AddPage(pages[i], QString("Page %1").arg(i));
        }
    }
    void Click(const char* name) { sheet.Button(name)->click(); }
};
}  // namespace

TEST(PropertySheet, FirstPageIsSetUpAtOnceOthersWhenFirstShown) {
    Sheet s;
    EXPECT_EQ(s.pages[0]->setUps, 1);
    EXPECT_EQ(s.pages[2]->setUps, 0);
    s.sheet.Tabs()->setCurrentIndex(2);
    s.sheet.Tabs()->setCurrentIndex(0);
    s.sheet.Tabs()->setCurrentIndex(2);
    EXPECT_EQ(s.pages[2]->setUps, 1);
    EXPECT_TRUE(s.sheet.WasShown(2));
    EXPECT_FALSE(s.sheet.WasShown(1));
}

TEST(PropertySheet, OnlyShownPagesApplyAndARefusalKeepsTheSheetOnIt) {
    Sheet s;
    s.sheet.Tabs()->setCurrentIndex(2);
    s.pages[2]->agree = false;
    s.sheet.Tabs()->setCurrentIndex(0);
    s.Click("IDOK");
    EXPECT_EQ(s.pages[0]->applies, 1);
    EXPECT_EQ(s.pages[1]->applies, 0);  // never shown
    EXPECT_EQ(s.pages[2]->applies, 1);
    EXPECT_EQ(s.sheet.Tabs()->currentIndex(), 2);
    EXPECT_NE(s.sheet.result(), QDialog::Accepted);

    s.pages[2]->agree = true;
    s.Click("IDAPPLY");  // Apply keeps the sheet open
    EXPECT_EQ(s.pages[2]->applies, 2);
    EXPECT_NE(s.sheet.result(), QDialog::Accepted);
    s.Click("IDOK");
    EXPECT_EQ(s.sheet.result(), QDialog::Accepted);
}

TEST(PropertySheet, HelpGivesTheContextOfThePageInFront) {
    Sheet s;
    int asked = 0;
    s.sheet.onHelp = [&](int context) { asked = context; };
    s.sheet.Tabs()->setCurrentIndex(1);
    s.Click("IDHELP");
    EXPECT_EQ(asked, 11);
    PropertySheet plain("PLAIN", "Plain", PropertySheet::kOkCancel, nullptr, "Close");
    EXPECT_EQ(plain.Button("IDAPPLY"), nullptr);
}
