#pragma once
// File names as the program keeps them and as the file system takes them,
// and opening files for reading.
//
// The settings and the records hold text, names included, as 8-bit text in
// the registry's code page, Windows-1252; the command line and the file
// dialogs give Unicode. One rule, so that a name means the same file
// wherever it came from: a name goes into the settings only when every one
// of its characters has a Windows-1252 byte (ToStored), and a stored name
// becomes Unicode before it becomes a path (FromStored, LocalPath).
//
// Reading opens regular files only. A device, a FIFO, a socket or a
// directory is refused before anything opens it: /dev/zero never ends and
// a FIFO blocks in its open.
#include <QString>
#include <cstdio>
#include <istream>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

class QFile;

namespace FileNames {

// --- the registry's 8-bit text ---------------------------------------------
// Windows-1252 to Unicode. The five bytes the code page leaves undefined
// read as the C1 controls of the same number, so every byte sequence comes
// back unchanged through ToCp1252.
QString FromCp1252(std::string_view bytes);
// Unicode to Windows-1252; a character without a byte becomes '?'.
std::string ToCp1252(const QString& text);
// The first character of `text` that has no Windows-1252 byte (a NUL
// included: the registry's strings end there); nullopt when there is none.
std::optional<char32_t> FirstUnstorable(const QString& text);
// "\"名\" (U+540D)"
std::string CharacterText(char32_t c);

// --- names ------------------------------------------------------------------
// A name from the command line or a dialog as the settings keep it; nullopt
// when a character cannot be kept, with the reason naming it in `reason`.
std::optional<std::string> ToStored(const QString& name, std::string* reason = nullptr);
// A stored name as Unicode (for QFile, QFileInfo and the dialogs).
QString FromStored(const std::string& stored);
// A stored name as fopen and std::fstream take it (the file system's own encoding).
std::string LocalPath(const std::string& stored);
// A Unicode name as fopen and std::fstream take it.
std::string Encode(const QString& path);
// A command-line argument (the system's encoding) as Unicode.
QString FromArgument(const std::string& argument);

// --- reading ----------------------------------------------------------------
enum class Kind { Missing, Regular, Other };
// What a name stands for, following symbolic links.
Kind KindOf(const QString& path);
// Opens a regular file for reading; nullptr for anything else (and for a
// file that cannot be opened). The kind is checked before the open, and
// what was opened is checked again, so nothing but a regular file is read.
std::FILE* OpenForReading(const QString& path);
// The same into a QFile (which then owns the handle).
bool OpenForReading(QFile& file, const QString& path);

// An input stream over a file opened by OpenForReading.
class InputFile : public std::istream {
  public:
    explicit InputFile(const QString& path);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    bool IsOpen() const { return buffer_.file != nullptr; }

  private:
    struct Buffer : std::streambuf {
        std::FILE* file = nullptr;
        char bytes[4096];
        int_type underflow() override;
    };
    Buffer buffer_;
};

}  // namespace FileNames
