#include "measure/MeasurementRun.h"

#include <QWidget>
#include <utility>

#include "bus/GpibBus.h"
#include "electronics/HallUnit.h"
#include "records/LogFile.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "records/ProgramState.h"
#include "measure/Results.h"
#include "measure/RunFrame.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

MeasurementRun::MeasurementRun(std::string resourceName, ProgramState& program, QObject* parent)
    : QObject(parent), program_(program), resourceName_(std::move(resourceName)), fields_(this) {
    setObjectName(QString::fromStdString(resourceName_));
}

void MeasurementRun::WriteHall(int secondary, const std::string& text) const {
    program_.Bus().Write(HallUnit::kPrimary, secondary, text);
}

void MeasurementRun::ShowStatus(const std::string& text, const std::string& detail) const {
    program_.Status().SetText(text);
    program_.Status().SetDetail(detail);
}

void MeasurementRun::RunResistivity(const std::function<void()>& steps,
                                    const std::function<std::string()>& logBlock) {
    constexpr unsigned kLogIncludeResistivity = 4;
    const RunEnd end = RunSteps(program_, [&] {
        program_.Hall().SetCurrent();
        steps();
        program_.State().measurementStatus = 0;
        ShowStatus("Ready", "");
    });
    if (end == RunEnd::Completed)
        program_.Results().measured |= MeasurementResults::kResistivityMeasured;
    FinishRun(program_, end, kLogIncludeResistivity, logBlock,
              [this] { ResultsUpdateResistivity(program_); });
}

void MeasurementRun::SetOwner(QWidget* owner) {
    owner_ = owner;
}

QWidget* MeasurementRun::Owner() const {
    return owner_.data();
}

RunEnd RunSteps(ProgramState& program, const std::function<void()>& steps) {
    try {
        steps();
        return RunEnd::Completed;
    } catch (const xgpib&) {
        program.Status().SetText("ERROR");
        program.Status().SetDetail("GPIB");
        return RunEnd::BusError;
    } catch (bool) {
        program.Status().SetText("Cancelled");
        program.Status().SetDetail("");
        return RunEnd::Cancelled;
    } catch (const xmsg& error) {
        program.Status().SetText("ERROR");
        program.Status().SetDetail(error.why());
        return RunEnd::Failed;
    } catch (const std::exception& error) {
        // Nothing may escape into the event loop that called the run.
        program.Status().SetText("ERROR");
        program.Status().SetDetail(error.what());
        return RunEnd::Failed;
    }
}

void FinishRun(ProgramState& program, RunEnd end, unsigned logMask,
               const std::function<std::string()>& logBlock, const std::function<void()>& results) {
    if (end == RunEnd::BusError) return;
    RunSteps(program, [&] {
        program.Hall().Disconnect();
        AppendLogBlock(program, logMask, logBlock());
        if (results) results();
    });
}

void CheckCancel(ProgramState& program) {
    Pump();
    if (program.State().cancelRequested) ThrowAbort();
}

void AppendLogBlock(ProgramState& program, unsigned mask, const std::string& block) {
    if ((program.Settings().LogInclude & mask) != 0 && program.Log().IsOpen())
        program.Log().Append(block);
}

std::string FieldText(const FieldSet& fields, int id, std::size_t limit) {
    std::string text = fields.Get(id);
    if (text.size() > limit) text.resize(limit);
    return text;
}
