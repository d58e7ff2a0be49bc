// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zentaro {

// One value of the per-user store: a section and a value name.
struct SettingKey {
    const char* section;
    const char* name;
};

// Every value the program reads or writes. The blanks at the end of the two verify names
// belong to the names.
inline constexpr SettingKey kFileNameKey{"文件", "名称"};
inline constexpr SettingKey kDeviceNameKey{"Device", "名称"};
inline constexpr SettingKey kVerifyFlashKey{"Settings", "校验 Flash  "};
inline constexpr SettingKey kVerifyEepromKey{"Settings", "校验 EEPROM  "};
inline constexpr SettingKey kIgnoreChecksumKey{"Settings", "Ignore Checksum"};
inline constexpr SettingKey kHelpTimeOutKey{"Settings", "HelpTimeOut"};

// The per-user settings of company "Veltrona", application "Zentaro": an INI file in the
// user's configuration folder (the current user's registry on Windows). Only this user's
// store is consulted; system-wide copies are ignored. A missing or unreadable value reads
// as the default.
class SettingsStore {
public:
    QString ReadText(SettingKey key, const QString& defaultValue) const;
    int ReadInteger(SettingKey key, int defaultValue) const;
    [[nodiscard]] bool WriteText(SettingKey key, const QString& text);
};

}  // namespace zentaro
