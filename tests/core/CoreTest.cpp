#include <gtest/gtest.h>

#include <cmath>

#include "core/CoreRecords.h"
#include "core/MathLibrary.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "core/StatusFields.h"
#include "core/xmsg.h"
#include "TestRecords.h"

TEST(MathLibrary, ReportsDomainAndRangeErrorsAndGoesOn) {
    std::vector<std::string> told;
    MathLibrary::SetReporter([&](const std::string& text) { told.push_back(text); });
    EXPECT_DOUBLE_EQ(MathLibrary::Log10(1000.0), 3.0);
    EXPECT_DOUBLE_EQ(MathLibrary::Sqrt(16.0), 4.0);
    EXPECT_DOUBLE_EQ(MathLibrary::Pow(2.0, 10.0), 1024.0);
    EXPECT_TRUE(told.empty());

    EXPECT_TRUE(std::isnan(MathLibrary::Log10(-1.0)));
    EXPECT_TRUE(std::isinf(MathLibrary::Log10(0.0)));
    EXPECT_TRUE(std::isnan(MathLibrary::Sqrt(-4.0)));
    EXPECT_TRUE(std::isnan(MathLibrary::Pow(-8.0, 0.5)));
    EXPECT_TRUE(std::isinf(MathLibrary::Pow(10.0, 400.0)));
    EXPECT_EQ(MathLibrary::Pow(10.0, -400.0), 0.0);
    EXPECT_EQ(told, (std::vector<std::string>{
                        "Function log10: DOMAIN error", "Function log10: SINGULARITY error",
                        "Function sqrt: DOMAIN error", "Function pow: DOMAIN error",
                        "Function pow: OVERFLOW error", "Function pow: UNDERFLOW error"}));
    // A whole negative power of a negative number is fine.
    EXPECT_DOUBLE_EQ(MathLibrary::Pow(-2.0, 3.0), -8.0);
    EXPECT_EQ(told.size(), 6u);
    MathLibrary::SetReporter(nullptr);
}

TEST(Printf, FormatsLongTextsAndCutsFields) {
    EXPECT_EQ(Printf("%+.3e", 0.001234), "+1.234e-03");
    const std::string longText(1000, 'x');
    EXPECT_EQ(Printf("<%s>", longText.c_str()).size(), 1002u);
    EXPECT_EQ(CutToField("Wafer ID 123456789", 16), "Wafer ID 123456");
    EXPECT_EQ(CutToField("short", 16), "short");
    EXPECT_EQ(CutToField("x", 0), "");
    EXPECT_EQ(VersionText(), "2.26");
}

TEST(Exceptions, CarryTextAndCode) {
    try {
        throw xmeas("A/D OverRange", 1);
    } catch (const xmsg& e) {
        EXPECT_EQ(e.why(), "A/D OverRange");
        EXPECT_EQ(dynamic_cast<const xmeas&>(e).code(), 1);
    }
    EXPECT_THROW(ThrowAbort(), bool);
}

TEST(RunLock, OneHolderAtATimeWithOneGrantedNestedRun) {
    RunLock::Reset(TestCore());
    int busySignals = 0;
    QObject listener;
    QObject::connect(&Status(), &StatusFields::busyChanged, &listener, [&] { ++busySignals; });
    {
        RunLock first = RunLock::TryAcquire(TestCore());
        ASSERT_TRUE(first);
        EXPECT_TRUE(State().busy);
        EXPECT_EQ(busySignals, 1);
        EXPECT_FALSE(RunLock::TryAcquire(TestCore()));
        EXPECT_FALSE(RunLock::CanStart(TestCore()));

        bool nestedTaken = false, secondRefused = false;
        first.RunNested([&] {
            EXPECT_TRUE(RunLock::CanStart(TestCore()));
            RunLock nested = RunLock::TryAcquire(TestCore());
            nestedTaken = static_cast<bool>(nested);
            // The grant is for one run: whatever the nested run's waits
            // serve is refused.
            secondRefused = !RunLock::TryAcquire(TestCore());
            EXPECT_EQ(RunLock::Depth(TestCore()), 2);
        });
        EXPECT_TRUE(nestedTaken);
        EXPECT_TRUE(secondRefused);
        EXPECT_EQ(RunLock::Depth(TestCore()), 1);
        EXPECT_TRUE(State().busy);
        EXPECT_EQ(busySignals, 1);  // the nested run neither set nor cleared the mark

        // A grant that nobody takes lapses when the command returns.
        first.RunNested([] {});
        EXPECT_FALSE(RunLock::CanStart(TestCore()));

        // Only a holder can grant.
        RunLock empty;
        bool ran = false;
        empty.RunNested([&] { ran = true; });
        EXPECT_FALSE(ran);

        // Moving the lock moves the hold, it does not release it.
        RunLock moved = std::move(first);
        EXPECT_TRUE(moved);
        EXPECT_FALSE(first);
        EXPECT_TRUE(State().busy);
    }
    EXPECT_FALSE(State().busy);
    EXPECT_EQ(RunLock::Depth(TestCore()), 0);
    EXPECT_EQ(busySignals, 2);
    EXPECT_TRUE(RunLock::TryAcquire(TestCore()));
}
