// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings_store.h"

#include <QSettings>

namespace zentaro {

namespace {

QString KeyPath(SettingKey key) {
    return QString::fromUtf8(key.section) + QLatin1Char('/') + QString::fromUtf8(key.name);
}

// A fresh view of the store for each call: nothing is cached between calls, so a value
// edited by hand takes effect at the next read.
class UserSettings : public QSettings {
public:
    UserSettings() : QSettings(StoreFormat(), QSettings::UserScope, "Veltrona", "Zentaro") {
        setFallbacksEnabled(false);
    }

private:
    static Format StoreFormat() {
#ifdef Q_OS_WIN
        return NativeFormat;
#else
        return IniFormat;
#endif
    }
};

}  // namespace

QString SettingsStore::ReadText(SettingKey key, const QString& defaultValue) const {
    UserSettings settings;
    const QVariant value = settings.value(KeyPath(key));
    return value.isValid() ? value.toString() : defaultValue;
}

int SettingsStore::ReadInteger(SettingKey key, int defaultValue) const {
    UserSettings settings;
    // Through the text: QVariant::toInt wraps numbers that do not fit into 32 bits.
    bool ok = false;
    const int value = settings.value(KeyPath(key)).toString().trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

bool SettingsStore::WriteText(SettingKey key, const QString& text) {
    UserSettings settings;
    settings.setValue(KeyPath(key), text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace zentaro
