// Runs a temperature scan of the real program against the rack and prints
// what it costs: wall time against the time the instrument itself needs,
// and CPU use while the scan waits for stability. Figures only.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <sys/resource.h>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

#include "BenchSupport.h"

namespace {
struct Timing {
    QString item;
    double wall = 0, cpu = 0;
};

double ChildCpu() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// The whole process: wall and CPU seconds.
Timing Whole(const QString& folder, const QStringList& args, double scale);

QList<Timing> Run(const QString& folder, const QStringList& args, double scale) {
    const QString output = bench::RunTimed(folder, args, scale, 900000);
    QList<Timing> out;
    const QRegularExpression re("^timing: (\\S+) wall=([0-9.]+) cpu=([0-9.]+)",
                                QRegularExpression::MultilineOption);
    auto it = re.globalMatch(output);
    while (it.hasNext()) {
        auto m = it.next();
        out.push_back({m.captured(1), m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return out;
}

Timing Whole(const QString& folder, const QStringList& args, double scale) {
    const double cpu0 = ChildCpu();
    QElapsedTimer clock;
    clock.start();
    Run(folder, args, scale);
    return {"", clock.elapsed() / 1000.0, ChildCpu() - cpu0};
}

void ReplaceInFile(const QString& path, const QByteArray& from, const QByteArray& to) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray text = f.readAll();
    f.close();
    text.replace(from, to);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();
    Run(folder, {"--init-registry"}, 1);
    // A fast LN2 stage: tau 3 s, the sample 0.3 s behind; margin 1 K, 10 s settling.
    const double tau = 3.0, margin = 1.0, settleTicks = 20, tick = 0.495;
    QFile rack(folder + "/rack.json");
    rack.open(QIODevice::WriteOnly);
    rack.write(R"({"ln2":{"tau_seconds":3,"sample_tau_seconds":0.3}})");
    rack.close();
    const QString sim = "--simulate=" + folder + "/rack.json";
    const double scale = 0.01;

    // The measurements' own time: a resistivity and a Hall run alone.
    const auto alone = Run(folder, {"/n", sim, "--run", "51,52"}, scale);
    double measure = 0;
    for (const auto& t : alone) measure += t.wall / scale;

    // Five points from 300 to 200 K in equal steps, the stage starting at 293 K.
    const Timing idle = Whole(folder, {"/n", sim, "--run", "54"}, scale);
    const Timing scan =
        Whole(folder,
              {"/n", sim, "--set", "ScanTstart=300,ScanTstop=200,ScanNpoints=5,DataDir=" + folder,
               "--run", "54,SCANPANEL.107,SCANPANEL.107", "--answer", "OK"},
              scale);
    if (alone.size() == 2) {
        double instrument = 0, from = 293;
        for (int i = 0; i < 5; ++i) {
            const double to = 300 - 25.0 * i;
            // Until within the margin, seen at the next tick, then the settling ticks.
            const double approach =
                std::fabs(to - from) > margin ? tau * std::log(std::fabs(to - from) / margin) : 0;
            instrument += std::ceil(approach / tick) * tick + settleTicks * tick + measure;
            from = to;
        }
        // The scan's own wall time: the run less the program's start and end.
        const double wall = (scan.wall - idle.wall) / scale;
        std::printf(
            "scan of 5 points at time scale %.2f: %.1f s (rack), instrument %.1f s "
            "(approach + settling ticks + %.1f s of measurement a point), ratio %.3f\n",
            scale, wall, instrument, measure, wall / instrument);
    } else {
        std::printf("scan: no timing lines for the measurements\n");
    }

    // Waiting for stability at time scale 1: a settling time no point reaches,
    // paused after 20 s.
    ReplaceInFile(folder + "/Hall.reg", "\"Sec\"=dword:0000000a", "\"Sec\"=dword:00002710");
    const Timing startup = Whole(folder, {"/n", sim, "--run", "54"}, 1.0);
    const Timing wait =
        Whole(folder,
              {"/n", sim, "--set", "ScanTstart=300,ScanTstop=200,ScanNpoints=5,DataDir=" + folder,
               "--run", "54,SCANPANEL.107,SCANPANEL.107,SCANPANEL.107@20", "--answer", "OK"},
              1.0);
    const double waitWall = wait.wall - startup.wall, waitCpu = wait.cpu - startup.cpu;
    std::printf("waiting for stability: wall %.1f s, cpu %.3f s = %.2f %% of one core\n", waitWall,
                waitCpu, 100.0 * waitCpu / waitWall);
    return 0;
}
