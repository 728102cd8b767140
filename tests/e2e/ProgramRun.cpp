#include "ProgramRun.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<ProgramResult> ProgramResult::Dumps() const {
    std::vector<ProgramResult> dumps{{exitCode, {}, errors}};
    bool captioned = false;  // the lines before the first caption (messages) go with it
    for (const auto& line : lines) {
        if (line.rfind("caption: ", 0) == 0) {
            if (captioned) dumps.push_back({exitCode, {}, errors});
            captioned = true;
        }
        dumps.back().lines.push_back(line);
    }
    return dumps;
}

std::vector<std::string> ProgramResult::All(const std::string& key) const {
    std::vector<std::string> out;
    const std::string prefix = key + ": ";
    for (const auto& line : lines)
        if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
    return out;
}

std::string ProgramResult::First(const std::string& key) const {
    auto all = All(key);
    return all.empty() ? std::string() : all.front();
}

std::map<std::string, std::string> ProgramResult::Pairs(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        const auto eq = word.find('=');
        if (eq != std::string::npos) out[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return out;
}

ProgramRun::ProgramRun() {
    QTemporaryDir dir(QDir::tempPath() + "/vantris-e2e-XXXXXX");
    dir.setAutoRemove(false);
    folder_ = dir.path().toStdString();
    registry_ = folder_ + "/Hall.reg";
}

ProgramRun::~ProgramRun() {
    QDir(QString::fromStdString(folder_)).removeRecursively();
}

namespace {
bool ReplaceInFile(const std::string& path, const std::string& from, const std::string& to) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const auto at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary) << text;
    return true;
}
}  // namespace

void ProgramRun::InitRegistry(const std::string& program) {
    Run({"--init-registry"}, program, 30000);
    // Without the rack, COM1 would be this machine's own first serial port,
    // which another test may hold at that moment: the tests' installation
    // has no buffer amplifier port unless a test attaches one.
    ReplaceInFile(registry_, "\"bufAmp Port\"=\"COM1\"", "\"bufAmp Port\"=\"\"");
}

bool ProgramRun::EditRegistry(const std::string& from, const std::string& to) {
    std::string text = ReadText(registry_);
    std::size_t at = 0;
    int replaced = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
        ++replaced;
    }
    std::ofstream(registry_, std::ios::binary) << text;
    return replaced > 0;
}

bool ProgramRun::AttachBufferAmplifierPort() {
    return ReplaceInFile(registry_, "\"bufAmp Port\"=\"\"", "\"bufAmp Port\"=\"COM1\"");
}

bool ProgramRun::SetBufferAmplifierInstalled() {
    AttachBufferAmplifierPort();
    return ReplaceInFile(registry_, "\"bufAmp Installed\"=hex:00", "\"bufAmp Installed\"=hex:01");
}

std::string ProgramRun::WriteFile(const std::string& name, const std::string& text) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

ProgramResult ProgramRun::Run(const std::vector<std::string>& args, const std::string& program,
                              int timeoutMs) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VANTRIS_REGISTRY", QString::fromStdString(registry_));
    env.insert("VANTRIS_DATETIME", "iTime=1;iTLZero=0;iDate=1;sDate=/;sTime=:;s1159=AM;s2359=PM");
    env.remove("VANTRIS_SIM_CONFIG");
    env.remove("VANTRIS_GPIB_LIBRARY");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(folder_));
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    process.start(QString::fromStdString(program), list);
    ProgramResult result;
    if (!process.waitForStarted(10000)) {
        result.errors = "could not start " + program;
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.errors = "timed out\n";
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const auto& line : out.split('\n', Qt::SkipEmptyParts))
        result.lines.push_back(line.toStdString());
    result.errors += QString::fromLocal8Bit(process.readAllStandardError()).toStdString();
    return result;
}

void TracedE2eTest::SetUp() {
    run_.InitRegistry();
    trace_ = run_.Folder() + "/trace.txt";
    qputenv("VANTRIS_SIM_TRACE", QByteArray::fromStdString(trace_));
}

void TracedE2eTest::TearDown() {
    qunsetenv("VANTRIS_SIM_TRACE");
}
