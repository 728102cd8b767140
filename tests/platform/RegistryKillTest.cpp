// Kills the real program with SIGKILL at random moments while it writes its
// settings file and checks what is left: a file that reads, holding either
// the state before the write or the whole state after it, and no temporary
// file that outlives the next writer.
//
// VANTRIS_KILL_TRIALS sets the number of kills per case (default 100) and
// VANTRIS_KILL_PROGRAM another program to try (an older build, to compare).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/RegFile.h"

namespace fs = std::filesystem;

namespace {
using Clock = std::chrono::steady_clock;

std::string Program() {
    if (const char* p = std::getenv("VANTRIS_KILL_PROGRAM"); p && *p) return p;
    return VANTRIS_NI_PROGRAM;
}

int Trials() {
    if (const char* t = std::getenv("VANTRIS_KILL_TRIALS"); t && *t) return std::atoi(t);
    return 100;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Key -> value name -> type and data, without regard to order or case.
using Flat = std::map<std::string, std::map<std::string, std::vector<std::uint8_t>>>;

struct FileState {
    bool exists = false;
    bool readable = false;
    Flat flat;
};

FileState Inspect(const std::string& path) {
    FileState state;
    std::ifstream in(path, std::ios::binary);
    if (!in) return state;
    state.exists = true;
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const RegParseResult parsed = ParseRegFile(bytes);
    state.readable = parsed.ok;
    for (const auto& key : parsed.tree.keys) {
        auto& values = state.flat[Lower(key.path)];
        for (const auto& v : key.values) {
            auto data = v.data;
            data.insert(data.begin(), static_cast<std::uint8_t>(v.type));
            values[Lower(v.name)] = data;
        }
    }
    return state;
}

// Each value of `now` is as it was before or as it is once the run is done,
// and nothing that was there before is missing.
bool Between(const Flat& now, const Flat& before, const Flat& done) {
    auto find = [](const Flat& flat, const std::string& key,
                   const std::string& name) -> const std::vector<std::uint8_t>* {
        const auto k = flat.find(key);
        if (k == flat.end()) return nullptr;
        const auto v = k->second.find(name);
        return v == k->second.end() ? nullptr : &v->second;
    };
    for (const auto& [key, values] : now) {
        for (const auto& [name, data] : values) {
            const auto* old = find(before, key, name);
            const auto* last = find(done, key, name);
            if (!(old && *old == data) && !(last && *last == data)) return false;
        }
    }
    for (const auto& [key, values] : before)
        for (const auto& [name, data] : values)
            if (!find(now, key, name)) return false;
    return true;
}

int TempFiles(const fs::path& dir) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        n += entry.path().filename().string().find(".tmp.") != std::string::npos;
    return n;
}

// Runs the program; kills it after `killAfter` unless that is negative.
// Returns the exit status (or -SIGKILL when it was killed first).
int RunProgram(const std::vector<std::string>& args, const fs::path& dir,
               std::chrono::microseconds killAfter = std::chrono::microseconds(-1)) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> argv;
        const std::string program = Program();
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (killAfter.count() >= 0) {
        std::this_thread::sleep_for(killAfter);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return -WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RegistryKill : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vantris-kill-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        ASSERT_TRUE(fs::exists(Program())) << Program();
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path Fresh(int trial) {
        const fs::path dir = root_ / std::to_string(trial);
        fs::create_directories(dir);
        return dir;
    }
    // How long a whole run takes, so the kills spread over all of it.
    std::chrono::microseconds Duration(const std::vector<std::string>& args,
                                       const std::string& seedFile = {}) {
        auto longest = std::chrono::microseconds(0);
        for (int i = 0; i < 3; ++i) {
            const fs::path dir = Fresh(-1 - i);
            if (!seedFile.empty()) fs::copy_file(seedFile, dir / "Hall.reg");
            const auto start = Clock::now();
            RunProgram(args, dir);
            longest = std::max(longest, std::chrono::duration_cast<std::chrono::microseconds>(
                                            Clock::now() - start));
        }
        return longest;
    }
    fs::path root_;
};
}  // namespace

