#pragma once
// Where the shell meets the modules: the commands each module serves, what
// start-up reads once the client exists, and what the client writes at close.
#include <string>

class RegistryStore;
class MainFrame;
class ProgramState;
class ProgramState;
class Thall;

// Reports a settings file that cannot be read and sets it aside before
// anything new is written. False when the program cannot go on.
bool CheckRegistryFile(RegistryStore& file);
// --init-registry: writes what an installer would, where missing.
bool InitRegistryCommand();
// Registers every served command with the frame.
void BindModules(MainFrame& frame, Thall& thall);
// The client is set up: the default style and settings sets are read.
void ClientReady(MainFrame& frame, Thall& thall);
// --set NAME=VALUE.
bool ApplyAssignment(ProgramState& program, const std::string& assignment, std::string& error);
// The client closes: window positions are written.
void SaveOnClose(MainFrame& frame);
