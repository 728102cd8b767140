#include "records/ArchiveSettings.h"
#include "records/DateTimeText.h"
#include "records/LogFile.h"
#include "records/RecordsState.h"
#include "records/CurrentSets.h"
#include "records/GraphStyle.h"
#include "platform/Launch.h"
#include "records/PageSetup.h"
#include "core/InstalledPart.h"
#include "records/RecordParts.h"
#include "records/RecordsLinks.h"
#include "records/ScanSettings.h"

namespace {
InstalledPart<RecordParts>& Part() {
    static InstalledPart<RecordParts> part;
    return part;
}

double& OwnSetPoint() {
    return CurrentRecordParts().ownSetPoint;
}
}  // namespace

RecordParts& CurrentRecordParts() {
    return Part().Current();
}

RecordParts* InstallRecordParts(RecordParts* parts) {
    return Part().Install(parts);
}

ScanSettings& Scan() {
    return CurrentRecordParts().scan;
}
GraphStyle& Style() {
    return CurrentRecordParts().style;
}
PageSetup& PrinterPage() {
    return CurrentRecordParts().page;
}
ArchiveSettings& Archive() {
    return CurrentRecordParts().archive;
}
CurrentSets& Sets() {
    return CurrentRecordParts().sets;
}
RecordsLinks& Links() {
    static RecordsLinks links;
    return links;
}

double ControllerSetPoint() {
    return Links().getSetPoint ? Links().getSetPoint() : OwnSetPoint();
}

void SetControllerSetPoint(double kelvin) {
    if (Links().setSetPoint) {
        Links().setSetPoint(kelvin);
    } else {
        OwnSetPoint() = kelvin;
    }
}

std::string ControllerText() {
    return Links().temperatureText ? Links().temperatureText() : std::string("AMB");
}

bool OpenInEditor(const std::string& path) {
    return Links().openEditor ? Links().openEditor(path) : Launch::OpenInEditor(path);
}

namespace {
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t GetLe32(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return v;
}
}  // namespace

std::vector<std::uint8_t> PointStyle::Pack() const {
    std::vector<std::uint8_t> out;
    out.reserve(kBytes);
    PutLe32(out, static_cast<std::uint32_t>(shape));
    PutLe32(out, static_cast<std::uint32_t>(size));
    PutLe32(out, lineColor);
    PutLe32(out, fillColor);
    return out;
}

bool PointStyle::Unpack(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kBytes) return false;
    shape = static_cast<std::int32_t>(GetLe32(bytes, 0));
    size = static_cast<std::int32_t>(GetLe32(bytes, 4));
    lineColor = GetLe32(bytes, 8);
    fillColor = GetLe32(bytes, 12);
    return true;
}

void ResetRecordsState() {
    ResetMagnetState();
    ResetTemperatureState();
    Scan() = ScanSettings{};
    Style() = GraphStyle{};
    PrinterPage() = PageSetup{};
    Archive() = ArchiveSettings{};
    Sets() = CurrentSets{};
    Links() = RecordsLinks{};
    OwnSetPoint() = 293.0;
    Log().SetChangeListener(nullptr);
    Log().Close();
    SetClockForTesting(nullptr);
    SetDateTimeSettings(SystemDateTimeSettings());
}
