#pragma once
// What the controllers' replies mean. Each reader takes the reply text as it
// came off the line and gives a value, or nothing when the text carries no
// usable value: a reply we cannot read never becomes a temperature of 0.
#include <cstddef>
#include <optional>
#include <string>

// LN2 controller readings in tenths of a kelvin: the decimal point goes in
// before the last character ("2931" reads 293.1, "5" reads .5). The text is
// the reading text as the panels show it, cut to its seven characters.
struct TenthsReading {
    std::string text;
    double kelvin = 0.0;
};
std::optional<TenthsReading> ReadTenths(const std::string& reply);

// The LN2 heater output, 0 to 65535.
std::optional<int> ReadHeaterOutput(const std::string& reply);
// The LN2 cryostat's vacuum in mbar: a finite number above 0.
std::optional<double> ReadVacuum(const std::string& reply);
// The vacuum gauge's reading, (3 - log10 v) x 20 truncated: 1000 mbar is 0 %,
// 1 mbar 60 %, 0.001 mbar 120 %. The gauge shows 0 to 100, so a reading
// beyond an end shows that end: better than 1e-2 mbar fills the bar.
int VacuumPercentRaw(double mbar);
int VacuumPercent(double mbar);
// A percentage as a gauge shows it: 0 to 100.
int GaugePercent(long long percent);

// An ITC5 "R" reply: the characters from the third on are an integer in
// tenths ("R+2931" is 2931), the second its sign. A reply that does not start
// with "R" (the controller's "?R2" for a command it did not take) is none.
std::optional<long> ReadItcTenths(const std::string& reply);

// The ITC5 status reply to "X". A reply shorter than ten characters lacks
// the later fields: a missing character counts as absent (no automatic-mode
// digit, no computer control, the heater on the cryostat sensor).
struct ItcStatus {
    std::optional<char> autoDigit;  // index 3, an ASCII digit '0' to '7'
    bool computerControl = false;   // index 5 is "1"
    bool sampleSensor = false;      // index 9 is "2"
    // The digit's code as the bits read (0 when absent).
    int Code() const { return autoDigit ? static_cast<unsigned char>(*autoDigit) : 0; }
    bool HeaterAuto() const { return (Code() & 1) != 0; }
    bool GasAuto() const { return (Code() & 2) != 0; }
    bool GasInitial() const { return (Code() & 4) != 0; }
};
ItcStatus ReadItcStatus(const std::string& reply);

// The hot stage's reply buffer: 35 characters and the terminator. Bytes go in
// one at a time; the reply ends after a line feed. Bytes beyond the buffer
// are dropped. The bytes are kept as they came, so that an ETX and a NUL
// inside the reply stay apart.
class HotReply {
  public:
    static constexpr std::size_t kCapacity = 35;
    // False when the reply has ended (a line feed was stored).
    bool Add(char byte);
    // The text up to the terminator (the ETX, or a NUL before it).
    std::string Text() const;
    // The bytes as received.
    const std::string& Raw() const { return stored_; }
    bool Empty() const { return stored_.empty(); }
    void Clear() { stored_.clear(); }

  private:
    std::string stored_;
};

// The reading of the hot stage's reply to the read message, taken only from
// a whole frame: STX, "0100XRS,", a number (blanks around it allowed), ETX,
// then nothing but the line end. The text is the number as sent, cut to
// seven characters. Nothing for any other reply: a reply without its STX,
// one cut short (no ETX), one with a NUL or junk inside. Whether the value
// lies within the stage's limits is the caller's test.
std::optional<TenthsReading> ReadHotTemperature(const std::string& rawReply);
