#pragma once
// Runs the real program (offscreen) as a separate process and reads its
// --dump lines, so the whole start-up, the bus back-end's dynamic loading and
// the rack are exercised exactly as an operator's run would.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// The whole of a file, bytes as they are (empty when it cannot be read).
std::string ReadText(const std::string& path);
// A text's lines, without their '\n'.
std::vector<std::string> Lines(const std::string& text);

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
    // The dumps one by one (each starts with its caption): a DUMP item's and the closing one.
    std::vector<ProgramResult> Dumps() const;
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
    // Replaces every occurrence of a text in the settings file; false when there is none.
    bool EditRegistry(const std::string& from, const std::string& to);
    // Writes a file into the folder (a rack configuration), returns its path.
    std::string WriteFile(const std::string& name, const std::string& text);
    ProgramResult Run(const std::vector<std::string>& args,
                      const std::string& program = VANTRIS_NI_PROGRAM, int timeoutMs = 120000);

  private:
    std::string folder_;
    std::string registry_;
};

// A fixture whose rack writes the commands its instruments receive into a trace.
class TracedE2eTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<std::string> Trace() const { return Lines(ReadText(trace_)); }
    ProgramRun run_;
    std::string trace_;
};
