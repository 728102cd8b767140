#include "records/DateTimeText.h"

#include <QLocale>
#include <cstdlib>
#include <memory>

#include "core/Printf.h"

namespace {
std::function<std::tm()>& Clock() {
    static std::function<std::tm()> clock;
    return clock;
}

std::string Fit(std::string text, std::size_t max) {
    if (text.size() > max) text.resize(max);
    return text;
}

// The fields of a short format: the first run of a pattern letter and the
// first character after it that is not a letter (the separator).
struct Field {
    int pos = -1;
    int width = 0;
};

Field FindField(const QString& format, QChar letter) {
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        if (format[i] == '\'') quoted = !quoted;
        if (quoted || format[i] != letter) continue;
        Field f{i, 0};
        while (i < format.size() && format[i] == letter) {
            ++f.width;
            ++i;
        }
        return f;
    }
    return {};
}

std::string SeparatorAfter(const QString& format, const Field& field) {
    if (field.pos < 0) return {};
    const int i = field.pos + field.width;
    if (i >= format.size()) return {};
    const QChar c = format[i];
    if (c.isLetter() || c == '\'' || c.isSpace()) return {};
    return QString(c).toLatin1().toStdString();
}

void FromTimeFormat(const QString& format, DateTimeSettings& s) {
    const Field h24 = FindField(format, 'H');
    const Field h12 = FindField(format, 'h');
    const Field hour = h24.pos >= 0 ? h24 : h12;
    if (hour.pos < 0) return;
    const bool designator = format.contains('A') || format.contains('a');
    s.iTime = (h24.pos >= 0 || !designator) ? 1 : 0;
    s.iTLZero = hour.width >= 2 ? 1 : 0;
    if (auto sep = SeparatorAfter(format, hour); sep.size() == 1) s.sTime = sep;
}

void FromDateFormat(const QString& format, DateTimeSettings& s) {
    const Field d = FindField(format, 'd');
    const Field m = FindField(format, 'M');
    const Field y = FindField(format, 'y');
    if (d.pos < 0 || m.pos < 0 || y.pos < 0) return;
    if (m.pos < d.pos && d.pos < y.pos) {
        s.iDate = 0;
    } else if (d.pos < m.pos && m.pos < y.pos) {
        s.iDate = 1;
    } else if (y.pos < m.pos && m.pos < d.pos) {
        s.iDate = 2;
    } else {
        return;  // an order the texts cannot show; keep the default
    }
    const Field first = s.iDate == 0 ? m : (s.iDate == 1 ? d : y);
    if (auto sep = SeparatorAfter(format, first); sep.size() == 1) s.sDate = sep;
}

std::unique_ptr<DateTimeText>& Formatter() {
    static std::unique_ptr<DateTimeText> formatter;
    return formatter;
}

bool ParseTimestamp(const std::string& text, std::tm& out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    const int n =
        std::sscanf(text.c_str(), "%d-%d-%d%*[ T]%d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (n < 5 || n > 6) return false;
    // Years outside 1 to 9999 cannot be stamped (and would overflow the
    // calendar's year count).
    if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || s < 0 || s > 60)
        return false;
    out = std::tm{};
    out.tm_year = y - 1900;
    out.tm_mon = mo - 1;
    out.tm_mday = d;
    out.tm_hour = h;
    out.tm_min = mi;
    out.tm_sec = s;
    return true;
}
}  // namespace

bool ParseDateTimeSettings(const std::string& text, DateTimeSettings& s, std::string* fixedNow) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        if (item.empty()) continue;
        const auto eq = item.find('=');
        if (eq == std::string::npos) return false;
        const std::string key = item.substr(0, eq);
        const std::string value = item.substr(eq + 1);
        auto number = [&](int& field) {
            char* stop = nullptr;
            const long v = std::strtol(value.c_str(), &stop, 10);
            if (value.empty() || *stop != '\0') return false;
            field = static_cast<int>(v);
            return true;
        };
        bool ok = true;
        if (key == "iTime") {
            ok = number(s.iTime);
        } else if (key == "iTLZero") {
            ok = number(s.iTLZero);
        } else if (key == "iDate") {
            ok = number(s.iDate);
        } else if (key == "sDate") {
            ok = value.size() == 1;
            if (ok) s.sDate = value;
        } else if (key == "sTime") {
            ok = value.size() == 1;
            if (ok) s.sTime = value;
        } else if (key == "s1159") {
            s.s1159 = Fit(value, 4);
        } else if (key == "s2359") {
            s.s2359 = Fit(value, 4);
        } else if (key == "now") {
            std::tm check{};
            ok = ParseTimestamp(value, check);
            if (ok && fixedNow) *fixedNow = value;
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    return true;
}