TEST_F(RegistryKill, InstallerKilledAnywhereLeavesNothingOrAllOfIt) {
    const std::vector<std::string> init = {"--registry", "Hall.reg", "--init-registry"};
    const fs::path refDir = Fresh(0);
    ASSERT_EQ(RunProgram(init, refDir), 0);
    const FileState reference = Inspect((refDir / "Hall.reg").string());
    ASSERT_TRUE(reference.readable);
    const auto duration = Duration(init);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> when(0, duration.count() * 11 / 10);
    int damaged = 0, partial = 0, incomplete = 0, staleAfterRerun = 0;
    int untouched = 0, complete = 0, tempsAfterKill = 0;
    const int trials = Trials();
    for (int t = 1; t <= trials; ++t) {
        const fs::path dir = Fresh(t);
        const std::string file = (dir / "Hall.reg").string();
        RunProgram(init, dir, std::chrono::microseconds(when(random)));
        tempsAfterKill += TempFiles(dir) > 0;
        const FileState killed = Inspect(file);
        if (killed.exists && !killed.readable) {
            ++damaged;
            continue;
        }
        if (!killed.exists || killed.flat.empty()) {
            ++untouched;
        } else if (killed.flat == reference.flat) {
            ++complete;
        } else {
            ++partial;  // some tables written, others not
        }
        // The next installer run finishes the job, whatever the kill left.
        RunProgram(init, dir);
        const FileState after = Inspect(file);
        incomplete += !after.readable || after.flat != reference.flat;
        staleAfterRerun += TempFiles(dir);
    }
    std::printf(
        "init-registry: %d kills over %ld us: %d before any write, %d complete, %d partial, "
        "%d damaged; %d left a temporary file; after a rerun %d incomplete, %d stale "
        "temporary files\n",
        trials, static_cast<long>(duration.count()), untouched, complete, partial, damaged,
        tempsAfterKill, incomplete, staleAfterRerun);
    EXPECT_EQ(damaged, 0);
    EXPECT_EQ(partial, 0);
    EXPECT_EQ(incomplete, 0);
    EXPECT_EQ(staleAfterRerun, 0);
}

TEST_F(RegistryKill, SettingsSaveKilledAnywhereLosesNothing) {
    const fs::path seedDir = Fresh(0);
    ASSERT_EQ(RunProgram({"--registry", "Hall.reg", "--init-registry"}, seedDir), 0);
    const std::string seed = (seedDir / "Hall.reg").string();
    const FileState before = Inspect(seed);
    ASSERT_TRUE(before.readable);
    // Configure > Settings > Save, then the program ends (and stores its
    // window positions).
    const std::vector<std::string> save = {"--registry", "Hall.reg", "--simulate",
                                           "--run",      "12",       "--dump"};
    const auto duration = Duration(save, seed);
    const FileState done = Inspect((root_ / "-1" / "Hall.reg").string());
    ASSERT_TRUE(done.readable);

    std::mt19937 random(20240612);
    std::uniform_int_distribution<long> when(0, duration.count() * 11 / 10);
    int damaged = 0, lost = 0, stale = 0;
    const int trials = Trials();
    for (int t = 1; t <= trials; ++t) {
        const fs::path dir = Fresh(t);
        fs::copy_file(seed, dir / "Hall.reg");
        RunProgram(save, dir, std::chrono::microseconds(when(random)));
        const FileState killed = Inspect((dir / "Hall.reg").string());
        if (!killed.exists || !killed.readable) {
            ++damaged;
            continue;
        }
        lost += !Between(killed.flat, before.flat, done.flat);
        RunProgram({"--registry", "Hall.reg", "--init-registry"}, dir);
        stale += TempFiles(dir);
    }
    std::printf(
        "settings save: %d kills over %ld us: %d damaged or missing, %d lost values, %d "
        "stale temporary files after the next writer\n",
        trials, static_cast<long>(duration.count()), damaged, lost, stale);
    EXPECT_EQ(damaged, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(stale, 0);
}
