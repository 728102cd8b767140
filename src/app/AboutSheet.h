#pragma once
#include <QDialog>

// "About RT44WIN": the version page and the contact page.
class AboutSheet : public QDialog {
    Q_OBJECT
  public:
    explicit AboutSheet(QWidget* parent = nullptr);
};
