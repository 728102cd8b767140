#pragma once
// The contact blaster of the Hall electronics: pair selection on secondary 4,
// pulses on secondary 5 and the pair's two resistance values read back from
// secondary 5. The dialog TBlast is its view; this class holds the state and
// does the traffic, so the sequences run and are tested without widgets.
#include <string>
#include <string_view>

#include "core/FieldSet.h"

class Instruments;
class QWidget;

class Blaster {
  public:
    static constexpr int kIntensityField = 107;
    static constexpr int kFirstValueField = 110;
    static constexpr int kSecondValueField = 111;
    static constexpr int kModeSecondary = 4;
    static constexpr int kPulseSecondary = 5;
    static constexpr int kIdentitySecondary = 6;
    // The identification of a unit that pulses both polarities.
    static constexpr const char* kTwoPolarityIdentity = "R44/1.1";

    enum class Pair { OneTwo, ThreeFour };

    // Intensity 3, pair 1-2, one-polarity commands. Talks to the bus of the
    // instruments it is given, checks the lid through their magnet.
    explicit Blaster(Instruments& instruments);
    // Unless in demo mode reads the identification at secondary 6; bus errors
    // pass as xgpib and leave the one-polarity commands.
    void Identify();

    // The dialog opens: pair 1-2 ("F") and the resistances.
    void Open();
    // "F" or "R", 110 ms settling, the resistances.
    void Select(Pair pair);
    // The lid check, then "I%d%s" and the resistances. False when the lid
    // stayed open and nothing was sent.
    bool Pulse(int pulses, QWidget* owner);
    // "Meas": reads the two values.
    void Measure();
    // The up-down control: +1 or -1, within 1..5.
    void StepIntensity(int delta);
    // The dialog closes: "H".
    void Close();

    // "I3P1", "I3P5N5", ...
    std::string PulseCommand(int pulses) const;

    int Intensity() const { return intensity_; }
    Pair Selected() const { return pair_; }
    FieldSet& Fields() { return fields_; }

  private:
    void ShowIntensity();
    void Write(int secondary, const std::string& text);
    // Demo mode: nothing is sent or read.
    bool Demo() const;

    Instruments& instruments_;
    FieldSet fields_;
    int intensity_ = 3;
    bool twoPolarity_ = false;
    Pair pair_ = Pair::OneTwo;
};

// Splits the blaster's reply at its first comma. A reply without a comma is
// shown whole as the first value, the second stays empty.
void SplitBlasterReply(std::string_view reply, std::string& first, std::string& second);
