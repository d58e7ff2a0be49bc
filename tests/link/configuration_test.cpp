// SPDX-License-Identifier: GPL-3.0-or-later
#include <functional>
#include <vector>

#include "link_fixture.h"

namespace zentaro::test {
namespace {

struct ReadCase {
    const char* name;
    uint8_t letter;
    bool (CLowIO::*read)(uint8_t&);
};

class ConfigReadTest : public LinkTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ConfigReadTest, EntersOnlyWhenNeededThenTakesOneByteWithoutCR) {
    const ReadCase& c = GetParam();
    Reply({CR});
    Reply({0xFC});
    uint8_t value = 0;
    ASSERT_TRUE((link.get()->*c.read)(value));
    EXPECT_EQ(value, 0xFC);
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'P'}, {c.letter}}));

    port->ClearWritten();
    Reply({0xC3, CR});
    ASSERT_TRUE((link.get()->*c.read)(value));
    EXPECT_EQ(value, 0xC3);
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{c.letter}}));
    EXPECT_EQ(port->Pending(), 1u);  // a CR behind the byte is not consumed
}

INSTANTIATE_TEST_SUITE_P(Letters, ConfigReadTest,
                         ::testing::Values(ReadCase{"Lock", 'r', &CLowIO::ReadLockBits},
                                           ReadCase{"Fuse", 'F', &CLowIO::ReadFuseBits},
                                           ReadCase{"HighFuse", 'N', &CLowIO::ReadHighFuseBits},
                                           ReadCase{"ExtendedFuse", 'Q',
                                                    &CLowIO::ReadExtendedFuseBits}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

struct WriteCase {
    const char* name;
    uint8_t letter;
    bool (CLowIO::*write)(uint8_t);
};

class ConfigWriteTest : public LinkTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ConfigWriteTest, SendsLetterAndValueInOneWriteAndExpectsCR) {
    const WriteCase& c = GetParam();
    EnterProgMode();
    Reply({CR});
    ASSERT_TRUE((link.get()->*c.write)(0xF9));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{c.letter, 0xF9}}));
}

INSTANTIATE_TEST_SUITE_P(Letters, ConfigWriteTest,
                         ::testing::Values(WriteCase{"Lock", 0x6C, &CLowIO::WriteLockBits},
                                           WriteCase{"Fuse", 0x66, &CLowIO::WriteFuseBits},
                                           WriteCase{"HighFuse", 0x6E, &CLowIO::WriteHighFuseBits},
                                           WriteCase{"ExtendedFuse", 0x71,
                                                     &CLowIO::WriteExtendedFuseBits}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(LinkTest, SignatureBytesInTheOrderReceived) {
    EnterProgMode();
    Reply({0x1E, 0x93, 0x07});
    uint8_t b0 = 0, b1 = 0, b2 = 0;
    ASSERT_TRUE(link->ReadSignature(b0, b1, b2));
    EXPECT_EQ((Bytes{b0, b1, b2}), (Bytes{0x1E, 0x93, 0x07}));
    EXPECT_EQ(port->Written(), Bytes{'s'});
    EXPECT_EQ(clock.sleeps, std::vector<unsigned>{10});
}

TEST_F(LinkTest, CalibrationByteNeedsItsCR) {
    EnterProgMode();
    Reply({0x9A, CR});
    uint8_t value = 0;
    ASSERT_TRUE(link->ReadCalibrationByte(value));
    EXPECT_EQ(value, 0x9A);
    Reply({0x9B});
    EXPECT_FALSE(link->ReadCalibrationByte(value));
    EXPECT_EQ(value, 0x9A);
    EXPECT_EQ(port->Written(), (Bytes{'h', 'h'}));
    EXPECT_EQ(clock.sleeps, (std::vector<unsigned>{10, 10}));
}

TEST_F(LinkTest, UniversalCommandReturnsTheTargetsAnswer) {
    EnterProgMode();
    Reply({0xFC, CR});
    uint8_t value = 0;
    ASSERT_TRUE(link->UniversalCommand(0x58, 0x00, 0x00, value));
    EXPECT_EQ(value, 0xFC);
    EXPECT_EQ(port->Written(), (Bytes{0x3A, 0x58, 0x00, 0x00}));
    EXPECT_TRUE(link->InProgMode());
}

TEST_F(LinkTest, UniversalWriteAlwaysEndsWithL) {
    Reply({CR});        // P
    Reply({0x00, CR});  // the target answers something else than was written
    Reply({CR});        // L
    uint8_t value = 0xD9;
    ASSERT_TRUE(link->UniversalWrite(0xAC, 0xA8, 0x00, value));
    EXPECT_EQ(value, 0x00);
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'P'}, {0x2E, 0xAC, 0xA8, 0x00, 0xD9}, {'L'}}));
    EXPECT_FALSE(link->InProgMode());

    port->ClearWritten();
    Reply({CR});
    Reply({0xD9, '?'});  // no CR: the exchange failed
    Reply({CR});
    value = 0xD9;
    EXPECT_FALSE(link->UniversalWrite(0xAC, 0xA4, 0x00, value));
    EXPECT_EQ(value, 0xFF);
    EXPECT_EQ(port->Writes().back(), Bytes{'L'});
    EXPECT_FALSE(link->InProgMode());
}

