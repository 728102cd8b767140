#pragma once
// Runs the real program (offscreen) as a separate process and reads its
// --dump lines, so the whole start-up, the bus back-end's dynamic loading and
// the rack are exercised exactly as an operator's run would.
#include <map>
#include <string>
#include <vector>

struct ProgramResult {
    int exitCode = -1;
    std::vector<std::string> lines;  // stdout, one entry per line
    std::string errors;              // stderr

    // Every line starting with "key: ", without the key.
    std::vector<std::string> All(const std::string& key) const;
    // The first such line, or empty.
    std::string First(const std::string& key) const;
    // "name=value" pairs of one line ("record: a=1 b=2").
    static std::map<std::string, std::string> Pairs(const std::string& text);
};

class ProgramRun {
  public:
    // A fresh temporary folder holding the settings file; the program runs there.
    ProgramRun();
    ~ProgramRun();
    const std::string& Folder() const { return folder_; }
    const std::string& RegistryFile() const { return registry_; }
    // Writes the installation's settings into the folder's settings file.
    void InitRegistry(const std::string& program = VANTRIS_NI_PROGRAM);
    // Marks the buffer amplifier installed in the settings file, as its
    // engineering page would. False when the file has no such value.
    bool SetBufferAmplifierInstalled();
    // Names COM1 as the buffer amplifier's port again (the installer's choice;
    // InitRegistry leaves it out). False when the file has no such value.
    bool AttachBufferAmplifierPort();
    // Writes a file into the folder (a rack configuration), returns its path.
    std::string WriteFile(const std::string& name, const std::string& text);
    ProgramResult Run(const std::vector<std::string>& args,
                      const std::string& program = VANTRIS_NI_PROGRAM, int timeoutMs = 120000);

  private:
    std::string folder_;
    std::string registry_;
};
