#pragma once
// A scripted bus, a scripted responder and a fast clock for every test.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "bus/GpibBus.h"
#include "core/CoreRecords.h"
#include "magnet/Instruments.h"
#include "core/MeasurementSettings.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "ScriptedBus.h"
#include "platform/TimeScale.h"
#include "TestRecords.h"

class MagnetFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        TimeScale::SetFactor(0.001);
        auto owned = std::make_unique<ScriptedBus>();
        bus = owned.get();
        instruments.Bus().Set(std::move(owned));
        Prompt::SetResponder(&responder);
        Config() = RunConfig();
        Settings() = MeasurementSettings();
    }
    void TearDown() override {
        Prompt::SetResponder(nullptr);
        instruments.Bus().Set(nullptr);
        TimeScale::SetFactor(1.0);
    }
    // The prompts as "caption|text" lines.
    std::vector<std::string> Prompts() const {
        std::vector<std::string> lines;
        for (const auto& record : responder.Asked())
            lines.push_back(record.caption + "|" + record.text);
        return lines;
    }

    // The instruments over the core's records, which Config() and Settings() reach.
    Instruments instruments{TestCore()};
    ScriptedBus* bus = nullptr;
    Prompt::ScriptedResponder responder;
};

// The child of `parent` named `name`, which must be there.
template <class T>
T* Child(QWidget& parent, const char* name) {
    auto* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}