TEST_F(LinkTest, VersionAndTypeDoNotEnterProgrammingMode) {
    Reply({'2', '3'});
    char major = 0, minor = 0;
    ASSERT_TRUE(link->wire().ReadSoftwareVersion(major, minor));
    EXPECT_EQ(major, '2');
    EXPECT_EQ(minor, '3');
    Reply({'S'});
    char type = 0;
    ASSERT_TRUE(link->wire().ReadProgrammerType(type));
    EXPECT_EQ(type, 'S');
    Reply({});
    EXPECT_FALSE(link->wire().ReadProgrammerType(type));  // silence is no type
    EXPECT_EQ(type, 'S');
    EXPECT_EQ(port->Written(), (Bytes{'V', 'p', 'p'}));
}

// Every command, given a short, silent or wrong reply, fails, keeps its out-values and
// leaves what the link knows untouched.
struct FailureCase {
    const char* name;
    std::vector<Bytes> replies;
    std::function<bool(CLowIO&, uint8_t&)> run;
};

auto LinkState(const CLowIO& link) {
    return std::make_tuple(link.SoftwareIdentifier(), link.DeviceCode(), link.WordWide(),
                           link.FlashSize(), link.EepromSize(), link.InProgMode(),
                           link.AutoIncrement(), link.BlockSize());
}

class BadReplyTest : public LinkTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BadReplyTest, CommandFailsAndChangesNothing) {
    SelectDevice(true);
    Reply({'Y', 0x00, 0x40});
    ASSERT_TRUE(link->QueryBlockSize());
    Reply({'M', 'Z', 'R', '-', '1', '.', '0'});
    ASSERT_TRUE(link->Identify());
    EnterProgMode();
    const auto before = LinkState(*link);
    for (const Bytes& reply : GetParam().replies) {
        Reply(reply);
    }
    uint8_t out = 0xA5;
    EXPECT_FALSE(GetParam().run(*link, out));
    EXPECT_EQ(out, 0xA5);
    EXPECT_EQ(LinkState(*link), before);
}

bool KeepIfAllSame(bool ok, uint8_t& out, std::initializer_list<uint8_t> others) {
    for (uint8_t other : others) {
        if (other != 0xA5) {
            out = 0;
        }
    }
    return ok;
}

const Bytes kSilence{};
const Bytes kWrong{'?'};
uint8_t g_data[4] = {1, 2, 3, 4};

