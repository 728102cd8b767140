// The shims as a client sees them: the NI-488.2 library loaded by path and
// the Personal488 stand-in, both over the one rack of the process.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "RackTestSupport.h"
#include "vantris_sim/vantris_sim.h"

namespace vantris::sim::test {
namespace {

constexpr int kErr = 0x8000, kTimo = 0x4000, kEnd = 0x2000, kSrqi = 0x1000;

struct NiLibrary {
    void* handle = nullptr;
    int* ibsta = nullptr;
    int* iberr = nullptr;
    long* ibcntl = nullptr;
    void (*sendIfc)(int) = nullptr;
    void (*send)(int, unsigned short, const void*, long, int) = nullptr;
    void (*receive)(int, unsigned short, void*, long, int) = nullptr;
    void (*readStatusByte)(int, unsigned short, short*) = nullptr;
    void (*testSrq)(int, short*) = nullptr;
    void (*enableRemote)(int, const unsigned short*) = nullptr;
    void (*enableLocal)(int, const unsigned short*) = nullptr;
    int (*iblines)(int, short*) = nullptr;

    template <typename T>
    void Get(T& out, const char* name) {
        out = reinterpret_cast<T>(dlsym(handle, name));
        ASSERT_NE(out, nullptr) << name;
    }
    void Load() {
        handle = dlopen(VANTRIS_GPIBSIM_PATH, RTLD_NOW);
        ASSERT_NE(handle, nullptr) << dlerror();
        Get(ibsta, "user_ibsta");
        Get(iberr, "user_iberr");
        Get(ibcntl, "user_ibcntl");
        Get(sendIfc, "SendIFC");
        Get(send, "Send");
        Get(receive, "Receive");
        Get(readStatusByte, "ReadStatusByte");
        Get(testSrq, "TestSRQ");
        Get(enableRemote, "EnableRemote");
        Get(enableLocal, "EnableLocal");
        Get(iblines, "iblines");
    }
};

unsigned short Address(int primary, int secondary) {
    return static_cast<unsigned short>(primary | ((secondary | 0x60) << 8));
}

TEST(GpibShim, TransfersThroughTheLoadedLibrary) {
    ASSERT_EQ(vantris_sim_configure("", nullptr, 0), 0);
    vantris_sim_set_manual_clock(1);
    NiLibrary ni;
    ni.Load();
    ASSERT_FALSE(HasFatalFailure());

    ni.sendIfc(0);
    EXPECT_EQ(*ni.ibsta & kErr, 0);
    ni.sendIfc(1);
    EXPECT_EQ(*ni.ibsta & kErr, kErr);
    EXPECT_EQ(*ni.iberr, 7);  // ENEB

    ni.send(0, Address(3, 9), "G0H255O0", 8, 1);
    EXPECT_EQ(*ni.ibsta & kErr, 0);
    EXPECT_EQ(*ni.ibcntl, 8);

    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    ni.receive(0, Address(3, 6), buffer, 20, 0x0A);
    EXPECT_EQ(*ni.ibcntl, 8);
    EXPECT_EQ(std::string(buffer, 8), "R44/1.1\n");
    EXPECT_EQ(*ni.ibsta & (kErr | kEnd), kEnd);

    // A short read stops at its count and leaves the bytes after it alone.
    std::memset(buffer, '#', sizeof buffer);
    ni.receive(0, Address(3, 9), buffer, 5, 0x0A);
    EXPECT_EQ(*ni.ibcntl, 5);
    EXPECT_EQ(*ni.ibsta & kEnd, 0);
    EXPECT_EQ(buffer[5], '#');

    ni.send(0, 5, "X", 1, 1);
    EXPECT_EQ(*ni.ibsta & kErr, kErr);
    EXPECT_EQ(*ni.iberr, 2);  // ENOL
    ni.receive(0, Address(3, 10), buffer, 20, 0x0A);
    EXPECT_EQ(*ni.ibsta & (kErr | kTimo), kErr | kTimo);
    EXPECT_EQ(*ni.iberr, 6);  // EABO
    EXPECT_EQ(*ni.ibcntl, 0);

    // A motion ends in a service request seen by TestSRQ and the poll.
    short srq = -1, status = -1;
    ni.send(0, Address(3, 12), "-F", 2, 1);
    ni.testSrq(0, &srq);
    EXPECT_EQ(srq, 0);
    vantris_sim_advance(2.0);
    ni.testSrq(0, &srq);
    EXPECT_EQ(srq, 1);
    EXPECT_EQ(*ni.ibsta & kSrqi, kSrqi);
    ni.readStatusByte(0, Address(3, 6), &status);
    EXPECT_EQ(status, 0x50);
    ni.testSrq(0, &srq);
    EXPECT_EQ(srq, 0);

    short lines = 0;
    ni.enableRemote(0, nullptr);
    ni.iblines(0, &lines);
    EXPECT_EQ(lines & 0x1000, 0x1000);
    ni.enableLocal(0, nullptr);
    ni.iblines(0, &lines);
    EXPECT_EQ(lines & 0x1000, 0);

    // The ITC5: primary alone, carriage returns, no EOI on the write.
    ni.send(0, 24, "V\r", 2, 0);
    ni.receive(0, 24, buffer, 40, 0x0D);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(*ni.ibcntl)), "ITC5 Version 1.00\r");
    vantris_sim_set_manual_clock(0);
}

