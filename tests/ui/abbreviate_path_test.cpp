// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/abbreviate_path.h"

#include <gtest/gtest.h>

#include "ui/qt_printers.h"

namespace zentaro {
namespace {

TEST(AbbreviatePath, DropsWholeFoldersBehindTheVolume) {
    EXPECT_EQ(AbbreviatePath("C:\\dir1\\dir2\\dir3\\file.hex", 20), "C:\\dir1\\...\\file.hex");
    // One character more leaves room for nothing more: a folder goes only as a whole.
    EXPECT_EQ(AbbreviatePath("C:\\dir1\\dir2\\dir3\\file.hex", 24), "C:\\dir1\\...\\file.hex");
    EXPECT_EQ(AbbreviatePath("C:\\dir1\\dir2\\dir3\\file.hex", 25),
              "C:\\dir1\\...\\dir3\\file.hex");
}

TEST(AbbreviatePath, LeavesAPathThatFits) {
    EXPECT_EQ(AbbreviatePath("C:\\dir1\\dir2\\dir3\\file.hex", 26),
              "C:\\dir1\\dir2\\dir3\\file.hex");
    EXPECT_EQ(AbbreviatePath("C:\\dir1\\file.hex", 100), "C:\\dir1\\file.hex");
    EXPECT_EQ(AbbreviatePath("", 0), "");
}

TEST(AbbreviatePath, FileInTheRootIsCutToItsNameNeverGivenDots) {
    const QString path = "C:\\averyveryverylongname.hex";
    EXPECT_EQ(AbbreviatePath(path, static_cast<int>(path.size()) - 1), "averyveryverylongname.hex");
    EXPECT_EQ(AbbreviatePath(path, 5), "averyveryverylongname.hex");
}

TEST(AbbreviatePath, NameAloneWhenVolumeAndNameDoNotFit) {
    // Volume "C:\dir1" (7) + "\..." + "\" + name (8) needs 20.
    EXPECT_EQ(AbbreviatePath("C:\\dir1\\dir2\\dir3\\file.hex", 19), "file.hex");
}

TEST(AbbreviatePath, NetworkPathKeepsServerAndShare) {
    const QString path = "\\\\server\\share\\projects\\board\\out\\file.hex";
    EXPECT_EQ(AbbreviatePath(path, 27), "\\\\server\\share\\...\\file.hex");
    EXPECT_EQ(AbbreviatePath(path, 31), "\\\\server\\share\\...\\out\\file.hex");
    EXPECT_EQ(AbbreviatePath(path, 26), "file.hex");
    // Directly in the share, there is no folder to drop.
    EXPECT_EQ(AbbreviatePath("\\\\server\\share\\file.hex", 20), "file.hex");
}

TEST(AbbreviatePath, ForwardSlashPathsKeepTheirFirstFolder) {
    const QString path = "/home/user/projects/board/out/main.hex";
    EXPECT_EQ(AbbreviatePath(path, 22), "/home/.../out/main.hex");
    EXPECT_EQ(AbbreviatePath(path, 18), "/home/.../main.hex");
    EXPECT_EQ(AbbreviatePath("/averyveryverylongname.hex", 10), "averyveryverylongname.hex");
}

TEST(AbbreviatePath, CountsWholeCharacters) {
    // Four CJK characters and one outside the basic plane are one character each.
    const QString path = QString::fromUtf8("C:\\工程\\固件\\版本\\程序😀.hex");
    ASSERT_EQ(path.toStdU32String().size(), 19u);
    EXPECT_EQ(AbbreviatePath(path, 18), QString::fromUtf8("C:\\工程\\...\\程序😀.hex"));
    EXPECT_EQ(AbbreviatePath(path, 6), QString::fromUtf8("程序😀.hex"));
}

TEST(AbbreviatePath, NameLongerThanMaxIsKeptWhole) {
    EXPECT_EQ(AbbreviatePath("C:\\dir\\firmware.hex", 3), "firmware.hex");
    EXPECT_EQ(AbbreviatePath("C:\\dir\\firmware.hex", -1), "firmware.hex");
    EXPECT_EQ(AbbreviatePath("C:\\dir\\a:b.hex", 3), "b.hex");
}

}  // namespace
}  // namespace zentaro
