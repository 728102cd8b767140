#pragma once
// The "Sample" property sheet: Identifiers, Material, Geometry, Log File.
// On OK every page that was brought up applies its fields, in page order; a
// page that refuses keeps the sheet open on itself. A page never shown
// applies nothing.
#include <QDialog>
#include <vector>

class QTabWidget;
class SamplePage;

class TSampleSheet : public QDialog {
    Q_OBJECT
  public:
    explicit TSampleSheet(QWidget* parent = nullptr);
    QTabWidget* Tabs() const { return tabs_; }
    SamplePage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    bool WasShown(int index) const { return shown_.at(static_cast<std::size_t>(index)); }

  private:
    void Ok();
    QTabWidget* tabs_;
    std::vector<SamplePage*> pages_;
    std::vector<bool> shown_;
};
