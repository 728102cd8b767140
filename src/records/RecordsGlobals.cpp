#include "records/DateTimeText.h"
#include "records/GraphStyle.h"
#include "records/RecordParts.h"
#include "records/RecordsState.h"
#include "platform/Launch.h"

double ControllerSetPoint(const RecordParts& parts) {
    return parts.links.getSetPoint ? parts.links.getSetPoint() : parts.ownSetPoint;
}

void SetControllerSetPoint(RecordParts& parts, double kelvin) {
    if (parts.links.setSetPoint) {
        parts.links.setSetPoint(kelvin);
    } else {
        parts.ownSetPoint = kelvin;
    }
}

std::string ControllerText(const RecordParts& parts) {
    return parts.links.temperatureText ? parts.links.temperatureText() : std::string("AMB");
}

bool OpenInEditor(const RecordParts& parts, const std::string& path) {
    return parts.links.openEditor ? parts.links.openEditor(path) : Launch::OpenInEditor(path);
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
    SetClockForTesting(nullptr);
    SetDateTimeSettings(SystemDateTimeSettings());
}
