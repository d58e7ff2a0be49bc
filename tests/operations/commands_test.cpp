// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "images/elf_reader.h"
#include "images/encrypted_image.h"
#include "operations/fake_board.h"
#include "operations/memory_commands.h"
#include "operations/test_files.h"

namespace zentaro {
namespace {

using test::Device;
using test::FakeBoard;
using test::HexText;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using Bytes = FakeBoard::Bytes;

constexpr char kNotHex[] = "您指定的文件不是一个有效的 Intel HEX 格式文件!  ";
constexpr char kChecksum[] = "Checksum not valid in Intel HEX file\nProceed?";

// One device on a fake board, the window's image and a folder for the files.
struct Bench {
    explicit Bench(const std::string& name, bool autoIncrement = true, uint32_t blockSize = 0)
        : device(Device(name)),
          board(device, autoIncrement, blockSize),
          image(device.flashSize, 0xFF) {}

    CommandContext Context(const std::string& fileName) {
        return CommandContext{board.Link(), board.Panel(), image, device, 3, {}, fileName};
    }
    // A HEX file in the scratch folder.
    std::string Hex(const std::map<uint32_t, std::vector<uint8_t>>& records) {
        const std::string path = dir.Path("in.hex");
        test::WriteFile(path, HexText(records));
        return path;
    }
    test::RecordingPanel& Panel() { return board.Panel(); }
    bool Sent(uint8_t letter) const {
        for (const Bytes& write : board.MemoryTraffic()) {
            if (write[0] == letter) {
                return true;
            }
        }
        return false;
    }
    // The command ended with programming mode left and the controls back.
    void ExpectSettled() {
        EXPECT_EQ(board.MemoryTraffic().back(), Bytes{'L'});
        EXPECT_FALSE(board.Link().InProgMode());
        EXPECT_TRUE(board.Panel().ControlsEnabled());
    }

