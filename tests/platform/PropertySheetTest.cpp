#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QKeyEvent>
#include <QTabWidget>

#include "platform/PropertySheet.h"

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

namespace {
// Fields made in another order than they are read: the lower row first.
struct FieldsPage : PropertyPage {
    QLineEdit* topLeft = new QLineEdit(this);
    QLineEdit* lower = new QLineEdit(this);
    QCheckBox* topRight = new QCheckBox("x", this);
    QPushButton* browse = new QPushButton("Browse", this);
    FieldsPage() {
        auto* grid = new QGridLayout(this);
        grid->addWidget(lower, 1, 0);
        grid->addWidget(browse, 1, 1);
        grid->addWidget(topRight, 0, 1);
        grid->addWidget(topLeft, 0, 0);
    }
};
}  // namespace

// Keys typed after the sheet opens go to the first field; Tab reads the page
// row by row and then the buttons; Enter in a field is OK.
TEST(PropertySheet, TheFocusStartsInTheFirstFieldAndTabReadsThePage) {
    PropertySheet sheet("TEST", "Test", PropertySheet::kApply | PropertySheet::kHelp, nullptr);
    auto* page = new FieldsPage;
    auto* second = new FieldsPage;
    sheet.AddPage(page, "One");
    sheet.AddPage(second, "Two");
    sheet.show();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), page->topLeft);
    EXPECT_EQ(sheet.Tabs()->tabBar()->focusPolicy(), Qt::NoFocus);
    const std::vector<QWidget*> expected = {page->topLeft,
                                            page->topRight,
                                            page->lower,
                                            page->browse,
                                            sheet.Button("IDOK"),
                                            sheet.Button("IDCANCEL"),
                                            sheet.Button("IDAPPLY"),
                                            sheet.Button("IDHELP")};
    for (std::size_t k = 1; k < expected.size(); ++k)
        EXPECT_EQ(expected[k - 1]->nextInFocusChain(), expected[k]) << k;
    // Another page brought up takes the focus into its own first field.
    sheet.ShowPage(1);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), second->topLeft);
    sheet.ShowPage(0);
    page->topLeft->setText("typed");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(page->topLeft, &enter);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_FALSE(sheet.isVisible());
}
