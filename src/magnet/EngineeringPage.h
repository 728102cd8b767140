#pragma once
// A page of the engineering sheet. The sheet sets a page up when it is first
// brought to the front, and on OK or Apply asks every page that was set up to
// apply; a page that refuses keeps the sheet open on itself.
#include <QWidget>

class EngineeringPage : public QWidget {
  public:
    using QWidget::QWidget;
    // Called once, when the page is first shown.
    virtual void SetUp() {}
    // False refuses the apply (the sheet stays open on this page).
    virtual bool Apply() { return true; }
};
