#include "core/ControllerKind.h"

namespace {
constexpr ControllerFacts kFacts[] = {
    {ControllerKind::None, "RT44WIN", 0, 0, 293.0, "OPENTEMP", std::nullopt, false, nullptr},
    {ControllerKind::LN2, "RT40WIN", 77, 550, 0.0, "LN2PANEL", GpibAddress::kLn2Controller, true,
     "RT4450"},
    {ControllerKind::ITC5, "RT48WIN", 2, 500, 0.0, "ITC5PANEL", GpibAddress::kItc5Controller, true,
     "ITC5"},
    {ControllerKind::HotStage, "RT49WIN", 20, 900, 0.0, "HOTPANEL", std::nullopt, true, nullptr},
};
}  // namespace

const ControllerFacts& FactsOf(ControllerKind kind) {
    for (const ControllerFacts& facts : kFacts)
        if (facts.kind == kind) return facts;
    return kFacts[0];
}

std::optional<ControllerKind> KindFromNumber(long long number) {
    for (const ControllerFacts& facts : kFacts)
        if (KindNumber(facts.kind) == number) return facts.kind;
    return std::nullopt;
}
