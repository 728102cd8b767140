// Runs the real program against the rack at time scale 1 and prints what a
// Hall run and a delayed reading cost: wall time against the time the
// instrument itself needs, CPU use while waiting, and the longest stall of
// the GUI thread. Figures only; nothing is asserted.
#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "BenchSupport.h"

namespace {
struct Timing {
    double wall = 0, cpu = 0, stall = 0;
};

QList<Timing> Run(const QString& folder, const QStringList& args) {
    const QString output = bench::RunTimed(folder, args, 1.0, 600000);
    QList<Timing> out;
    const QRegularExpression re("^timing: \\d+ wall=([0-9.]+) cpu=([0-9.]+) stall=([0-9.]+)$",
                                QRegularExpression::MultilineOption);
    auto it = re.globalMatch(output);
    while (it.hasNext()) {
        auto m = it.next();
        out.push_back(
            {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();
    Run(folder, {"--init-registry"});

    // Two Hall runs: the first also waits for the start-up initialisation of
    // the magnet, the second is the one measured. One cycle, no delay, no
    // integration. The instrument needs: "-F" one move, "+F+R-F" three,
    // "+F-R" two, the closing "+F" none (the stage is out already); 1.5 s a
    // move, each motion seen at the first 500 ms poll at or after its end.
    const auto hall = Run(folder, {"--simulate", "--run", "52,52", "--dump"});
    if (hall.size() == 2) {
        const double motions[] = {1.5, 4.5, 3.0, 0.0};
        double instrument = 0;
        for (double m : motions) instrument += std::max(1.0, std::ceil(m / 0.5)) * 0.5;
        std::printf("hall run: wall %.2f s, instrument %.2f s (motion + poll), ratio %.3f\n",
                    hall[1].wall, instrument, hall[1].wall / instrument);
        std::printf("hall run: cpu %.3f s = %.2f %% of one core; longest GUI stall %.1f ms\n",
                    hall[1].cpu, 100.0 * hall[1].cpu / hall[1].wall, hall[1].stall);
    } else {
        std::printf("hall run: no timing lines\n");
    }

    // A contact check with a 2 s delay: six pairs, each a delayed reading.
    const auto check = Run(folder, {"--simulate", "--set", "Delay=2", "--run", "56", "--dump"});
    if (check.size() == 1) {
        std::printf(
            "delayed readings (6 x 2 s): wall %.2f s, cpu %.3f s = %.2f %% of one core; "
            "longest GUI stall %.1f ms\n",
            check[0].wall, check[0].cpu, 100.0 * check[0].cpu / check[0].wall, check[0].stall);
    }
    return 0;
}
