#include "platform/SerialLink.h"

#include <QLibrary>

#include <QSerialPort>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/Paths.h"
#include "platform/RegistryStore.h"
#include "platform/TimeScale.h"
#include "platform/Wait.h"

class SerialLink::Backend {
  public:
    virtual ~Backend() = default;
    virtual bool Write(const std::string& bytes, int timeoutMs) = 0;
    virtual std::optional<std::uint8_t> ReadByte(int timeoutMs) = 0;
    virtual void SetRts(bool on) = 0;
    virtual bool Cts() = 0;
};

namespace {
bool g_simulate = false;

class PortBackend : public SerialLink::Backend {
  public:
    bool Open(const std::string& device, const SerialMode& mode) {
        port_.setPortName(QString::fromStdString(device));
        if (!port_.open(QIODevice::ReadWrite)) return false;
        port_.setBaudRate(mode.baud);
        port_.setDataBits(static_cast<QSerialPort::DataBits>(mode.dataBits));
        port_.setStopBits(mode.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        switch (std::tolower(static_cast<unsigned char>(mode.parity))) {
            case 'e':
                port_.setParity(QSerialPort::EvenParity);
                break;
            case 'o':
                port_.setParity(QSerialPort::OddParity);
                break;
            case 'm':
                port_.setParity(QSerialPort::MarkParity);
                break;
            case 's':
                port_.setParity(QSerialPort::SpaceParity);
                break;
            default:
                port_.setParity(QSerialPort::NoParity);
                break;
        }
        port_.setFlowControl(QSerialPort::NoFlowControl);
        return true;
    }
    bool Write(const std::string& bytes, int timeoutMs) override {
        if (port_.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
            return false;
        return port_.waitForBytesWritten(timeoutMs) || port_.bytesToWrite() == 0;
    }
    std::optional<std::uint8_t> ReadByte(int timeoutMs) override {
        if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(timeoutMs)) return std::nullopt;
        char c = 0;
        if (port_.read(&c, 1) != 1) return std::nullopt;
        return static_cast<std::uint8_t>(c);
    }
    void SetRts(bool on) override { port_.setRequestToSend(on); }
    bool Cts() override { return (port_.pinoutSignals() & QSerialPort::ClearToSendSignal) != 0; }

  private:
    QSerialPort port_;
};

// The rack's serial devices through its C interface, loaded beside the program.
struct SimApi {
    int (*open)(const char*) = nullptr;
    long (*write)(int, const void*, long) = nullptr;
    long (*read)(int, void*, long) = nullptr;
    void (*setRts)(int, int) = nullptr;
    int (*cts)(int) = nullptr;
    void (*close)(int) = nullptr;
    bool loaded = false;
};

SimApi& Sim() {
    static SimApi api;
    if (api.loaded) return api;
    std::string path = Paths::Find("libvantris_sim.so");
    static QLibrary lib(QString::fromStdString(path.empty() ? "libvantris_sim.so" : path));
    if (!lib.load()) return api;
    auto symbol = [](const char* name) { return lib.resolve(name); };
    api.open = reinterpret_cast<int (*)(const char*)>(symbol("vantris_sim_serial_open"));
    api.write =
        reinterpret_cast<long (*)(int, const void*, long)>(symbol("vantris_sim_serial_write"));
    api.read = reinterpret_cast<long (*)(int, void*, long)>(symbol("vantris_sim_serial_read"));
    api.setRts = reinterpret_cast<void (*)(int, int)>(symbol("vantris_sim_serial_set_rts"));
    api.cts = reinterpret_cast<int (*)(int)>(symbol("vantris_sim_serial_cts"));
    api.close = reinterpret_cast<void (*)(int)>(symbol("vantris_sim_serial_close"));
    api.loaded = api.open && api.write && api.read && api.setRts && api.cts && api.close;
    return api;
}

class SimBackend : public SerialLink::Backend {
  public:
    bool Open(const std::string& name) {
        if (!Sim().loaded) return false;
        handle_ = Sim().open(name.c_str());
        return handle_ >= 0;
    }
    ~SimBackend() override {
        if (handle_ >= 0) Sim().close(handle_);
    }
    bool Write(const std::string& bytes, int) override {
        return Sim().write(handle_, bytes.data(), static_cast<long>(bytes.size())) ==
               static_cast<long>(bytes.size());
    }
    std::optional<std::uint8_t> ReadByte(int timeoutMs) override {
        // The rack answers in its own (scaled) time; poll it while the
        // program keeps serving its windows, up to the time-out.
        const double deadline = TimeScale::Seconds() + timeoutMs / 1000.0;
        for (;;) {
            unsigned char c = 0;
            if (Sim().read(handle_, &c, 1) == 1) return c;
            if (TimeScale::Seconds() >= deadline) return std::nullopt;
            Wait::Ms(10);
        }
    }
    void SetRts(bool on) override { Sim().setRts(handle_, on ? 1 : 0); }
    bool Cts() override { return Sim().cts(handle_) != 0; }

