#include "temperature/Stability.h"

#include <cmath>

#include "temperature/Itc5Func.h"
#include "temperature/TTemp.h"

void StabilityTest::Restart() {
    counting_ = false;
    ticks_ = 0;
    stabilizingShown_ = false;
}

StabilityTest::Verdict StabilityTest::Tick(bool force) {
    Verdict verdict;
    const Stabilization& margins = StabilizationState();
    TTemp& t = controller_;
    switch (t.Kind()) {
        case ControllerKind::LN2:
            if (force) {
                verdict.ready = true;
            } else if (!counting_) {
                // Once inside the margin the count runs on, even if the
                // temperature swings out again: it is the settling time.
                if (std::fabs(t.present - t.setPoint) < margins.stabilityMargin) {
                    counting_ = true;
                    ticks_ = 0;
                    verdict.status = "Stabilizing";
                }
            } else {
                ++ticks_;
                verdict.ready = ticks_ >= margins.stabilizeTicks;
            }
            break;
        case ControllerKind::ITC5: {
            auto* itc = dynamic_cast<ITC5Func*>(&t);
            if (force) {
                verdict.ready = true;
                if (itc) verdict.cryostatText = itc->sampleSensor ? "N/A" : itc->CryostatText();
                break;
            }
            if (!itc || itc->sampleSensor) {
                verdict.cryostatText = "N/A";
                verdict.ready = std::fabs(t.present - t.setPoint) < margins.sampleMargin;
                break;
            }
            itc->ReadCryostat();
            verdict.cryostatText = itc->CryostatText();
            if (std::fabs(itc->cryostat - t.setPoint) >= margins.stabilityMargin) break;
            if (!stabilizingShown_) {
                stabilizingShown_ = true;
                verdict.status = "Stabilizing";
            }
            verdict.ready = std::fabs(t.present - itc->cryostat) < margins.sampleMargin;
            break;
        }
        case ControllerKind::HotStage:
            verdict.ready = force || std::fabs(t.present - t.setPoint) < 0.5;
            break;
        case ControllerKind::None:
            verdict.ready = force;
            break;
    }
    return verdict;
}
