// The tool bar's fitted text fields: width from the font, cut messages with
// their tooltip, numbers that widen rather than be cut.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "views/FittedField.h"

namespace {
// Whether `field` shows `text` whole inside its frame and margins.
bool ShowsWhole(const FittedField& field, const QString& text) {
    return field.text() == text &&
           QFontMetrics(field.font()).horizontalAdvance(text) < field.TextRoom();
}
}  // namespace

TEST(FittedField, SamplesFitInTheFontInUseWhateverItsSize) {
    // '#' stands for the widest digit, so every number of that shape fits.
    const QStringList samples = {"Delay ### (-####.##", "I-meas Saturating"};
    for (int points : {8, 10, 20}) {
        FittedField field(samples, FittedField::Overflow::Elide);
        QFont font = field.font();
        font.setPointSize(points);
        field.setFont(font);
        for (const QString& text : {QString("Delay 100 (-8888.88"), QString("Delay 100 (-0000.00"),
                                    QString("Delay 1 (+0.013)"), QString("I-meas Saturating")}) {
            field.SetFullText(text);
            EXPECT_TRUE(ShowsWhole(field, text)) << points << " pt: " << text.toStdString();
            EXPECT_TRUE(field.toolTip().isEmpty());
        }
    }
    // A larger font gives a wider field: the width follows the font.
    FittedField small(samples, FittedField::Overflow::Elide),
        large(samples, FittedField::Overflow::Elide);
    QFont font = large.font();
    font.setPointSize(font.pointSize() * 2);
    large.setFont(font);
    EXPECT_GT(large.width(), small.width() * 3 / 2);
}

TEST(FittedField, ALongerMessageIsCutWithAnEllipsisAndWholeInTheTooltip) {
    FittedField field({"Cancelled"}, FittedField::Overflow::Elide);
    const int width = field.width();
    const QString longer = "Function sqrt: DOMAIN error";
    field.SetFullText(longer);
    EXPECT_EQ(field.width(), width);
    EXPECT_EQ(field.FullText(), longer);
    EXPECT_EQ(field.toolTip(), longer);
    EXPECT_TRUE(field.text().endsWith(QChar(0x2026))) << field.text().toStdString();
    EXPECT_LT(QFontMetrics(field.font()).horizontalAdvance(field.text()), field.TextRoom() + 1);
    // A short one after it is whole again, with no stale tooltip.
    field.SetFullText("Ready");
    EXPECT_TRUE(ShowsWhole(field, "Ready"));
    EXPECT_TRUE(field.toolTip().isEmpty());
}

TEST(FittedField, ANumberLongerThanItsSamplesWidensTheFieldAndIsNeverCut) {
    FittedField field({"R= #.##e-##"}, FittedField::Overflow::Widen);
    const int width = field.width();
    field.SetFullText("R= 1.55e-02");
    EXPECT_TRUE(ShowsWhole(field, "R= 1.55e-02"));
    EXPECT_EQ(field.width(), width);
    field.SetFullText("R= 1.55e-302");
    EXPECT_TRUE(ShowsWhole(field, "R= 1.55e-302"));
    EXPECT_GT(field.width(), width);
}
