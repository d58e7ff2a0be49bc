// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"

#include <QApplication>
#include <QIcon>
#include <memory>

#include "common/clock.h"
#include "link/system_serial_port.h"
#include "ui/main_dialog.h"
#include "ui/settings_store.h"

namespace zentaro {

int RunApplication() {
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setOrganizationName(QStringLiteral("Veltrona"));

    SettingsStore settings;
    SystemClock clock;
    MainDialog dialog(settings, NewSystemSerialPort(), clock);
    QApplication::setWindowIcon(dialog.windowIcon());
    if (!dialog.Initialise()) {
        return 1;
    }
    dialog.exec();
    return 0;
}

}  // namespace zentaro
