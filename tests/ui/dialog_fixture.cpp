// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_fixture.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include "link/posix/posix_serial_port.h"

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
    // A real event loop, as the program's own: it wakes at once for whatever the command
    // posts, where a loop of short sleeps would answer the desktop late. The deadline is long
    // enough for the longest paced command the tests run.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog->Busy()) {
            loop.quit();
        }
    });
    QTimer::singleShot(60000, &loop, [&] { loop.quit(); });
    poll.start(5);
    loop.exec();
    EXPECT_FALSE(dialog->Busy());
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