    const DeviceRecord& device;
    FakeBoard board;
    std::vector<uint8_t> image;
    test::TempDir dir;
};

TEST(ProgramFlashTest, ProgramsVerifiesAndReports) {
    Bench bench("Orlan 8");
    CommandContext context = bench.Context(bench.Hex({{0x10, {1, 2, 3, 4}}}));

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_EQ(bench.board.flash, bench.image);
    EXPECT_EQ(bench.board.flash[0x13], 4);
    EXPECT_EQ(bench.Panel().Status(), "擦除芯片...      编程...       检验...     OK");
    const auto& log = bench.Panel().Log();
    EXPECT_EQ(log.front(), "enable: 0");
    EXPECT_EQ(log.back(), "timeout");
    EXPECT_THAT(bench.board.LampsLit(), ElementsAre(1013, 1012));
    EXPECT_TRUE(bench.Sent('e'));
    EXPECT_THAT(bench.board.Clock().sleeps, Contains(200u));
    EXPECT_TRUE(bench.Panel().ControlsEnabled());
    EXPECT_FALSE(bench.board.Link().InProgMode());
}

TEST(ProgramFlashTest, AByteAtAddressZeroIsData) {
    Bench bench("Orlan 8");
    CommandContext context = bench.Context(bench.Hex({{0, {0x5A}}}));

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_EQ(bench.board.flash[0], 0x5A);
    EXPECT_THAT(bench.board.MemoryTraffic(), Contains(Bytes{'c', 0x5A}));
}

TEST(ProgramFlashTest, AFileWithoutDataStillErasesAndSucceeds) {
    Bench bench("Orlan 8");
    bench.board.flash[7] = 0;
    CommandContext context = bench.Context(bench.Hex({}));

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_EQ(bench.board.flash[7], 0xFF);
    EXPECT_FALSE(bench.Sent('c'));
    EXPECT_FALSE(bench.Sent('R'));
    EXPECT_EQ(bench.Panel().Status(), "擦除芯片...      编程...       检验...     OK");
    EXPECT_FALSE(bench.board.Link().InProgMode());
}

TEST(ProgramFlashTest, FileProblemsStopBeforeTheBoard) {
    Bench bench("Orlan 8");
    const std::string notHex = bench.dir.Path("notes.txt");
    test::WriteFile(notHex, "hello\n");
    const std::string badSum = bench.dir.Path("bad.hex");
    test::WriteFile(badSum, ":0100000012EE\n");
    const std::string badRecord = bench.dir.Path("bad.srec");
    test::WriteFile(badRecord, "S1040000FFFC\nnonsense\n");
    const std::string badSRecordSum = bench.dir.Path("sum.srec");
    test::WriteFile(badSRecordSum, "S1040000FF00\n");

    CommandContext missing = bench.Context(bench.dir.Path("none.hex"));
    EXPECT_FALSE(ProgramFlash(missing));
    CommandContext text = bench.Context(notHex);
    EXPECT_FALSE(ProgramFlash(text));
    CommandContext checksum = bench.Context(badSum);
    EXPECT_FALSE(ProgramFlash(checksum));  // the question is answered No
    CommandContext verifyMissing = bench.Context(bench.dir.Path("none.hex"));
    EXPECT_FALSE(VerifyFlash(verifyMissing));
    CommandContext record = bench.Context(badRecord);
    EXPECT_FALSE(VerifyFlash(record));
    CommandContext recordSum = bench.Context(badSRecordSum);
    EXPECT_FALSE(VerifyFlash(recordSum));
    std::vector<std::string> notices = {"不能读取输入文件         ", kNotHex,
                                        "不能打开输入文件         ",
                                        "您指定的文件不是一个有效的 S-record 格式文件!  "};
    if (kElfFilesReadable) {
        CommandContext noEeprom =
            bench.Context(std::string(ZENTARO_IMAGES_DATA) + "/no_eeprom.elf");
        EXPECT_FALSE(ProgramEeprom(noEeprom));
        notices.push_back("ELF 文件中没有 EEPROM 数据!  ");
    }

    EXPECT_EQ(bench.Panel().Notices(), notices);
    EXPECT_THAT(bench.Panel().Questions(), ElementsAre(kChecksum, kChecksum));
    EXPECT_THAT(bench.board.Port().Writes(), IsEmpty());
}

TEST(ProgramFlashTest, IgnoredChecksumsGoOnWithTheLoadedData) {
    Bench bench("Orlan 8");
    test::WriteFile(bench.dir.Path("bad.hex"), ":0100000012EE\n");
    CommandContext context = bench.Context(bench.dir.Path("bad.hex"));
    context.switches.ignoreChecksum = true;

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_THAT(bench.Panel().Questions(), IsEmpty());
    EXPECT_EQ(bench.board.flash[0], 0x12);
}

TEST(ProgramFlashTest, NeedsADeviceAndTakesTheBrowsedFile) {
    Bench bench("Orlan 8");
    bench.image.clear();
    CommandContext noDevice = bench.Context("x.hex");
    EXPECT_FALSE(ProgramFlash(noDevice));
    EXPECT_THAT(bench.Panel().Notices(), ElementsAre("错误:没有选择目标芯片!      "));

    bench.image.assign(bench.device.flashSize, 0xFF);
    CommandContext noFile = bench.Context("");
    EXPECT_FALSE(ProgramFlash(noFile));
    EXPECT_EQ(bench.Panel().Log().back(), "browse");
    EXPECT_THAT(bench.board.Port().Writes(), IsEmpty());

    bench.Panel().SetBrowseResult(bench.Hex({{2, {9}}}));
    CommandContext browsed = bench.Context("");
    ASSERT_TRUE(ProgramFlash(browsed));
    EXPECT_EQ(bench.board.flash[2], 9);
}

TEST(ProgramFlashTest, OversizedFileAsksAndProgramsWhatFits) {
    Bench bench("Orlan 8");  // 8192 bytes
    const std::string path = bench.Hex({{0x1FFE, {1, 2, 3}}});
    const char* question =
        "文件中数据的大小不适合写入该 Flash.  \n是否写入所适合的那部分数据?            ";

    CommandContext declined = bench.Context(path);
    EXPECT_FALSE(ProgramFlash(declined));
    EXPECT_THAT(bench.board.Port().Writes(), IsEmpty());

    bench.Panel().Answer(true);
    CommandContext accepted = bench.Context(path);
    ASSERT_TRUE(ProgramFlash(accepted));
    EXPECT_THAT(bench.Panel().Questions(), ElementsAre(question, question));
    EXPECT_EQ(bench.board.flash[0x1FFE], 1);
    EXPECT_EQ(bench.board.flash[0x1FFF], 2);
}

TEST(ProgramFlashTest, BootAreaQuestionStartsAtTheFirstBootByte) {
    // Mirval 5 BOOT with fuse field 2: 512 words, the last 1024 bytes of 32768.
    for (uint32_t lastByte : {0x7BFFu, 0x7C00u}) {
        Bench bench("Mirval 5 BOOT");
        bench.board.highFuse = 0x04;
        CommandContext context = bench.Context(bench.Hex({{lastByte, {0}}}));

        EXPECT_EQ(ProgramFlash(context), lastByte == 0x7BFF);
        const auto& log = bench.Panel().Log();
        EXPECT_EQ(std::count(log.begin(), log.end(), "ask-plain: Code enters BOOT area. Proceed??"),
                  lastByte == 0x7C00 ? 1 : 0);
        EXPECT_TRUE(bench.Sent('N'));
    }
}

TEST(ProgramFlashTest, DecliningTheBootAreaCancels) {
    Bench bench("Mirval 2 BOOT");  // fixed 512 words
    CommandContext context = bench.Context(bench.Hex({{0x3C00, {1}}}));

    EXPECT_FALSE(ProgramFlash(context));
    EXPECT_EQ(bench.Panel().Status(), "擦除芯片...      编程...       Canceled");
    EXPECT_THAT(bench.board.LampsLit(), ElementsAre(1013, 1011));
    EXPECT_FALSE(bench.Sent('N'));
    EXPECT_FALSE(bench.Sent('c'));
    bench.ExpectSettled();
}

TEST(ProgramFlashTest, TruncatingProgramsUpToTheBootLimitOnly) {
    Bench bench("Mirval 4 BOOT");
    bench.board.highFuse = 0x00;  // 1024 words: the boot area starts at 0x3800
    std::vector<uint8_t> data(0x20, 0x11);
    CommandContext context = bench.Context(bench.Hex({{0x37F0, data}}));
    bench.Panel().Answer(true);  // into the boot area
    bench.Panel().Answer(true);  // truncate

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_THAT(bench.Panel().Log(), Contains("ask-plain: Truncate at BOOT limit ??"));
    EXPECT_EQ(bench.board.flash[0x37FF], 0x11);
    EXPECT_EQ(bench.board.flash[0x3800], 0xFF);
}

TEST(ProgramFlashTest, EncryptedImagesAreLockedExceptOnOneDevice) {
    for (const char* name : {"Orlan 8", "Mirval 4 BOOT"}) {
        Bench bench(name);
        const std::vector<uint8_t> cipher = EncryptImage({0x21, 0x43, 0x65, 0x87});
        const std::string path = bench.dir.Path("code.ebn");
        test::WriteFile(path, std::string(cipher.begin(), cipher.end()));
        CommandContext context = bench.Context(path);

        ASSERT_TRUE(ProgramFlash(context)) << name;
        EXPECT_EQ(bench.board.flash[3], 0x87);
        EXPECT_EQ(bench.board.locks, (std::string(name) == "Orlan 8" ? std::vector<uint8_t>{0xF9}
                                                                     : std::vector<uint8_t>{}));
        EXPECT_FALSE(bench.board.Link().InProgMode());
    }
}

TEST(ProgramFlashTest, EraseFailureStopsWithItsOwnStatus) {
    Bench bench("Orlan 8");
    bench.board.Fault('e', 1, {'?'});
    CommandContext context = bench.Context(bench.Hex({{0, {1}}}));

    EXPECT_FALSE(ProgramFlash(context));
    EXPECT_EQ(bench.Panel().Status(), "擦除失败    ");
    EXPECT_THAT(bench.board.LampsLit(), ElementsAre(1013, 1011));
    EXPECT_THAT(bench.Panel().Log(), Contains("timeout"));
    bench.ExpectSettled();
}

TEST(ProgramFlashTest, TheEraseIsAnnouncedBeforeItRuns) {
    Bench bench("Orlan 8");
    std::string statusAtErase;
    bench.board.onCommand = [&](const Bytes& command) {
        if (command[0] == 'e') {
            statusAtErase = bench.Panel().Status();
        }
    };
    CommandContext context = bench.Context(bench.Hex({{0, {1}}}));

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_EQ(statusAtErase, "擦除芯片...      ");
}

TEST(ProgramFlashTest, TheBootSizeIsReadEvenForAnEmptyFile) {
    Bench bench("Mirval 3 BOOT");
    CommandContext context = bench.Context(bench.Hex({}));

    ASSERT_TRUE(ProgramFlash(context));
    EXPECT_TRUE(bench.Sent('N'));
    EXPECT_FALSE(bench.Sent('c'));
}

TEST(ProgramFlashTest, WriteAndVerifyFailuresAreReported) {
    {
        Bench bench("Orlan 8");
        bench.board.Fault('c', 1, {});
        CommandContext context = bench.Context(bench.Hex({{0, {1}}}));
        EXPECT_FALSE(ProgramFlash(context));
        EXPECT_EQ(bench.Panel().Status(), "擦除芯片...      编程...       失败  ");
        EXPECT_THAT(bench.Panel().Notices(), ElementsAre("编程失败          "));
        bench.ExpectSettled();
    }
    {
        Bench bench("Orlan 8");
        bench.board.Fault('R', 1, {0x00, 0x00});
        CommandContext context = bench.Context(bench.Hex({{0, {1}}}));
        EXPECT_FALSE(ProgramFlash(context));
        EXPECT_EQ(bench.Panel().Status(), "擦除芯片...      编程...       检验...     失败  ");
        EXPECT_THAT(bench.Panel().Notices(),
                    ElementsAre("   地址: 0x0000, 原始数据: 0xff01, 芯片数据: 0x0000"));
        EXPECT_THAT(bench.board.LampsLit(), ElementsAre(1013, 1011));
        bench.ExpectSettled();
    }
}

TEST(CommandsTest, ARefusedDeviceSelectionFailsEveryCommand) {
    using Command = bool (*)(CommandContext&);
    for (Command command :
         {ProgramFlash, VerifyFlash, ProgramEeprom, VerifyEeprom, ReadFlash, ReadEeprom}) {
        Bench bench("Orlan 8");
        bench.board.Fault(0x1B, 1, {'?'});
        const std::string hex = bench.Hex({{0, {1}}});
        const bool reads = command == ReadFlash || command == ReadEeprom;
        CommandContext context = bench.Context(reads ? bench.dir.Path("out.hex") : hex);

        EXPECT_FALSE(command(context));
        EXPECT_TRUE(bench.Panel().Status().ends_with("失败  "));
        EXPECT_GT(bench.Panel().Status().size(), std::string("失败  ").size());
        EXPECT_THAT(bench.board.LampsLit(), ElementsAre(1013, 1011));
        EXPECT_THAT(bench.board.MemoryTraffic(), ElementsAre(Bytes{'L'}));
        EXPECT_TRUE(bench.Panel().ControlsEnabled());
        EXPECT_FALSE(std::filesystem::exists(bench.dir.Path("out.hex")));
    }
}

TEST(ProgramEepromTest, OversizedFileProgramsTheWholeEepromOnYes) {
    Bench bench("Orlan 8");  // 512-byte EEPROM
    bench.board.eeprom.assign(512, 0);
    CommandContext context = bench.Context(bench.Hex({{0x1FF, {0x77, 0x88}}}));
    bench.Panel().Answer(true);

    ASSERT_TRUE(ProgramEeprom(context));
    EXPECT_THAT(bench.Panel().Questions(),
                ElementsAre("文件中数据的大小不适合写入该 EEPROM.  \n是否写入所适合的那部分数"
                            "据?            "));
    EXPECT_EQ(bench.board.eeprom[0], 0xFF);
    EXPECT_EQ(bench.board.eeprom[0x1FF], 0x77);
    EXPECT_EQ(bench.Panel().Status(), "写入 EEPROM...       检验...     OK");
    EXPECT_FALSE(bench.board.Link().InProgMode());
}

TEST(ProgramEepromTest, MissingFileShowsItInTheStatusLine) {
    Bench bench("Orlan 8");
    CommandContext context = bench.Context(bench.dir.Path("none.eep"));

    EXPECT_FALSE(ProgramEeprom(context));
    EXPECT_EQ(bench.Panel().Status(), "没有EEPROM文件");
    EXPECT_THAT(bench.board.Clock().sleeps, ElementsAre(1000u));
    EXPECT_THAT(bench.Panel().Notices(), IsEmpty());
}

TEST(ProgramEepromTest, WriteFailureIsReported) {
    Bench bench("Orlan 8");
    bench.board.Fault('D', 2, {});
    CommandContext context = bench.Context(bench.Hex({{0, {1, 2, 3}}}));

    EXPECT_FALSE(ProgramEeprom(context));
    EXPECT_EQ(bench.Panel().Status(), "写入 EEPROM...       失败  ");
    EXPECT_THAT(bench.Panel().Notices(), ElementsAre("EEPROM 编程失败         "));
    EXPECT_EQ(bench.Panel().Log().back(), "timeout");
    bench.ExpectSettled();
}

TEST(VerifyEepromTest, MismatchFailsTheCommand) {
    Bench bench("Orlan 8");
    CommandContext context = bench.Context(bench.Hex({{0x10, {0x12}}}));
    bench.board.eeprom[0x10] = 0x34;

    EXPECT_FALSE(VerifyEeprom(context));
    EXPECT_EQ(bench.Panel().Status(), "校验 EEPROM...     失败  ");
    EXPECT_THAT(bench.Panel().Notices(),
                ElementsAre("   地址: 0x0010, 原始数据: 0x12, 芯片数据: 0x34"));
    EXPECT_THAT(bench.Panel().Log(), Not(Contains("timeout")));
    bench.ExpectSettled();
}

TEST(ReadToFileTest, ReadFlashWritesTheChipAfterConfirmingTheOverwrite) {
    Bench bench("Orlan 8", true, 256);
    bench.board.flash[0x123] = 0x45;
    const std::string path = bench.dir.Path("out.hex");
    test::WriteFile(path, "mine");

    CommandContext declined = bench.Context(path);
    EXPECT_FALSE(ReadFlash(declined));
    EXPECT_EQ(test::ReadFile(path), "mine");
    EXPECT_THAT(bench.board.Port().Writes(), IsEmpty());

    bench.Panel().Answer(true);
    CommandContext accepted = bench.Context(path);
    ASSERT_TRUE(ReadFlash(accepted));
    EXPECT_EQ(test::LoadedMemory(path, bench.device.flashSize), bench.board.flash);
    EXPECT_EQ(bench.Panel().Status(), "读取 Flash...   OK");
    int selects = 0;
    for (const Bytes& write : bench.board.Port().Writes()) {
        selects += write[0] == 0x1B ? 1 : 0;
    }
    EXPECT_EQ(selects, 2);
    EXPECT_EQ(bench.dir.EntryCount(), 1u);  // no temporary file left behind
}

TEST(ReadToFileTest, FailedReadKeepsTheEarlierFile) {
    for (uint32_t blockSize : {0u, 256u}) {
        Bench bench("Orlan 8", true, blockSize);
        bench.board.Fault(blockSize ? 'g' : 'd', 2, {});
        const std::string path = bench.dir.Path("out.eep");
        test::WriteFile(path, "mine");
        bench.Panel().Answer(true);
        CommandContext context = bench.Context(path);

        EXPECT_FALSE(ReadEeprom(context));
        EXPECT_EQ(bench.Panel().Status(), "读取 EEPROM   ...失败  ");
        EXPECT_THAT(bench.Panel().Notices(), ElementsAre("读取失败   "));
        EXPECT_EQ(test::ReadFile(path), "mine");
        EXPECT_EQ(bench.dir.EntryCount(), 1u);
        bench.ExpectSettled();
    }
}

}  // namespace
}  // namespace zentaro
