#include "app/Thall.h"

#include <cstdio>

#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "magnet/MagnetMotion.h"
#include "platform/Paths.h"
#include "app/Printer.h"
#include "core/Printf.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "platform/SerialLink.h"
#include "temperature/TTemp.h"
#include "core/xmsg.h"

namespace {
// The registry's "file not found", the code the operator would look up.
constexpr unsigned kErrorFileNotFound = 2;
}  // namespace

Thall::Thall(const CommandLine& line, BusFactory makeBus, ProgramState& program)
    : line_(line),
      makeBus_(std::move(makeBus)),
      program_(program),
      bufferPort_(std::make_unique<SerialLink>()) {}

Thall::~Thall() {
    // Shut-down order: controller, printer, then the log file and the port.
    TTemp* controller = program_.Controller();
    if (controller && HasController(controller->Kind()) && !program_.Config().noInstrument &&
        program_.HasBus()) {
        try {
            program_.Bus().SetRemote(false);
        } catch (const xmsg&) {
            // Releasing remote control at exit has no one left to report to.
        }
    }
    program_.SetController(nullptr);
    printer_.reset();
    if (onShutDown) onShutDown();
    program_.Instruments().AmplifierLink().Attach(nullptr);
    bufferPort_->Close();
}

bool Thall::ReadSystemValues() {
    const std::string path = Printf("%s\\System", kRootKey);
    RegistryStore& reg = Registry();
    if (!reg.KeyExists(path)) {
        Prompt::Message(nullptr, Printf("path: %s\nerror: %u", path.c_str(), kErrorFileNotFound),
                        "Can't Open Registry Key:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return false;
    }
    RunConfig& config = program_.Config();
    if (auto v = reg.QueryString(path, "bufAmp Port", 8)) config.bufAmpPort = *v;
    if (auto v = reg.QueryString(path, "HotStage Port", 8)) config.hotStagePort = *v;
    if (auto v = reg.QueryString(path, "ID1", 16)) config.ID1 = *v;
    if (auto v = reg.QueryString(path, "ID2", 16)) config.ID2 = *v;
    config.bufferAmplifierInstalled = false;
    if (!config.bufAmpPort.empty() && config.bufAmpPort[0] == 'C') {
        if (auto v = reg.QueryBinary(path, "bufAmp Installed", 1); v && !v->empty())
            config.bufferAmplifierInstalled = (*v)[0] != 0;
    }
    return true;
}

TTemp& Thall::Temperature() {
    return *program_.Controller();
}

bool Thall::InitInstance() {
    RunConfig& config = program_.Config();
    config.controllerKind = line_.controllerKind;
    config.noInstrument = line_.demo;
    config.manualMagnet = line_.manualMagnet;
    config.bytewiseItc = line_.bytewiseItc;
    if (!ReadSystemValues()) return false;
    config.programDirectory = Paths::ExecutableDir();
    config.helpFilePath = Paths::Find("help/index.html");
    program_.SetController(
        MakeController(config.controllerKind, program_.Instruments().Bus(), config));
    CreatePrinter();
    if (config.noInstrument) return true;
    OpenBufferAmplifier();
    OpenBus();
    return true;
}

void Thall::CreatePrinter() {
    printer_ = std::make_unique<MyPrinter>(program_.Records(), line_.printTo);
    const std::string warning = printer_->NoPrinterWarning();
    if (warning.empty()) return;
#ifndef _WIN32
    // Without a printer nothing is lost here (the pages become PDF files), so
    // an automated run is told on its error stream instead of by a box that
    // would take one of its answers.
    if (Prompt::CurrentResponder()) {
        std::fprintf(stderr, "Warning: No Default Printer: printed pages are saved as PDF files\n");
        return;
    }
#endif
    Prompt::Message(nullptr, warning, "Warning: No Default Printer", Prompt::Buttons::Ok,
                    Prompt::Icon::Warning);
}

void Thall::OpenBufferAmplifier() {
    RunConfig& config = program_.Config();
    if (config.bufAmpPort.empty() || config.bufAmpPort[0] != 'C') return;
    const auto mode = ParseSerialMode(Printf("%s:1200,n,8,1", config.bufAmpPort.c_str()));
    if (!mode || !bufferPort_->Open(config.bufAmpPort, *mode)) {
        Prompt::Message(nullptr, config.bufAmpPort, "Can't Open Serial Port:", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
        config.bufferAmplifierInstalled = false;
        return;
    }
    bufferPort_->WriteByte(128);
    bufferPort_->WriteByte(0);
}

void Thall::OpenBus() {
    RunConfig& config = program_.Config();
    program_.SetBus(makeBus_(program_.Config()));
    GpibBus& bus = program_.Bus();
    if (bus.Open()) {
        Prompt::Message(nullptr, bus.ErrorText(), "Can't initialize GPIB", Prompt::Buttons::Ok,
                        Prompt::Icon::None);
        config.noInstrument = true;
        return;
    }
    if (config.manualMagnet) return;
    try {
        bus.Write(3, 25, "I");
        program_.MagnetUnit().SetInitialisationPending(true);
    } catch (const xgpib& e) {
        // A driver that opened but cannot reach the electronics is a bus that
        // did not come up: say so the same way and run in demo mode, rather
        // than end the program or leave every measurement to fail alike.
        Prompt::Message(nullptr, e.why(), "Can't initialize GPIB", Prompt::Buttons::Ok,
                        Prompt::Icon::None);
        config.noInstrument = true;
    }
}
