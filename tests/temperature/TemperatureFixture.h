#pragma once
// A scripted bus, a registry over a throw-away file, a scripted responder
// and a fast clock: the controllers and panels run as in the program.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "platform/FileRegistryStore.h"
#include "bus/GpibBus.h"
#include "temperature/PidRegistry.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "ScriptedBus.h"
#include "temperature/TTemp.h"
#include "platform/TimeScale.h"
#include "TestRecords.h"

class TemperatureFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        TimeScale::SetFactor(0.001);
        Config() = RunConfig();
        StabilizationState() = Stabilization{};
        auto owned = std::make_unique<ScriptedBus>();
        bus = owned.get();
        slot.Set(std::move(owned));
        SetRegistry(std::make_unique<FileRegistryStore>(dir.filePath("Hall.reg").toStdString()));
        Prompt::SetResponder(&responder);
    }
    void TearDown() override {
        Prompt::SetResponder(nullptr);
        SetRegistry(nullptr);
        slot.Set(nullptr);
        TimeScale::SetFactor(1.0);
    }
    void AddEntry(ControllerKind kind, const Tpid& entry) {
        ASSERT_TRUE(Registry().Set(PidTableKey(kind) + "\\" + std::to_string(entry.T),
                                   PidEntryValues(kind, entry)));
    }
    // "caption|text" of every prompt so far.
    std::vector<std::string> Prompts() const {
        std::vector<std::string> lines;
        for (const auto& record : responder.Asked())
            lines.push_back(record.caption + "|" + record.text);
        return lines;
    }
    // The bus operations that went out (writes, ITC5 writes, remote-enable).
    std::vector<std::string> Sent() const {
        std::vector<std::string> lines;
        for (const auto& line : bus->Log())
            if (line.rfind("W ", 0) == 0 || line.rfind("IW ", 0) == 0) lines.push_back(line);
        return lines;
    }

    QTemporaryDir dir;
    // The controllers' bus slot; the records are the core's (Config()).
    BusSlot slot;
    ScriptedBus* bus = nullptr;
    Prompt::ScriptedResponder responder;
};
