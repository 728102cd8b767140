#pragma once
// A property sheet: pages on tabs with OK, Cancel and optionally Apply and
// Help. The platform's rules: a page is set up when it is first brought to
// the front (the first page at once); OK and Apply let every page that was
// set up take its values, in page order; a page that refuses brings itself
// to the front and keeps the sheet open; a page never shown applies nothing.
#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTabWidget;

class PropertyPage : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    // Called once, when the page is first brought to the front.
    virtual void SetUp() {}
    // Takes the page's values; false refuses (the sheet stays on this page).
    virtual bool Apply() { return true; }
    // The help context of the Help button while this page is in front.
    virtual int HelpContext() const { return 0; }
};

class PropertySheet : public QDialog {
    Q_OBJECT
  public:
    enum ButtonSet { kOkCancel = 0, kApply = 1, kHelp = 2 };
    // resourceName becomes the objectName; cancelText relabels Cancel ("Close").
    PropertySheet(const char* resourceName, const QString& title, int buttons, QWidget* parent,
                  const QString& cancelText = QStringLiteral("Cancel"));

    void AddPage(PropertyPage* page, const QString& title);
    QTabWidget* Tabs() const { return tabs_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    bool WasShown(int index) const { return shown_.at(static_cast<std::size_t>(index)); }
    // Brings a page up: set up on its first showing.
    void ShowPage(int index);
    // Every page shown takes its values; false when one refused.
    virtual bool ApplyPages();
    // "IDOK", "IDCANCEL", "IDAPPLY", "IDHELP"; nullptr when the sheet has none.
    QPushButton* Button(const char* name) const;
    // The Help button's handler, given the page's context.
    std::function<void(int)> onHelp;

    // The page's controls that take the focus, in reading order (by rows,
    // top to bottom, each row left to right); the fields come first in it.
    static std::vector<QWidget*> ReadingOrder(QWidget* page);

  protected:
    // OK: apply, then close when every page agreed.
    virtual void Ok();
    void showEvent(QShowEvent* event) override;

  private:
    // Tab goes through the page in front in reading order, then the
    // buttons; the focus starts in the page's first field.
    void FocusPage(int index);

    QTabWidget* tabs_;
    std::vector<PropertyPage*> pages_;
    std::vector<bool> shown_;
};
