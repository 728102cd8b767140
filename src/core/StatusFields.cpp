#include "core/StatusFields.h"

#include "core/MeasurementState.h"

void StatusFields::SetText(const std::string& text) {
    text_ = text;
    emit textChanged(QString::fromStdString(text));
}

void StatusFields::SetDetail(const std::string& detail) {
    detail_ = detail;
    emit detailChanged(QString::fromStdString(detail));
}

void StatusFields::SetReadout(int index, const std::string& text) {
    if (index < 0 || index > 2) return;
    readouts_[index] = text;
    emit readoutChanged(index, QString::fromStdString(text));
}

void StatusFields::SetBusy(bool busy) {
    emit busyChanged(busy);
}
