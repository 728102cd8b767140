#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "ProgramRun.h"

// The IV curve of the whole program against the rack: ohmic contacts give
// straight lines through the origin, barriers bend them, and a sweep stops
// where it leaves the pane or the voltmeter's range.
namespace {
struct Point {
    double current = 0.0;  // stored, signed, uA
    double voltage = 0.0;  // V
};
using Sweeps = std::array<std::array<std::vector<Point>, 2>, 2>;

struct Curve {
    ProgramResult result;
    Sweeps sweeps;
    std::size_t Count(int pair, int sweep) const { return sweeps[pair][sweep].size(); }
};

class IVCurveE2eTest : public ::testing::Test {
  protected:
    void SetUp() override { run_.InitRegistry(); }

    Curve Run(const std::string& rackJson, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"--time-scale", "0.01", "--run", "57", "--dump"};
        args.push_back(rackJson.empty() ? "--simulate"
                                        : "--simulate=" + run_.WriteFile("rack.json", rackJson));
        args.insert(args.end(), extra.begin(), extra.end());
        Curve curve;
        curve.result = run_.Run(args);
        for (const std::string& line : curve.result.All("iv")) {
            std::istringstream in(line);
            int pair = -1, sweep = -1;
            Point p;
            in >> pair >> sweep >> p.current >> p.voltage;
            EXPECT_TRUE(in && pair >= 0 && pair <= 1 && sweep >= 0 && sweep <= 1) << line;
            if (in && pair >= 0 && pair <= 1 && sweep >= 0 && sweep <= 1)
                curve.sweeps[pair][sweep].push_back(p);
        }
        return curve;
    }

    ProgramRun run_;
};

// The largest distance of a sweep's points from the best line through the origin.
double ResidualThroughOrigin(const std::vector<Point>& points) {
    double ii = 0.0, iv = 0.0;
    for (const Point& p : points) {
        ii += p.current * p.current;
        iv += p.current * p.voltage;
    }
    const double slope = ii > 0.0 ? iv / ii : 0.0;
    double worst = 0.0;
    for (const Point& p : points) worst = std::max(worst, std::fabs(p.voltage - slope * p.current));
    return worst;
}

// The panes' full scale is the reading at the full current on contacts 1-2.
double FullScale(const Curve& curve) {
    double top = 0.0;
    for (const Point& p : curve.sweeps[0][0]) top = std::max(top, std::fabs(p.voltage));
    return top;
}

void ExpectTenEqualSteps(const std::vector<Point>& points, double top, int sign) {
    ASSERT_EQ(points.size(), 11u);
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_NEAR(points[i].current, sign * top * static_cast<double>(i) / 10.0, top * 1e-6) << i;
}
}  // namespace

TEST_F(IVCurveE2eTest, OhmicContactsGiveStraightLinesThroughTheOrigin) {
    // 20 uV of noise on a 70 mV full scale, as a real voltmeter would show.
    const Curve curve = Run(R"({"noise_volts":2e-5,"seed":7})");
    ASSERT_EQ(curve.result.exitCode, 0) << curve.result.errors;
    EXPECT_EQ(curve.result.First("status"), "Ready | ");
    const double fullScale = FullScale(curve);
    ASSERT_GT(fullScale, 0.0);
    const double top = std::fabs(curve.sweeps[0][0].back().current);
    for (int pair = 0; pair < 2; ++pair)
        for (int sweep = 0; sweep < 2; ++sweep) {
            const auto& points = curve.sweeps[pair][sweep];
            // Sweep 0 runs positive and stores -I; its voltages are positive.
            ExpectTenEqualSteps(points, top, sweep == 0 ? -1 : 1);
            EXPECT_LT(ResidualThroughOrigin(points), 0.005 * fullScale) << pair << sweep;
            EXPECT_GT(points.back().voltage * (sweep == 0 ? 1 : -1), 0.9 * fullScale);
        }
}

TEST_F(IVCurveE2eTest, SlopesAreTheRacksTwoContactResistances) {
    // Volts at the voltmeter's input, read through the same gains as every
    // other reading: each sweep's V/I is what the rack's contacts give.
    const Curve curve = Run("");
    ASSERT_EQ(curve.result.exitCode, 0) << curve.result.errors;
    const auto truth = ProgramResult::Pairs(curve.result.First("sim"));
    ASSERT_TRUE(truth.count("R12") && truth.count("R34")) << curve.result.First("sim");
    const double expected[2] = {std::stod(truth.at("R12")), std::stod(truth.at("R34"))};
    for (int pair = 0; pair < 2; ++pair)
        for (int sweep = 0; sweep < 2; ++sweep) {
            const Point& top = curve.sweeps[pair][sweep].back();
            // Stored currents are signed opposite to the voltage on sweep 0.
            const double ohms = std::fabs(top.voltage / (top.current * 1e-6));
            EXPECT_NEAR(ohms, expected[pair], expected[pair] * 5e-4) << pair << sweep;
        }
}

TEST_F(IVCurveE2eTest, BarrierContactsAreVisiblyCurved) {
    const Curve curve = Run(R"({"specimen":{"contact_diode_saturation_A":
                                           [1e-7,1e-7,1e-7,1e-7,0,0,0,0]}})");
    ASSERT_EQ(curve.result.exitCode, 0) << curve.result.errors;
    EXPECT_EQ(curve.result.First("status"), "Ready | ");
    const double fullScale = FullScale(curve);
    for (int pair = 0; pair < 2; ++pair)
        for (int sweep = 0; sweep < 2; ++sweep) {
            const auto& points = curve.sweeps[pair][sweep];
            ASSERT_EQ(points.size(), 11u) << pair << sweep;
            EXPECT_GT(ResidualThroughOrigin(points), 0.05 * fullScale) << pair << sweep;
            // A tenth of the current already gives far more than a tenth of the voltage.
            EXPECT_GT(points[1].voltage / points[10].voltage, 0.3) << pair << sweep;
        }
}

TEST_F(IVCurveE2eTest, SweepsEndWhereTheyLeaveThePaneOrTheRange) {
    // Contacts 3 and 4 add 900 ohm each: pair 3-4 reads about 3.6 times pair
    // 1-2 and leaves the pane at the fourth step, the point beyond kept.
    const Curve wide =
        Run(R"({"specimen":{"contact_resistance_ohm":[100,100,1000,1000,100,100,0,0]}})");
    ASSERT_EQ(wide.result.exitCode, 0) << wide.result.errors;
    EXPECT_EQ(wide.Count(0, 0), 11u);
    EXPECT_EQ(wide.Count(0, 1), 11u);
    const double fullScale = FullScale(wide);
    for (int sweep = 0; sweep < 2; ++sweep) {
        const auto& points = wide.sweeps[1][sweep];
        ASSERT_EQ(points.size(), 4u) << sweep;
        EXPECT_GT(std::fabs(points[3].voltage), fullScale);
        EXPECT_LE(std::fabs(points[2].voltage), fullScale);
    }
    EXPECT_EQ(wide.result.First("status"), "Ready | ");

    // 30 kohm contacts: over range at the first step above zero, which is not kept.
    const Curve over =
        Run(R"({"specimen":{"contact_resistance_ohm":[100,100,30000,30000,100,100,0,0]}})");
    ASSERT_EQ(over.result.exitCode, 0) << over.result.errors;
    EXPECT_EQ(over.Count(0, 0), 11u);
    EXPECT_EQ(over.Count(1, 0), 1u);
    EXPECT_EQ(over.Count(1, 1), 1u);
    EXPECT_EQ(over.result.First("status"), "Ready | ");
}
