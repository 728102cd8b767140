#pragma once
// What the benchmarks share: a steady clock in seconds, the process's peak
// memory, and a run of the real program with its timing lines switched on.
#include <sys/resource.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>

namespace bench {

inline double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

inline long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

#ifdef VANTRIS_NI_PROGRAM
// Runs the program offscreen in `folder`, with the settings file there, its
// per-item timing lines on and the rack at `timeScale`; its standard output.
inline QString RunTimed(const QString& folder, const QStringList& args, double timeScale,
                        int timeoutMs) {
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VANTRIS_REGISTRY", folder + "/Hall.reg");
    env.insert("VANTRIS_TIMING", "1");
    env.insert("VANTRIS_TIME_SCALE", QString::number(timeScale));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(VANTRIS_NI_PROGRAM, args);
    p.waitForFinished(timeoutMs);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}
#endif

}  // namespace bench
