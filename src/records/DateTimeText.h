#pragma once
// The time and date texts that stamp the log header, the archive records and
// the printed results page, formatted by the regional settings the program
// found when it started.
#include <ctime>
#include <functional>
#include <string>

class QString;

struct DateTimeSettings {
    int iTime = 0;    // 0 twelve-hour clock, otherwise twenty-four-hour
    int iTLZero = 0;  // hours with a leading zero when not 0
    int iDate = 0;    // 0 month-day-year, 1 day-month-year, 2 year-month-day
    std::string sDate = "/";
    std::string sTime = ":";
    std::string s1159 = "AM";
    std::string s2359 = "PM";
};

// The settings of the system's locale (short time and date formats), with the
// defaults where a setting cannot be derived. VANTRIS_DATETIME, when set,
// fixes them instead (see the module's README).
DateTimeSettings SystemDateTimeSettings();
// The settings shown by a locale's short time and date formats (Qt's
// pattern letters) and its AM/PM texts, over the defaults.
DateTimeSettings DateTimeSettingsFromFormats(const QString& timeFormat, const QString& dateFormat,
                                             const QString& am, const QString& pm);
// Parses the VANTRIS_DATETIME syntax over the defaults; false on a malformed
// text (then the result holds what was read before the fault).
bool ParseDateTimeSettings(const std::string& text, DateTimeSettings& settings,
                           std::string* fixedNow = nullptr);

// The formatter of the run.
class DateTimeText {
  public:
    explicit DateTimeText(DateTimeSettings settings);
    // Formats the given local time into the two texts.
    void Format(const std::tm& local);
    const std::string& Time() const { return time_; }
    const std::string& Date() const { return date_; }
    const DateTimeSettings& Settings() const { return settings_; }

  private:
    DateTimeSettings settings_;
    std::string timeFormat_;
    std::string time_;
    std::string date_;
};

// The run's formatter, made from SystemDateTimeSettings() on first use.
DateTimeText& DateTimeTexts();
// Replaces the run's settings (tests; start-up may call it to read them again).
void SetDateTimeSettings(const DateTimeSettings& settings);
// Formats the present local time (or the clock override) into the texts.
void FormatNow();
const std::string& TimeText();
const std::string& DateText();

// The present local time; a test may fix it. An empty function restores the clock.
void SetClockForTesting(std::function<std::tm()> clock);
std::tm LocalNow();
