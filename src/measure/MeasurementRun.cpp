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
    const RunEnd end = RunSteps([&] {
        HallUnit::SetCurrent();
        steps();
        program_.State().measurementStatus = 0;
        ShowStatus("Ready", "");
    });
    if (end == RunEnd::Completed)
        program_.Results().measured |= MeasurementResults::kResistivityMeasured;
    FinishRun(end, kLogIncludeResistivity, logBlock, ResultsUpdateResistivity);
}

void MeasurementRun::SetOwner(QWidget* owner) {
    owner_ = owner;
}

QWidget* MeasurementRun::Owner() const {
    return owner_.data();
}

RunEnd RunSteps(const std::function<void()>& steps) {
    try {
        steps();
        return RunEnd::Completed;
    } catch (const xgpib&) {
        Status().SetText("ERROR");
        Status().SetDetail("GPIB");
        return RunEnd::BusError;
    } catch (bool) {
        Status().SetText("Cancelled");
        Status().SetDetail("");
        return RunEnd::Cancelled;
    } catch (const xmsg& error) {
        Status().SetText("ERROR");
        Status().SetDetail(error.why());
        return RunEnd::Failed;
    } catch (const std::exception& error) {
        // Nothing may escape into the event loop that called the run.
        Status().SetText("ERROR");
        Status().SetDetail(error.what());
        return RunEnd::Failed;
    }
}

void FinishRun(RunEnd end, unsigned logMask, const std::function<std::string()>& logBlock,
               const std::function<void()>& results) {
    if (end == RunEnd::BusError) return;
    RunSteps([&] {
        HallUnit::Disconnect();
        AppendLogBlock(logMask, logBlock());
        if (results) results();
    });
}

void CheckCancel() {
    Pump();
    if (State().cancelRequested) ThrowAbort();
}

void AppendLogBlock(unsigned mask, const std::string& block) {
    if ((Settings().LogInclude & mask) != 0 && Log().IsOpen()) Log().Append(block);
}

std::string FieldText(const FieldSet& fields, int id, std::size_t limit) {
    std::string text = fields.Get(id);
    if (text.size() > limit) text.resize(limit);
    return text;
}
