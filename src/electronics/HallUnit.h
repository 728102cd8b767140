#pragma once
// The operations on the Hall electronics (GPIB primary address 3): voltage
// readings with over-range handling and auto-ranging, their delayed and
// integrated forms, the current source, the end-of-measurement disconnect and
// the status byte's text. The unit holds what it uses, given at
// construction: the bus slot, the program's core records (settings, run
// configuration, run state for the abort, status fields for the progress)
// and the buffer amplifier's byte link.
#include <functional>
#include <string>

#include "electronics/HallReadings.h"

class BufferAmplifierLink;
class BusSlot;
class GpibBus;
struct CoreRecords;

class HallUnit {
  public:
    HallUnit(BusSlot& bus, CoreRecords& records, BufferAmplifierLink& amplifier)
        : bus_(bus), records_(records), amplifier_(amplifier) {}
    HallUnit(const HallUnit&) = delete;
    HallUnit& operator=(const HallUnit&) = delete;

    // Secondary addresses of the electronics' functions.
    static constexpr int kPrimary = 3;
    static constexpr int kStatus = 6;
    static constexpr int kMatrix = 7;
    static constexpr int kSource = 8;
    static constexpr int kVoltmeter = 9;
    static constexpr int kCurveVoltmeter = 12;
    static constexpr int kCurrentMeter = 13;

    // Codes of the measurement errors (xmeas). A reply without a number has
    // neither the over-range nor the saturation bit: callers that step the
    // gain down or blame the current must not take it for either.
    static constexpr int kOverRangeCode = 1;
    static constexpr int kSaturatingCode = 2;
    static constexpr int kNoReadingCode = 4;

    // One reading at the present gain. xmeas "A/D OverRange" (1),
    // "I-meas Saturating" (2) or, for a reply that is not one number (junk
    // after it, a cut reply or the rest of one), "V-meas Unreadable" (4);
    // bus errors pass as xgpib.
    void ReadVoltage(double& value);
    // The current meter's reading (secondary 13), in the unit it was set in.
    // xmeas "I-meas Unreadable" (4) for a reply that is not one number.
    double ReadCurrent();
    // The IV curve's reading (secondary 12): a value or over range; xmeas
    // "V-meas Unreadable" (4) for a reply that is not one number.
    static HallReading ReadCurveVoltage(GpibBus& bus);
    // The status word (secondary 7). A reply that is not one number is read
    // past, up to kStatusWordAttempts reads (enough for the pieces of a cut
    // reply 15 buffers long); then xmeas "Status Unreadable" (4). Bus errors
    // pass as xgpib.
    static constexpr int kStatusWordAttempts = 24;
    // The meters' readings (secondaries 9, 12, 13) read past the pieces of a
    // cut reply the same way (at most kStatusWordAttempts reads) and take a
    // new reading after a whole reply that is not one number, up to
    // kReadingRepeats whole replies; then the reading has failed.
    static constexpr int kReadingRepeats = 3;
    static int ReadStatusWord(GpibBus& bus);
    // Auto-ranging: the gain (0..3, in and out) rises a decade at a time until
    // the reading exceeds 0.55 or the gain is 3; after an over range it steps
    // down and stops at the first good reading.
    void ReadVoltageAutoGain(double& value, int& gain);
    // Fixed gain and offset, stepping down (offset / 10) on over range.
    void ReadVoltageGainOffset(double& value, int& gain, int& offset);

    // The same three, taken once a second for the configured delay (the last
    // reading counts); at once when the delay is 0. The operator's abort
    // throws true; a failing last reading raises xmeas "Measurement Failure"
    // with its code; a bus error raises xgpib "GPIB".
    void MeasureVoltage(double& value);
    void MeasureVoltageAutoGain(double& value, int& gain);
    void MeasureVoltageGainOffset(double& value, int& gain, int& offset);

    // Plain readings averaged over the configured integration time.
    void IntegrateVoltage(double& value);

    // Programs the configured current, stores back what the source reports
    // and tells an installed buffer amplifier its range. When the read-back
    // is unreadable the configured current is kept and xmeas is raised.
    void SetCurrent();
    // 0 when the configured current is within the source's limits, else
    // clamps it: 1 above / 2 below the buffered limits, 3 above / 4 below the
    // standard ones.
    int LimitCurrent();
    // Ends a measurement: buffered bytes 128, 64; "S0M77"; focus to the main window.
    void Disconnect();

    static std::string StatusText(int statusByte);

    // The shell's way of taking the keyboard focus back after Disconnect.
    void SetFocusCallback(std::function<void()> callback) { focus_ = std::move(callback); }

  private:
    // Runs a reading once a second for the configured delay (the last one counts).
    void RunDelayed(const std::function<void()>& takeReading, double& value);

    BusSlot& bus_;
    CoreRecords& records_;
    BufferAmplifierLink& amplifier_;
    std::function<void()> focus_;
};
