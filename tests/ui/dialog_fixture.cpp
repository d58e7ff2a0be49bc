// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_fixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include "link/posix_serial_port.h"
#include "ui/wait_for.h"

namespace zentaro::test {

DialogTest::DialogTest() {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.path());
}

DialogTest::~DialogTest() {
    dialog.reset();
    if (simulator) {
        simulator->Stop();
    }
}

QString DialogTest::SettingsFile() const {
    return home_.filePath("Veltrona/Zentaro.ini");
}

void DialogTest::WriteSettingsFile(const QByteArray& ini) const {
    QDir(home_.path()).mkpath("Veltrona");
    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ini);
}

std::unique_ptr<QSettings> DialogTest::RawSettings() const {
    return std::make_unique<QSettings>(SettingsFile(), QSettings::IniFormat);
}

void DialogTest::WaitIdle() const {
    // Long enough for the longest paced command the tests run.
    EXPECT_TRUE(WaitFor([this] { return !dialog->Busy(); }, 60000));
}

void DialogTest::Click(const char* button) const {
    Find<QPushButton>(button)->click();
    WaitIdle();
}

bool DialogTest::StartScripted() {
    auto scripted = std::make_unique<ScriptedPort>();
    scripted->SetResponder(board.Responder());
    port = scripted.get();
    dialog = std::make_unique<MainDialog>(store, std::move(scripted), fakeClock_);
    return dialog->Initialise();
}

bool DialogTest::StartInMemory(const std::vector<std::string>& options) {
    memoryBoard = std::make_unique<InMemoryBoard>(options);
    dialog = std::make_unique<MainDialog>(store, memoryBoard->Port(), memoryBoard->PauseClock());
    return dialog->Initialise();
}

bool DialogTest::StartSimulated(const std::vector<std::string>& options) {
    simulator = std::make_unique<sim::SimServer>(options, home_.path().toStdString());
    if (!simulator->Start()) {
        ADD_FAILURE() << simulator->Error();
        return false;
    }
    PortNames names{.configHome = home_.path().toStdString(), .fallbackDevices = {}};
    dialog =
        std::make_unique<MainDialog>(store, std::make_unique<PosixSerialPort>(names), systemClock_);
    return dialog->Initialise();
}

}  // namespace zentaro::test
