// The rack's hot stage on a pseudo-terminal: prints the terminal's path and
// answers the stage's messages there until it is stopped, so the program
// reaches it through an ordinary serial device (map a port name to the path
// in the settings' System\Ports key).
//
//   vantris_hotstage_pty [--config FILE] [--mute] [--seconds N]
//
// --config reads the hot.* keys of a rack configuration; --mute reads every
// message and answers none (a stage that is switched off); --seconds ends the
// server after N seconds of wall time (default 600).
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vantris_sim/HotStage.h"
#include "vantris_sim/RackClock.h"
#include "vantris_sim/RackConfig.h"
#include "vantris_sim/Trace.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
void Stop(int) {
    g_stop = 1;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    using namespace vantris::sim;
    RackConfig config;
    bool mute = false;
    double seconds = 600.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mute") {
            mute = true;
        } else if (arg == "--config" && i + 1 < argc) {
            std::string error;
            if (!LoadRackConfig(argv[++i], config, error)) {
                std::fprintf(stderr, "vantris_hotstage_pty: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr,
                         "usage: vantris_hotstage_pty [--config FILE] [--mute] [--seconds N]\n");
            return 2;
        }
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("vantris_hotstage_pty: pseudo-terminal");
        return 1;
    }
    const char* name = ::ptsname(master);
    if (!name) {
        std::perror("vantris_hotstage_pty: ptsname");
        return 1;
    }
    const std::string path = name;
    // Our own hold on the terminal side keeps the line up while the program
    // opens and closes it; raw, so no byte of a message is interpreted.
    const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios raw{};
        if (::tcgetattr(slave, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
        }
    }
    std::signal(SIGTERM, Stop);
    std::signal(SIGINT, Stop);
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    RackClock clock;
    HotStage stage(config.hot, clock.Now(), nullptr);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));
    char buffer[256];
    while (!g_stop && std::chrono::steady_clock::now() < end) {
        pollfd fd{master, POLLIN, 0};
        const int ready = ::poll(&fd, 1, 100);
        if (ready <= 0 || !(fd.revents & POLLIN)) continue;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (const std::string& message : stage.Frame(buffer, static_cast<std::size_t>(n))) {
            Trace("H " + TraceText(message));
            if (mute) continue;
            if (!WriteAll(master, stage.Answer(message, clock.Now()))) break;
        }
    }
    if (slave >= 0) ::close(slave);
    ::close(master);
    return 0;
}
