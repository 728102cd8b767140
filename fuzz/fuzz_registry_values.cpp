// Registry values as the settings and style sets read them: numbers kept as
// text, DWORDs, point-style records, window positions and page margins. The
// store answers every query with the next value cut from the fuzz input, so
// the fuzzer controls each value's type, size and bytes. Whatever it gives,
// the live settings keep values the program can compute with: a number read
// is finite, a text fits its field, a record is taken whole or not at all.
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "records/GraphStyle.h"
#include "core/MeasurementSettings.h"
#include "records/PageSetup.h"
#include "records/ProgramState.h"
#include "records/RegValues.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "records/SettingsSets.h"
#include "core/SpecimenData.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}

// Each query takes: one byte of type (low 3 bits; 7 means "missing"), one
// byte of length, then that many bytes of data.
class FuzzStore : public RegistryStore {
  public:
    FuzzStore(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool KeyExists(const std::string&) override { return true; }
    bool CreateKey(const std::string&) override { return false; }
    std::vector<std::string> EnumKeys(const std::string&) override { return {}; }
    std::vector<Value> EnumValues(const std::string&) override { return {}; }
    std::optional<Value> Query(const std::string&, const std::string& name,
                               std::size_t bufferSize) override {
        if (pos_ + 2 > size_) return std::nullopt;
        const std::uint8_t type = data_[pos_] & 7;
        const std::size_t length = data_[pos_ + 1];
        pos_ += 2;
        const std::size_t take = std::min(length, size_ - pos_);
        Value v{name, type, std::vector<std::uint8_t>(data_ + pos_, data_ + pos_ + take)};
        pos_ += take;
        if (type == 7 || v.data.size() > bufferSize) return std::nullopt;
        return v;
    }
    bool Set(const std::string&, const std::vector<Value>&, bool) override { return false; }
    bool DeleteKey(const std::string&) override { return false; }
    bool DeleteValue(const std::string&, const std::string&) override { return false; }
    std::string Location() const override { return "fuzz"; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void CheckNumberText(const std::string& text) {
    const auto number = RegValues::ParseNumber(text);
    if (number) {
        Check(std::isfinite(*number));
        // What is written back reads back as the same number.
        const auto again = RegValues::ParseNumber(RegValues::General(*number, 17));
        Check(again && (*again == *number || (*again == 0 && *number == 0)));
        const auto fixed = RegValues::ParseNumber(RegValues::Fixed(*number, 6));
        Check(fixed.has_value());
    }
    const double leading = RegValues::LeadingNumber(text);
    Check(std::isfinite(leading));
    if (number) Check(leading == *number || (leading == 0 && *number == 0));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte: bit 0 with a controller (scan values and page set-up
    // are read), the rest of the input is the values in query order.
    // A fresh program state per input: the records a settings set is read into.
    ProgramState program;
    program.Config().controllerKind = (data[0] & 1) ? ControllerKind::LN2 : ControllerKind::None;
    if (data[0] & 2) program.Records().page.orientation = 1;

    CheckNumberText(std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    FuzzStore store(data + 1, size - 1);
    ReadSettingsSet(program, store, "fuzz");
    ReadStyleSet(program, store, "fuzz");
    (void)ReadWindowPositions(store);

    const MeasurementSettings& s = program.Settings();
    const SpecimenData& specimen = program.Specimen();
    for (double v : {s.Current, s.ScatFactor, s.Tesla, s.eVsurface, s.eVinner})
        Check(std::isfinite(v));
    Check(std::isfinite(specimen.Thickness));
    Check(s.Iunits >= 0 && s.Iunits <= 3);
    Check(specimen.Shape >= 0 && specimen.Shape <= 2);
    Check(specimen.WaferID.size() < SpecimenData::kIdSize);
    Check(specimen.Description.size() < SpecimenData::kDescriptionSize);
    Check(program.Records().style.FontName.size() < GraphStyle::kFontNameSize);

    // A point style record packs back into the bytes it came from.
    if (size >= 1 + PointStyle::kBytes) {
        const std::vector<std::uint8_t> bytes(data + 1, data + 1 + PointStyle::kBytes);
        PointStyle p;
        Check(p.Unpack(bytes));
        Check(p.Pack() == bytes);
        PointStyle untouched;
        Check(!untouched.Unpack(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1)));
        Check(untouched == PointStyle());
    }
    return 0;
}
