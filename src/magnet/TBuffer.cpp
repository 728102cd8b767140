#include "magnet/TBuffer.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "views/FieldViews.h"

namespace {
constexpr int kHexField = BufferAmplifierAccess::kHexField;
constexpr int kStatusField = BufferAmplifierAccess::kStatusField;
}  // namespace

TBuffer::TBuffer(Instruments& instruments, QWidget* parent)
    : EngineeringPage(parent), access_(instruments) {
    setObjectName("BUFFER");
    auto* layout = new QVBoxLayout(this);

    auto* status = new QLabel(this);
    status->setObjectName("field104");
    FollowField(Fields(), kStatusField, status);
    QFont bold = status->font();
    bold.setBold(true);
    status->setFont(bold);
    install_ = PushButton(QString(), 103, this);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(status, 1);
    statusRow->addWidget(install_);
    layout->addLayout(statusRow);

    auto* bytes = new QGroupBox(this);
    auto* bytesRow = new QHBoxLayout(bytes);
    bytesRow->addWidget(new QLabel("Hex", bytes));
    hex_ = FieldEdit(Fields(), kHexField, bytes);
    hex_->setMaxLength(5);
    hex_->setMaximumWidth(80);
    bytesRow->addWidget(hex_);
    send_ = PushButton("Send Byte", 102, bytes);
    bytesRow->addWidget(send_);
    bytesRow->addStretch();
    layout->addWidget(bytes);
    layout->addStretch();

    connect(install_, &QPushButton::clicked, this, &TBuffer::ToggleInstalled);
    connect(send_, &QPushButton::clicked, this, &TBuffer::SendByte);
}

void TBuffer::Refresh() {
    access_.Refresh();
    Follow();
}

void TBuffer::ToggleInstalled() {
    access_.ToggleInstalled();
    Follow();
}

void TBuffer::Follow() {
    const bool installed = access_.Installed();
    install_->setText(installed ? "Remove" : "Install");
    hex_->setEnabled(installed);
    send_->setEnabled(installed);
}
