#pragma once
// The application object: turns the command line into the run's fixed
// configuration, reads the System values, makes the temperature controller,
// opens the buffer amplifier's port and the bus, and initialises the magnet.
// It owns those objects until shut-down.
#include <functional>
#include <memory>
#include <string>

#include "app/CommandLine.h"

class GpibBus;
class MyPrinter;
class ProgramState;
class SerialLink;
class TTemp;
struct RunConfig;

class Thall {
  public:
    using BusFactory = std::function<std::unique_ptr<GpibBus>(const RunConfig&)>;
    // The program's state is the caller's; the application object fills in
    // its configuration, bus and controller and keeps them until shut-down.
    Thall(const CommandLine& line, BusFactory makeBus, ProgramState& program);
    ~Thall();
    Thall(const Thall&) = delete;
    Thall& operator=(const Thall&) = delete;

    // The start-up steps in order. False when the application must end
    // without a main frame (the reason has been shown).
    bool InitInstance();

    TTemp& Temperature();
    ProgramState& Program() { return program_; }
    SerialLink& BufferAmplifierPort() { return *bufferPort_; }
    MyPrinter& Printer() { return *printer_; }

    // Reads the System key into the run configuration; false when it is missing.
    bool ReadSystemValues();
    // Kind of the controller object built for a kind switch.

    std::function<void()> onShutDown;  // closes the log file (records)

  private:
    void OpenBufferAmplifier();
    void OpenBus();
    void CreatePrinter();

    CommandLine line_;
    BusFactory makeBus_;
    ProgramState& program_;
    std::unique_ptr<MyPrinter> printer_;
    std::unique_ptr<SerialLink> bufferPort_;
};
