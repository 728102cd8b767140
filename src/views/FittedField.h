#pragma once
// A tool bar text field sized for the longest of the texts it is given to
// show, measured in its own font: it follows the font (and so any scale) and
// never depends on a count of characters. A text longer than that room is
// either cut with an ellipsis and shown whole in the tooltip (a message), or
// widens the field (a number, which must never be read cut).
#include <QLabel>
#include <QStringList>

class FittedField : public QLabel {
    Q_OBJECT
  public:
    enum class Overflow { Elide, Widen };

    // `samples` are the longest texts the field shows; a '#' in one stands
    // for a digit, measured as the widest digit of the font.
    FittedField(const QStringList& samples, Overflow overflow, QWidget* parent = nullptr);

    // The text as it was given; text() is what the field shows of it.
    const QString& FullText() const { return full_; }
    // The room inside the frame and margins that a text has.
    int TextRoom() const;
    // The sample with '#' replaced by the widest digit of the present font.
    static QString Widest(const QString& sample, const QFontMetrics& metrics);

  public slots:
    void SetFullText(const QString& text);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // The width the samples need, plus the frame and margins.
    int FittedWidth(const QStringList& texts) const;
    void Refit();
    void ShowText();

    QStringList samples_;
    Overflow overflow_;
    QString full_;
};
