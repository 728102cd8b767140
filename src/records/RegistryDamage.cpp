#include "records/RegistryDamage.h"

#include "platform/FileRegistryStore.h"
#include "core/Printf.h"

RegistryDamageReport HandleDamagedRegistry(FileRegistryStore& store) {
    RegistryDamageReport report;
    if (!store.Damaged()) return report;
    report.damaged = true;
    report.caption = "Registry File Damaged";
    const std::string file = store.Location();
    const std::string where = store.DamagedLine() > 0 ? Printf("line %d: %s", store.DamagedLine(),
                                                               store.DamageText().c_str())
                                                      : store.DamageText();
    report.asidePath = store.SetAside();
    report.setAside = !report.asidePath.empty();
    if (report.setAside) {
        report.text = Printf(
            "The registry file\n%s\ncould not be read (%s).\n\nIt has been kept as\n%s\nand "
            "the program continues with an empty registry.",
            file.c_str(), where.c_str(), report.asidePath.c_str());
    } else {
        report.text = Printf(
            "The registry file\n%s\ncould not be read (%s).\n\nIt could not be set aside; "
            "no settings will be saved in this run.",
            file.c_str(), where.c_str());
    }
    return report;
}

RegistryDamageReport HandleDamagedRegistry(RegistryStore& store) {
    if (auto* file = dynamic_cast<FileRegistryStore*>(&store)) return HandleDamagedRegistry(*file);
    return {};
}
