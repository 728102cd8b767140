// Widgets bound to a FieldSet: the field's changes reach the widget, typing
// reaches the field, and neither echoes back into the other.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <memory>

#include <gtest/gtest.h>

#include "core/FieldSet.h"
#include "views/FieldViews.h"

namespace {

// How often a signal was emitted.
template <class Sender, class Signal>
std::shared_ptr<int> Count(Sender* sender, Signal signal) {
    auto count = std::make_shared<int>(0);
    QObject::connect(sender, signal, [count] { ++*count; });
    return count;
}

// Typing one character where the cursor is, as the keyboard does.
void Type(QLineEdit* edit, const QString& character) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QApplication::sendEvent(edit, &press);
}

class FieldViewsTest : public ::testing::Test {
  protected:
    QWidget window;
    FieldSet fields;
};

TEST_F(FieldViewsTest, LabelShowsItsFieldAndFollowsOnlyIt) {
    fields.Set(10, "1.234e+00");
    QLabel* label = FieldLabel(fields, 10, &window, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(label->text(), "1.234e+00");

    fields.Set(10, "-3.12e-03");
    EXPECT_EQ(label->text(), "-3.12e-03");
    fields.Set(11, "other");
    EXPECT_EQ(label->text(), "-3.12e-03");
    fields.Clear();
    EXPECT_EQ(label->text(), "");
    // Wide enough for the widest number before it is ever shown.
    EXPECT_GE(label->minimumWidth(),
              label->fontMetrics().horizontalAdvance(QStringLiteral("-8.888e-88")));
}

TEST_F(FieldViewsTest, EditShowsTheFieldAndTypingSetsIt) {
    fields.Set(107, "0.5");
    QLineEdit* edit = FieldEdit(fields, 107, &window);
    EXPECT_EQ(edit->text(), "0.5");
    // Building the edit writes nothing back.
    EXPECT_EQ(fields.All().size(), 1u);

    fields.Set(107, "0.65");
    EXPECT_EQ(edit->text(), "0.65");
    fields.Set(108, "elsewhere");
    EXPECT_EQ(edit->text(), "0.65");

    edit->setCursorPosition(4);
    Type(edit, "0");
    EXPECT_EQ(edit->text(), "0.650");
    EXPECT_EQ(fields.Get(107), "0.650");
    EXPECT_EQ(fields.Get(108), "elsewhere");
}

TEST_F(FieldViewsTest, EditOnAnEmptyFieldCreatesNoField) {
    QLineEdit* edit = FieldEdit(fields, 5, &window);
    EXPECT_EQ(edit->text(), "");
    EXPECT_FALSE(fields.Has(5));
    Type(edit, "7");
    EXPECT_EQ(fields.Get(5), "7");
}

TEST_F(FieldViewsTest, TypingIsNotEchoedBack) {
    fields.Set(103, "abc");
    QLineEdit* edit = FieldEdit(fields, 103, &window);
    auto fieldChanges = Count(&fields, &FieldSet::changed);
    auto editChanges = Count(edit, &QLineEdit::textChanged);

    // Typing in the middle: an echo would set the text again and throw the
    // cursor to the end, so the next key would land in the wrong place.
    edit->setCursorPosition(1);
    Type(edit, "X");
    Type(edit, "Y");
    EXPECT_EQ(edit->text(), "aXYbc");
    EXPECT_EQ(edit->cursorPosition(), 3);
    EXPECT_EQ(fields.Get(103), "aXYbc");
    EXPECT_EQ(*fieldChanges, 2);
    EXPECT_EQ(*editChanges, 2);
}

TEST_F(FieldViewsTest, FieldChangeIsNotEchoedBack) {
    QLineEdit* edit = FieldEdit(fields, 103, &window);
    auto fieldChanges = Count(&fields, &FieldSet::changed);
    auto editChanges = Count(edit, &QLineEdit::textChanged);
    fields.Set(103, "GTL");
    EXPECT_EQ(edit->text(), "GTL");
    EXPECT_EQ(*fieldChanges, 1);
    EXPECT_EQ(*editChanges, 1);
    // The same text again changes nothing anywhere.
    fields.Set(103, "GTL");
    EXPECT_EQ(*fieldChanges, 1);
    EXPECT_EQ(*editChanges, 1);
}

TEST_F(FieldViewsTest, TwoEditsOnOneFieldStayInStep) {
    QLineEdit* first = FieldEdit(fields, 9, &window);
    QLineEdit* second = FieldEdit(fields, 9, &window);
    Type(first, "4");
    EXPECT_EQ(second->text(), "4");
    Type(second, "2");
    EXPECT_EQ(first->text(), "42");
    EXPECT_EQ(fields.Get(9), "42");
}

TEST_F(FieldViewsTest, ReadOutFollowsButCannotBeTyped) {
    fields.Set(108, "Stage In");
    QLineEdit* readOut = FieldReadOut(fields, 108, &window);
    EXPECT_EQ(readOut->text(), "Stage In");
    EXPECT_TRUE(readOut->isReadOnly());
    EXPECT_EQ(readOut->focusPolicy(), Qt::NoFocus);
    fields.Set(108, "Stage Out");
    EXPECT_EQ(readOut->text(), "Stage Out");
    Type(readOut, "x");
    EXPECT_EQ(readOut->text(), "Stage Out");
    EXPECT_EQ(fields.Get(108), "Stage Out");
}

TEST_F(FieldViewsTest, FollowedLabelKeepsItsOwnNameAndText) {
    auto* label = new QLabel(QStringLiteral("waiting"), &window);
    label->setObjectName("field104");
    FollowField(fields, 104, label);
    // No field yet: the label keeps what it shows.
    EXPECT_EQ(label->text(), "waiting");
    EXPECT_EQ(label->objectName(), "field104");
    fields.Set(104, "Buffer is installed");
    EXPECT_EQ(label->text(), "Buffer is installed");

    FieldSet filled;
    filled.Set(101, "0");
    auto* elapsed = new QLabel(&window);
    FollowField(filled, 101, elapsed);
    EXPECT_EQ(elapsed->text(), "0");
}

TEST_F(FieldViewsTest, BindingsEndWithEitherSide) {
    // A view closed before its model: the model goes on being written.
    QLineEdit* edit = FieldEdit(fields, 1, &window);
    QLabel* label = FieldLabel(fields, 2, &window);
    delete edit;
    delete label;
    fields.Set(1, "after");
    fields.Set(2, "after");
    EXPECT_EQ(fields.Get(1), "after");

    // A model gone before its view: typing must not reach it.
    auto model = std::make_unique<FieldSet>();
    QLineEdit* orphan = FieldEdit(*model, 3, &window);
    model.reset();
    Type(orphan, "z");
    EXPECT_EQ(orphan->text(), "z");
}

}  // namespace
