// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>

#include "ui/dialog_fixture.h"

namespace zentaro::test {
namespace {

using SettingsStoreTest = DialogTest;

TEST_F(SettingsStoreTest, MissingValuesReadAsTheirDefaults) {
    EXPECT_EQ(store.ReadText(kFileNameKey, "none"), "none");
    EXPECT_EQ(store.ReadInteger(kHelpTimeOutKey, 3000), 3000);
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

TEST_F(SettingsStoreTest, WritesChineseSectionsAndNamesPercentEncoded) {
    const QString path = QString::fromUtf8("/home/用户/固件 v2, final.hex");
    EXPECT_TRUE(store.WriteText(kFileNameKey, path));
    EXPECT_TRUE(store.WriteText(kDeviceNameKey, "Mirval 10"));
    EXPECT_EQ(store.ReadText(kFileNameKey, QString()), path);

    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray ini = file.readAll();
    EXPECT_TRUE(ini.contains("[%U6587%U4EF6]\n%U540D%U79F0=")) << ini.constData();
    EXPECT_TRUE(ini.contains("[Device]\n%U540D%U79F0=Mirval 10")) << ini.constData();
}

TEST_F(SettingsStoreTest, IntegersAreReadThroughTheirText) {
    WriteSettingsFile(
        "[Settings]\n"
        "%U6821%U9A8C%20Flash%20%20=-4\n"
        "%U6821%U9A8C%20EEPROM%20%20=abc\n"
        "Ignore Checksum=7\n"
        "HelpTimeOut=4294967796\n");
    EXPECT_EQ(store.ReadInteger(kVerifyFlashKey, 1), -4);
    EXPECT_EQ(store.ReadInteger(kVerifyEepromKey, 1), 1);
    EXPECT_EQ(store.ReadInteger(kIgnoreChecksumKey, 0), 7);
    // Out of range for 32 bits: the default, not a wrapped 500.
    EXPECT_EQ(store.ReadInteger(kHelpTimeOutKey, 3000), 3000);
}

TEST_F(SettingsStoreTest, TrailingBlanksBelongToTheName) {
    WriteSettingsFile("[Settings]\n%U6821%U9A8C%20Flash=0\n");
    EXPECT_EQ(store.ReadInteger(kVerifyFlashKey, 1), 1);
}

TEST_F(SettingsStoreTest, OnlyThisUsersStoreIsRead) {
    QFile shared(TempPath("Veltrona.ini"));
    ASSERT_TRUE(shared.open(QIODevice::WriteOnly));
    shared.write("[Settings]\nHelpTimeOut=10\n[Device]\n%U540D%U79F0=Orlan 2\n");
    shared.close();
    EXPECT_EQ(store.ReadInteger(kHelpTimeOutKey, 3000), 3000);
    EXPECT_EQ(store.ReadText(kDeviceNameKey, "Orlan 1 rev. D/E/F"), "Orlan 1 rev. D/E/F");
}

TEST_F(SettingsStoreTest, GarbageFileReadsAsDefaults) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) {
        junk.append(static_cast<char>((i * 37 + 11) % 256));
    }
    WriteSettingsFile(junk);
    EXPECT_EQ(store.ReadText(kDeviceNameKey, "Orlan 2"), "Orlan 2");
    EXPECT_EQ(store.ReadInteger(kHelpTimeOutKey, 3000), 3000);
}

}  // namespace
}  // namespace zentaro::test