INSTANTIATE_TEST_SUITE_P(EveryCommand, BadReplyTest,
                         ::
                             testing::Values(FailureCase{"SetAddressWrong",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().SetAddress(1);
                                                         }},
                                             FailureCase{"SetAddressSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().SetAddress(1);
                                                         }},
                                             FailureCase{"ReadProgramWordShort",
                                                         {{0x12}},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             uint16_t w = 0xA5;
                                                             bool ok =
                                                                 l.ReadProgramWord(1, w, true);
                                                             o = static_cast<uint8_t>(w);
                                                             return ok;
                                                         }},
                                             FailureCase{"WriteProgramWordHighRefused",
                                                         {{CR}, kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.WriteProgramWord(1, 0x1234,
                                                                                       true);
                                                         }},
                                             FailureCase{"WritePageAddressRefused",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().WritePage(0x40);
                                                         }},
                                             FailureCase{"WritePageRefused",
                                                         {{CR}, kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().WritePage(0x40);
                                                         }},
                                             FailureCase{"ReadEepromByteSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             return l.wire().ReadEepromByte(1, o,
                                                                                            true);
                                                         }},
                                             FailureCase{"WriteEepromByteWrong",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().WriteEepromByte(1, 2,
                                                                                             true);
                                                         }},
                                             FailureCase{"BlockWriteSilent",
                                                         {kSilence, kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().BlockWrite(4, g_data,
                                                                                        'F');
                                                         }},
                                             FailureCase{"BlockWriteWrong",
                                                         {kSilence, kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().BlockWrite(4, g_data,
                                                                                        'E');
                                                         }},
                                             FailureCase{"BlockReadShort",
                                                         {{1, 2, 3}},
                                                         [](CLowIO& l, uint8_t&) {
                                                             uint8_t buffer[4] = {};
                                                             return l.wire().BlockRead(buffer, 4,
                                                                                       'F');
                                                         }},
                                             FailureCase{"ReadFuseSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             return l.ReadFuseBits(o);
                                                         }},
                                             FailureCase{"ReadHighFuseSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             return l.ReadHighFuseBits(o);
                                                         }},
                                             FailureCase{"ReadExtendedFuseSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             return l.ReadExtendedFuseBits(o);
                                                         }},
                                             FailureCase{"ReadLockSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             return l.ReadLockBits(o);
                                                         }},
                                             FailureCase{"WriteFuseWrong",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.WriteFuseBits(0x00);
                                                         }},
                                             FailureCase{"WriteHighFuseWrong",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.WriteHighFuseBits(0x00);
                                                         }},
                                             FailureCase{"WriteExtendedFuseWrong",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.WriteExtendedFuseBits(0x00);
                                                         }},
                                             FailureCase{"WriteLockSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.WriteLockBits(0xF9);
                                                         }},
                                             FailureCase{"ReadSignatureShort",
                                                         {{0x1E, 0x93}},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             uint8_t b1 = 0xA5, b2 = 0xA5;
                                                             return KeepIfAllSame(
                                                                 l.ReadSignature(o, b1, b2), o,
                                                                 {b1, b2});
                                                         }},
                                             FailureCase{
                                                 "CalibrationWithoutCR",
                                                 {{0x9A, 0x00, CR}},
                                                 [](CLowIO& l, uint8_t& o) {
                                                     return l.ReadCalibrationByte(o);
                                                 }},
                                             FailureCase{"UniversalCommandShort",
                                                         {{0x9A}},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             return l.UniversalCommand(0x38, 0, 0,
                                                                                       o);
                                                         }},
                                             FailureCase{
                                                 "UniversalCommandWithoutCR",
                                                 {{0x9A, 0x9A}},
                                                 [](CLowIO& l, uint8_t& o) {
                                                     return l.UniversalCommand(0x38, 0, 0, o);
                                                 }},
                                             FailureCase{"VersionShort",
                                                         {{'2'}},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             char major = static_cast<char>(0xA5),
                                                                  minor = static_cast<char>(0xA5);
                                                             bool ok = l.wire().ReadSoftwareVersion(
                                                                 major, minor);
                                                             return KeepIfAllSame(
                                                                 ok, o,
                                                                 {static_cast<uint8_t>(major),
                                                                  static_cast<uint8_t>(minor)});
                                                         }},
                                             FailureCase{"TypeSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t& o) {
                                                             char type = static_cast<char>(0xA5);
                                                             return KeepIfAllSame(
                                                                 l.wire().ReadProgrammerType(type),
                                                                 o, {static_cast<uint8_t>(type)});
                                                         }},
                                             FailureCase{"AutoIncrementSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().QueryAutoIncrement();
                                                         }},
                                             FailureCase{"BlockSizeSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.QueryBlockSize();
                                                         }},
                                             FailureCase{"BlockSizeShort",
                                                         {{'Y', 0x01}},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.QueryBlockSize();
                                                         }},
                                             FailureCase{
                                                 "IdentifyShort",
                                                 {{'M', 'Z', 'R'}},
                                                 [](CLowIO& l, uint8_t&) { return l.Identify(); }},
                                             FailureCase{
                                                 "IdentifyUpgradeWrong",
                                                 {kSilence, {'X', 'Y', 'Z', '-', '1', '.', '0'}},
                                                 [](CLowIO& l, uint8_t&) {
                                                     return l.IdentifyUpgradeMode();
                                                 }},
                                             FailureCase{"SetProgrammerModeWrong",
                                                         {kWrong},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().SetProgrammerMode('S');
                                                         }},
                                             FailureCase{"ExitProgrammingSilent",
                                                         {kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.ExitProgramming();
                                                         }},
                                             FailureCase{
                                                 "ChipEraseWrong",
                                                 {kWrong},
                                                 [](CLowIO& l, uint8_t&) { return l.ChipErase(); }},
                                             FailureCase{"LampSilent",
                                                         {{CR}, {CR}, {CR}, kSilence},
                                                         [](CLowIO& l, uint8_t&) {
                                                             return l.wire().SetStatusLamp(
                                                                 StatusLamp::Failed);
                                                         }}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
}  // namespace zentaro::test