  private:
    int handle_ = -1;
};
}  // namespace

std::optional<SerialMode> ParseSerialMode(const std::string& text) {
    const auto colon = text.find(':');
    const std::string settings = colon == std::string::npos ? text : text.substr(colon + 1);
    SerialMode mode;
    char parity = 0;
    int baud = 0, data = 0, stop = 0;
    char tail = 0;
    if (std::sscanf(settings.c_str(), "%d,%c,%d,%d%c", &baud, &parity, &data, &stop, &tail) != 4)
        return std::nullopt;
    parity = static_cast<char>(std::tolower(static_cast<unsigned char>(parity)));
    if (baud <= 0 || data < 5 || data > 8 || (stop != 1 && stop != 2) ||
        std::string("noems").find(parity) == std::string::npos)
        return std::nullopt;
    mode.baud = baud;
    mode.parity = parity;
    mode.dataBits = data;
    mode.stopBits = stop;
    return mode;
}

SerialLink::SerialLink() = default;
SerialLink::~SerialLink() = default;

void SerialLink::UseSimulation(bool on) {
    g_simulate = on;
}

std::string SerialLink::DeviceFor(const std::string& portName) {
    try {
        if (auto mapped =
                Registry().QueryString(std::string(kRootKey) + "\\System\\Ports", portName, 260);
            mapped && !mapped->empty())
            return *mapped;
    } catch (const std::logic_error&) {
        // No store installed (a test of the link alone): only the fixed mapping.
    }
    if (portName.size() > 3 && (portName[0] == 'C' || portName[0] == 'c') &&
        (portName[1] == 'O' || portName[1] == 'o') && (portName[2] == 'M' || portName[2] == 'm')) {
        char* end = nullptr;
        const long n = std::strtol(portName.c_str() + 3, &end, 10);
        if (end && *end == '\0' && n >= 1 && n <= 256) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return portName;
}

bool SerialLink::Open(const std::string& portName, const SerialMode& mode) {
    Close();
    if (g_simulate) {
        auto sim = std::make_unique<SimBackend>();
        if (!sim->Open(portName)) return false;
        backend_ = std::move(sim);
    } else {
        auto port = std::make_unique<PortBackend>();
        if (!port->Open(DeviceFor(portName), mode)) return false;
        backend_ = std::move(port);
    }
    name_ = portName;
    return true;
}

bool SerialLink::IsOpen() const {
    return backend_ != nullptr;
}

void SerialLink::Close() {
    backend_.reset();
    name_.clear();
}

void SerialLink::SetTimeouts(int readTotalMs, int writeTotalMs) {
    readTimeoutMs_ = readTotalMs;
    writeTimeoutMs_ = writeTotalMs;
}

bool SerialLink::WriteByte(std::uint8_t byte) {
    return Write(std::string(1, static_cast<char>(byte)));
}

bool SerialLink::Write(const std::string& bytes) {
    return backend_ && backend_->Write(bytes, TimeScale::Ms(writeTimeoutMs_));
}

std::optional<std::uint8_t> SerialLink::ReadByte() {
    if (!backend_) return std::nullopt;
    return backend_->ReadByte(g_simulate ? readTimeoutMs_ : TimeScale::Ms(readTimeoutMs_));
}

void SerialLink::SetRts(bool on) {
    if (backend_) backend_->SetRts(on);
}

bool SerialLink::Cts() {
    return backend_ && backend_->Cts();
}
