#include "TBuffer.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "BufferAmplifier.h"
#include "BufferAmplifierLink.h"
#include "Controls.h"
#include "FieldViews.h"
#include "MeasurementSettings.h"
#include "RegistryStore.h"
#include "RunConfig.h"

namespace {
constexpr int kHexField = 101;
constexpr int kStatusField = 104;
}  // namespace

bool StoreBufferAmplifierInstalled(bool installed) {
    const std::string path = std::string(kRootKey) + "\\System";
    return Registry().Set(
        path, {RegistryStore::Binary("bufAmp Installed", {static_cast<std::uint8_t>(installed)})},
        true);
}

TBuffer::TBuffer(QWidget* parent) : EngineeringPage(parent) {
    setObjectName("BUFFER");
    auto* layout = new QVBoxLayout(this);

    auto* status = new QLabel(this);
    status->setObjectName("field104");
    FollowField(fields_, kStatusField, status);
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
    hex_ = FieldEdit(fields_, kHexField, bytes);
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
    const bool installed = Config().bufferAmplifierInstalled;
    fields_.Set(kStatusField, installed ? "Buffer is installed" : "Buffer is not installed");
    install_->setText(installed ? "Remove" : "Install");
    hex_->setEnabled(installed);
    send_->setEnabled(installed);
}

void TBuffer::ToggleInstalled() {
    RunConfig& config = Config();
    config.bufferAmplifierInstalled = !config.bufferAmplifierInstalled;
    // nA and pA need the amplifier; once its installed state changes, a
    // selection of them falls back to uA and the measurements stop counting
    // on buffered mode.
    MeasurementSettings& settings = Settings();
    if (settings.Iunits > 1) {
        settings.Iunits = 1;
        settings.bufferAmplifierMode = false;
    }
    StoreBufferAmplifierInstalled(config.bufferAmplifierInstalled);
    Refresh();
}

void TBuffer::SendByte() {
    if (Config().noInstrument || !Config().bufferAmplifierInstalled) return;
    BufferAmplifierLink::Send(HexByteFromText(fields_.Get(kHexField)));
}
