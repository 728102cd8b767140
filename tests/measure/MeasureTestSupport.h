#pragma once
// Shared set-up of the measurement tests: a scripted bus as the process's
// bus, a trace that interleaves bus operations and buffer amplifier bytes,
// clean global records, a fast time scale and an optional log file.
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "electronics/BufferAmplifierLink.h"
#include "records/LogFile.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "measure/MeasureState.h"
#include "core/MeasurementState.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "measure/Results.h"
#include "core/RunConfig.h"
#include "ScriptedBus.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"
#include "platform/TimeScale.h"
#include "TestProgram.h"

class MeasureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Each test starts from the records a freshly started program has.
        UseProgram(program);
        ResetMeasureState();
        auto bus = std::make_unique<ScriptedBus>();
        bus_ = bus.get();
        program.SetBus(std::move(bus));
        bus_->onOperation = [this](const std::string& line) {
            trace.push_back(line);
            if (onOperation) onOperation(line);
        };
        program.Instruments().AmplifierLink().SetWriter([this](std::uint8_t byte) {
            trace.push_back("B " + std::to_string(byte));
            return true;
        });
        ResultsClear(program);
        Status().SetText("Ready");
        Status().SetDetail("");
        TimeScale::SetFactor(0.001);
        Prompt::SetResponder(&responder);
    }
    void TearDown() override {
        Prompt::SetResponder(nullptr);
        Log().Close();
        program.Instruments().AmplifierLink().SetWriter(nullptr);
    }

    ScriptedBus& Bus_() { return *bus_; }
    // How a run ended, as the status line and a scan see it.
    static std::string Outcome() {
        return Status().Text() + " | " + Status().Detail() + " | " +
               std::to_string(State().measurementStatus);
    }

    // A run of the given kind, measured once; it lives as long as the test.
    template <typename Run>
    Run& Measured() {
        auto run = std::make_shared<Run>(program);
        runs_.push_back(run);
        run->Measure();
        return *run;
    }

    // The messages shown so far, as "caption | text".
    std::vector<std::string> Messages() const {
        std::vector<std::string> lines;
        for (const auto& record : responder.Asked())
            lines.push_back(record.caption + " | " + record.text);
        return lines;
    }

    void OpenLog() {
        ASSERT_TRUE(dir_.isValid());
        logPath_ = dir_.filePath("log.txt").toStdString();
        ASSERT_EQ(Log().Create(logPath_), LogFile::CreateResult::Created);
    }
    std::string LogBytes() {
        Log().Close();
        QFile file(QString::fromStdString(logPath_));
        if (!file.open(QIODevice::ReadOnly)) return "<no log>";
        return file.readAll().toStdString();
    }

    ProgramState program;
    std::vector<std::string> trace;
    std::function<void(const std::string&)> onOperation;
    Prompt::ScriptedResponder responder;

  private:
    ScriptedBus* bus_ = nullptr;
    std::vector<std::shared_ptr<void>> runs_;
    QTemporaryDir dir_;
    std::string logPath_;
};

inline std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
    return std::vector<std::string>(lines.begin(), lines.end());
}

// "a, b, c" as {"a", "b", "c"}: long command sequences written densely.
inline std::vector<std::string> Ops(const std::string& text) {
    std::vector<std::string> ops;
    for (std::size_t at = 0, end = 0; at <= text.size(); at = end + 2) {
        end = std::min(text.find(", ", at), text.size());
        ops.push_back(text.substr(at, end - at));
    }
    return ops;
}

// The texts of some fields, to compare them in one go.
template <typename Fields>
std::vector<std::string> Texts(const Fields& fields, std::initializer_list<int> ids) {
    std::vector<std::string> texts;
    for (int id : ids) texts.push_back(fields.Get(id));
    return texts;
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}