DateTimeSettings SystemDateTimeSettings() {
    if (const char* fixed = std::getenv("VANTRIS_DATETIME"); fixed) {
        DateTimeSettings parsed;
        if (ParseDateTimeSettings(fixed, parsed)) return parsed;
        return DateTimeSettings{};
    }
    const QLocale locale = QLocale::system();
    return DateTimeSettingsFromFormats(locale.timeFormat(QLocale::ShortFormat),
                                       locale.dateFormat(QLocale::ShortFormat), locale.amText(),
                                       locale.pmText());
}

DateTimeSettings DateTimeSettingsFromFormats(const QString& timeFormat, const QString& dateFormat,
                                             const QString& am, const QString& pm) {
    DateTimeSettings s;
    FromTimeFormat(timeFormat, s);
    FromDateFormat(dateFormat, s);
    if (s.iTime == 0) {
        const std::string amText = am.toLatin1().toStdString();
        const std::string pmText = pm.toLatin1().toStdString();
        if (!amText.empty()) s.s1159 = Fit(amText, 4);
        if (!pmText.empty()) s.s2359 = Fit(pmText, 4);
    }
    return s;
}

DateTimeText::DateTimeText(DateTimeSettings settings) : settings_(std::move(settings)) {
    timeFormat_ = settings_.iTLZero != 0 ? "%02d%s%02d" : "%d%s%02d";
    if (settings_.iTime == 0) timeFormat_ += " %s";
}

void DateTimeText::Format(const std::tm& local) {
    int hour = local.tm_hour;
    const std::string& designator = hour > 11 ? settings_.s2359 : settings_.s1159;
    if (settings_.iTime == 0 && hour > 12) hour -= 12;
        // The format is one of the four chosen in the constructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    time_ = settings_.iTime == 0
                ? Printf(timeFormat_.c_str(), hour, settings_.sTime.c_str(), local.tm_min,
                         designator.c_str())
                : Printf(timeFormat_.c_str(), hour, settings_.sTime.c_str(), local.tm_min);
#pragma GCC diagnostic pop
    time_ = Fit(time_, 11);
    const int year = ((local.tm_year + 1900) % 100 + 100) % 100;
    const int month = local.tm_mon + 1;
    const int day = local.tm_mday;
    const char* sep = settings_.sDate.c_str();
    switch (settings_.iDate) {
        case 0:
            date_ = Printf("%02d%s%02d%s%02d", month, sep, day, sep, year);
            break;
        case 1:
            date_ = Printf("%02d%s%02d%s%02d", day, sep, month, sep, year);
            break;
        case 2:
            date_ = Printf("%02d%s%02d%s%02d", year, sep, month, sep, day);
            break;
        default:
            return;  // the date text keeps what it had
    }
    date_ = Fit(date_, 11);
}

DateTimeText& DateTimeTexts() {
    if (!Formatter()) Formatter() = std::make_unique<DateTimeText>(SystemDateTimeSettings());
    return *Formatter();
}

void SetDateTimeSettings(const DateTimeSettings& settings) {
    Formatter() = std::make_unique<DateTimeText>(settings);
}

void FormatNow() {
    DateTimeTexts().Format(LocalNow());
}
const std::string& TimeText() {
    return DateTimeTexts().Time();
}
const std::string& DateText() {
    return DateTimeTexts().Date();
}

void SetClockForTesting(std::function<std::tm()> clock) {
    Clock() = std::move(clock);
}

std::tm LocalNow() {
    if (Clock()) return Clock()();
    if (const char* fixed = std::getenv("VANTRIS_DATETIME"); fixed) {
        DateTimeSettings ignored;
        std::string now;
        std::tm t{};
        if (ParseDateTimeSettings(fixed, ignored, &now) && !now.empty() && ParseTimestamp(now, t))
            return t;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}
