#pragma once
// The tool bar's texts: the status text ("Ready", "ERROR", "Cancelled" ...),
// the status detail ("GPIB", timed-reading progress) and the three graph
// read-outs. Lower layers write here; the main frame shows them.
#include <QObject>
#include <string>

class StatusFields : public QObject {
    Q_OBJECT
  public:
    void SetText(const std::string& text);
    void SetDetail(const std::string& detail);
    void SetReadout(int index, const std::string& text);  // index 0..2
    const std::string& Text() const { return text_; }
    const std::string& Detail() const { return detail_; }
    const std::string& Readout(int index) const {
        return readouts_[(index >= 0 && index < 3) ? index : 0];
    }

  signals:
    void textChanged(const QString& text);
    void detailChanged(const QString& detail);
    void readoutChanged(int index, const QString& text);
    void busyChanged(bool busy);

  private:
    friend class RunLock;
    // A measurement run starts or ends (only the run lock says so): the
    // shell re-enables its commands.
    void SetBusy(bool busy);

    std::string text_ = "Ready";
    std::string detail_;
    std::string readouts_[3];
};
