#pragma once
// A fresh registry file, a fresh program state and a scripted prompt for every test.
#include <QDir>
#include <QTemporaryDir>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "records/ArchiveSettings.h"
#include "records/CurrentSets.h"
#include "records/DateTimeText.h"
#include "platform/FileRegistryStore.h"
#include "records/GraphStyle.h"
#include "records/LogFile.h"
#include "core/MeasurementSettings.h"
#include "records/PageSetup.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "records/RecordsLinks.h"
#include "records/RecordsState.h"
#include "core/RunConfig.h"
#include "records/ScanSettings.h"
#include "core/SpecimenData.h"
#include "TestProgram.h"

// A calendar time, and a clock fixed at it.
inline std::tm At(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day, t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}
inline void FixClock(int year, int month, int day, int hour, int minute) {
    SetClockForTesting([=] { return At(year, month, day, hour, minute); });
}

class RecordsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Each test starts from the records a freshly started program has.
        UseProgram(program_);
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath("Hall.reg").toStdString();
        auto store = std::make_unique<FileRegistryStore>(file_);
        store_ = store.get();
        SetRegistry(std::move(store));
        ResetRecordsState();
        Links().openEditor = [this](const std::string& path) {
            editorOpened_ = path;
            return editorWorks_;
        };
        SetControllerSetPoint(program_.Records(), 293.0);
        Prompt::SetResponder(&responder_);
        oldCwd_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override {
        Log().Close();
        Prompt::SetResponder(nullptr);
        QDir::setCurrent(oldCwd_);
        SetRegistry(nullptr);
    }

    std::string FileBytes(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // What the prompt was asked, each as "caption|text".
    std::vector<std::string> Asked() const {
        std::vector<std::string> out;
        for (const auto& r : responder_.Asked()) out.push_back(r.caption + "|" + r.text);
        return out;
    }
    void WriteFile(const std::string& path, const std::string& bytes) const {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    ProgramState program_;
    QTemporaryDir dir_;
    std::string file_;
    FileRegistryStore* store_ = nullptr;
    Prompt::ScriptedResponder responder_;
    std::string editorOpened_;
    bool editorWorks_ = true;
    QString oldCwd_;
};
