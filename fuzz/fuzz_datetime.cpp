// The fixed regional date/time settings text and the texts formatted from
// any settings it gives: a refusal or settings, and time and date texts that
// stay within their fields whatever the clock says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "records/DateTimeText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first bytes, when there are enough, are the clock's fields.
    std::tm local{};
    if (size >= 5 * sizeof(int)) {
        int fields[5];
        std::memcpy(fields, data, sizeof fields);
        local.tm_hour = fields[0] % 24;
        if (local.tm_hour < 0) local.tm_hour += 24;
        local.tm_min = ((fields[1] % 60) + 60) % 60;
        local.tm_mday = ((fields[2] % 31) + 31) % 31 + 1;
        local.tm_mon = ((fields[3] % 12) + 12) % 12;
        local.tm_year = fields[4] % 100000;
        data += sizeof fields;
        size -= sizeof fields;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    DateTimeSettings settings;
    std::string now;
    const bool ok = ParseDateTimeSettings(text, settings, &now);
    if (!ok) return 0;
    if (settings.sDate.size() != 1 || settings.sTime.size() != 1) std::abort();
    if (settings.s1159.size() > 4 || settings.s2359.size() > 4) std::abort();
    if (!now.empty() && text.find("now=" + now) == std::string::npos) std::abort();
    DateTimeText formatter(settings);
    formatter.Format(local);
    if (formatter.Time().size() > 11 || formatter.Date().size() > 11) std::abort();
    return 0;
}
