#include "ui/device_lists.h"

#include "catalogue/device_table.h"

namespace zentaro {

namespace {

constexpr qsizetype kRestoreCompareLength = 16;

// Locale-independent order, so the lists read the same whatever LANG says.
QStringList Sorted(QStringList names) {
    names.sort(Qt::CaseSensitive);
    return names;
}

}  // namespace

ReportedDevices DevicesForCodes(std::span<const uint8_t> reply) {
    ReportedDevices devices;
    for (const uint8_t code : reply) {
        if (code == 0) {
            break;
        }
        ++devices.codeCount;
        if (const char* name = NameForCode(code)) {
            devices.names.append(QString::fromUtf8(name));
        }
    }
    devices.names = Sorted(devices.names);
    return devices;
}

QStringList ProgrammerTypeLabels(std::span<const uint8_t> reply) {
    QStringList labels;
    if (!reply.empty() && reply.front() == '?') {
        return labels;
    }
    for (const uint8_t mode : reply) {
        if (mode == 0) {
            break;
        }
        for (const ProgrammerModeRecord* row : ModesForCharacter(mode)) {
            labels.append(QString::fromUtf8(row->label));
        }
    }
    return Sorted(labels);
}

QStringList DevicesFromTable(uint8_t level, uint8_t typeMask) {
    QStringList names;
    for (const std::string& name : DevicesForProgrammer(level, typeMask)) {
        names.append(QString::fromStdString(name));
    }
    return Sorted(names);
}

int RestoreIndex(const QStringList& entries, const QString& storedName) {
    const QStringView wanted = QStringView(storedName).left(kRestoreCompareLength);
    int index = 0;
    for (int i = 0; i < entries.size(); ++i) {
        if (QStringView(entries[i]).left(kRestoreCompareLength) == wanted) {
            index = i;
        }
    }
    return index;
}

}  // namespace zentaro
