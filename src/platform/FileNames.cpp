#include "platform/FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

#ifdef _WIN32
#include <cwchar>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileNames {

namespace {
// Bytes 0x80 to 0x9F of Windows-1252; 0 where the code page defines none.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Decode(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const char16_t c = kHigh[byte - 0x80];
    return c ? c : byte;
}

// The byte of a character; nullopt when Windows-1252 has none.
std::optional<unsigned char> EncodeOne(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < 32; ++i) {
        const char16_t mapped = kHigh[i];
        // An undefined byte stands for the C1 control of its own number.
        if ((mapped && mapped == c) || (!mapped && c == 0x80 + i))
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}
}  // namespace

QString FromCp1252(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes) out.append(QChar(Decode(static_cast<unsigned char>(b))));
    return out;
}

std::string ToCp1252(const QString& text) {
    std::string out;
    for (char32_t c : text.toUcs4()) {
        const auto byte = EncodeOne(c);
        out.push_back(byte ? static_cast<char>(*byte) : '?');
    }
    return out;
}

std::optional<char32_t> FirstUnstorable(const QString& text) {
    for (char32_t c : text.toUcs4())
        if (c == 0 || !EncodeOne(c)) return c;
    return std::nullopt;
}

std::string CharacterText(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return "\"" + QString::fromUcs4(&c, 1).toStdString() + "\" (" + code + ")";
}

std::optional<std::string> ToStored(const QString& name, std::string* reason) {
    if (const auto c = FirstUnstorable(name)) {
        if (reason)
            *reason = "the name holds " + CharacterText(*c) +
                      ", which the settings' 8-bit text (Windows-1252) cannot hold";
        return std::nullopt;
    }
    return ToCp1252(name);
}

QString FromStored(const std::string& stored) {
    return FromCp1252(stored);
}

std::string LocalPath(const std::string& stored) {
    return Encode(FromStored(stored));
}

std::string Encode(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromArgument(const std::string& argument) {
    return QFile::decodeName(QByteArray::fromStdString(argument));
}

Kind KindOf(const QString& path) {
    if (path.isEmpty()) return Kind::Missing;
#ifdef _WIN32
    const QFileInfo info(path);
    if (!info.exists()) return Kind::Missing;
    return info.isFile() ? Kind::Regular : Kind::Other;
#else
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return Kind::Missing;
    return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other;
#endif
}

namespace {
#ifndef _WIN32
// A descriptor of a regular file opened for reading, or -1. The open does
// not wait (a FIFO put in place after the check would block there), and
// the descriptor is checked for what it really is.
int OpenRegular(const QString& path) {
    if (KindOf(path) != Kind::Regular) return -1;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
#endif
}  // namespace

std::FILE* OpenForReading(const QString& path) {
#ifdef _WIN32
    if (KindOf(path) != Kind::Regular) return nullptr;
    return _wfopen(reinterpret_cast<const wchar_t*>(path.utf16()), L"rb");
#else
    const int fd = OpenRegular(path);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
#endif
}

bool OpenForReading(QFile& file, const QString& path) {
    file.close();
#ifdef _WIN32
    if (KindOf(path) != Kind::Regular) return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
#else
    const int fd = OpenRegular(path);
    if (fd < 0) return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#endif
}

InputFile::InputFile(const QString& path) : std::istream(nullptr) {
    buffer_.file = OpenForReading(path);
    rdbuf(&buffer_);
    if (!buffer_.file) setstate(std::ios::failbit);
}

InputFile::~InputFile() {
    if (buffer_.file) std::fclose(buffer_.file);
}

InputFile::Buffer::int_type InputFile::Buffer::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (!file) return traits_type::eof();
    const std::size_t n = std::fread(bytes, 1, sizeof bytes, file);
    if (n == 0) return traits_type::eof();
    setg(bytes, bytes, bytes + n);
    return traits_type::to_int_type(*gptr());
}

}  // namespace FileNames