TEST(SimApi, TruthConfigureAndSerial) {
    ASSERT_EQ(vantris_sim_configure("", nullptr, 0), 0);
    char truth[200];
    const int n = vantris_sim_truth(truth, sizeof truth);
    EXPECT_EQ(n, static_cast<int>(std::strlen(truth)));
    EXPECT_EQ(std::string(truth),
              "T=293 Rs=150.608389 rho=0.0150608389 RHs=-62.4150907 ns=-1e+13 mu=4144.19749 "
              "R12=674.774572 R34=674.774572");
    char small[8];
    vantris_sim_truth(small, sizeof small);
    EXPECT_EQ(std::string(small), "T=293 R");

    const std::string path = ::testing::TempDir() + "shim_bad.json";
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs(R"({"specimen":{"carrier":"q"}})", f);
    std::fclose(f);
    char error[200];
    EXPECT_EQ(vantris_sim_configure(path.c_str(), error, sizeof error), -1);
    EXPECT_EQ(std::string(error), path + ": specimen.carrier: expected \"n\" or \"p\"");
    std::remove(path.c_str());

    // By default COM1 opens with nothing attached: its CTS never answers.
    const int port = vantris_sim_serial_open("COM1");
    ASSERT_GE(port, 0);
    vantris_sim_serial_set_rts(port, 1);
    EXPECT_EQ(vantris_sim_serial_cts(port), 0);
    char none[4];
    EXPECT_EQ(vantris_sim_serial_read(port, none, sizeof none), 0);
    vantris_sim_serial_close(port);
    EXPECT_EQ(vantris_sim_serial_open("COM7"), -1);
}

TEST(Personal488Shim, OpensOnlyWhenSimulating) {
    void* lib = dlopen(VANTRIS_P488SIM_PATH, RTLD_NOW);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto openName = reinterpret_cast<long (*)(const char*)>(dlsym(lib, "OpenName"));
    auto busAddress = reinterpret_cast<long (*)(long, long, long)>(dlsym(lib, "BusAddress"));
    using Io = long (*)(long, char*, unsigned long, long, void*, long, void*);
    auto enterX = reinterpret_cast<Io>(dlsym(lib, "EnterX"));
    auto outputX = reinterpret_cast<long (*)(long, const char*, unsigned long, long, long, void*,
                                             long, void*)>(dlsym(lib, "OutputX"));
    auto spoll = reinterpret_cast<long (*)(long)>(dlsym(lib, "SPoll"));
    ASSERT_TRUE(openName && busAddress && enterX && outputX && spoll);

    unsetenv("VANTRIS_SIMULATE");
    EXPECT_EQ(openName("Hall"), -1);
    setenv("VANTRIS_SIMULATE", "1", 1);
    const long board = openName("IEEE0");
    const long hall = openName("Hall");
    const long itc = openName("ITC502");
    EXPECT_GT(board, 0);
    EXPECT_GT(hall, 0);
    EXPECT_GT(itc, 0);
    EXPECT_EQ(openName("Printer"), -1);

    char buffer[40];
    EXPECT_EQ(busAddress(hall, 3, 6), 0);
    EXPECT_EQ(enterX(hall, buffer, sizeof buffer, 1, nullptr, 0, nullptr), 7);
    EXPECT_EQ(std::string(buffer), "R44/1.1");
    // A short buffer takes what fits; the rest comes with the next read.
    EXPECT_EQ(enterX(hall, buffer, 3, 1, nullptr, 0, nullptr), 3);
    EXPECT_EQ(std::string(buffer, 3), "R44");
    EXPECT_EQ(enterX(hall, buffer, sizeof buffer, 1, nullptr, 0, nullptr), 4);
    EXPECT_EQ(std::string(buffer), "/1.1");
    busAddress(hall, 3, 13);
    EXPECT_EQ(outputX(itc, "R0", 2, 1, 1, nullptr, 0, nullptr), 2);
    EXPECT_EQ(enterX(itc, buffer, sizeof buffer, 1, nullptr, 0, nullptr), 6);
    EXPECT_EQ(std::string(buffer), "R+2930");
    EXPECT_EQ(spoll(board), 0);
    unsetenv("VANTRIS_SIMULATE");
    EXPECT_EQ(spoll(board), -1);
}

}  // namespace
}  // namespace vantris::sim::test
