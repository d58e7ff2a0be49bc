// SPDX-License-Identifier: GPL-3.0-or-later
#include <vector>

#include "link_fixture.h"

namespace zentaro::test {
namespace {

TEST_F(LinkTest, WordWideReadSendsAddressThenRAndBuildsHighByteFirst) {
    SelectDevice(true);
    Reply({CR});
    Reply({0x12, 0x34});
    uint16_t word = 0;
    ASSERT_TRUE(link->ReadProgramWord(0x1234, word, false));
    EXPECT_EQ(word, 0x1234);
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{0x41, 0x12, 0x34}, {0x52}}));

    port->ClearWritten();
    Reply({0xAB, 0xCD});
    ASSERT_TRUE(link->ReadProgramWord(0x9999, word, true));  // the board's counter
    EXPECT_EQ(word, 0xABCD);
    EXPECT_EQ(port->Written(), Bytes{'R'});
}

TEST_F(LinkTest, ByteWideDeviceReadsOneByteAndWritesOnlyTheLowByte) {
    SelectDevice(false);
    Reply({CR});
    Reply({0x7E, 0x99});
    uint16_t word = 0;
    ASSERT_TRUE(link->ReadProgramWord(0x0010, word, false));
    EXPECT_EQ(word, 0x7E);
    EXPECT_EQ(port->Pending(), 1u);  // the second byte was not taken
    port->PurgeReceive();

    port->ClearWritten();
    Reply({CR});
    Reply({CR});
    ASSERT_TRUE(link->WriteProgramWord(0x0010, 0xBEEF, false));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'A', 0x00, 0x10}, {'c', 0xEF}}));
}

TEST_F(LinkTest, WordWideWriteSendsLowThenHighByte) {
    SelectDevice(true);
    Reply({CR});
    Reply({CR});
    ASSERT_TRUE(link->WriteProgramWord(0x0200, 0xBEEF, true));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'c', 0xEF}, {'C', 0xBE}}));
}

TEST_F(LinkTest, FailedAddressStopsTheAccess) {
    SelectDevice(true);
    Reply({'?'});
    uint16_t word = 0x5555;
    EXPECT_FALSE(link->ReadProgramWord(0x0001, word, false));
    Reply({});
    EXPECT_FALSE(link->wire().WriteEepromByte(0x0001, 0x42, false));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'A', 0x00, 0x01}, {'A', 0x00, 0x01}}));
    EXPECT_EQ(word, 0x5555);
}

TEST_F(LinkTest, WritePageSendsItsAddressEvenWithAutoIncrementOn) {
    // Reach auto-increment the way the program does: through the scan.
    link.reset();
    auto scripted = std::make_unique<ScriptedPort>();
    port = scripted.get();
    port->SetResponder([](const std::string&, int, const Bytes& written) {
        if (written == Bytes{'S'}) {
            return Bytes{'M', 'Z', 'R', '-', '1', '.', '0'};
        }
        if (written == Bytes{'a'}) {
            return Bytes{'Y'};
        }
        return written[0] == 'A' || written[0] == 'm' ? Bytes{CR} : Bytes{};
    });
    link = std::make_unique<CLowIO>(std::move(scripted), clock, NoticesOn(panel));
    ASSERT_TRUE(link->OpenAndScan());
    ASSERT_TRUE(link->AutoIncrement());
    port->ClearWritten();

    ASSERT_TRUE(link->wire().WritePage(0x0140));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'A', 0x01, 0x40}, {'m'}}));
}

TEST_F(LinkTest, EepromBytes) {
    Reply({CR});
    Reply({0x5A});
    uint8_t value = 0;
    ASSERT_TRUE(link->wire().ReadEepromByte(0x0102, value, false));
    EXPECT_EQ(value, 0x5A);
    Reply({CR});
    ASSERT_TRUE(link->wire().WriteEepromByte(0x0103, 0xA5, true));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'A', 0x01, 0x02}, {'d'}, {'D', 0xA5}}));
}

TEST_F(LinkTest, BlockWriteSendsHeaderThenDataAndWaitsForCR) {
    const Bytes data{1, 2, 3, 4, 5, 6};
    Reply({});
    Reply({CR});
    ASSERT_TRUE(link->wire().BlockWrite(6, data.data(), BoardProtocol::kFlashMemory));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'B', 0x00, 0x06, 'F'}, data}));

    Reply({});
    Reply({});
    EXPECT_FALSE(
        link->wire().BlockWrite(6, data.data(), BoardProtocol::kEepromMemory));  // no answer
    Reply({});
    Reply({'?'});
    EXPECT_FALSE(link->wire().BlockWrite(6, data.data(), BoardProtocol::kEepromMemory));
}

TEST_F(LinkTest, BlockReadOf256EepromBytesTakesNoCR) {
    Bytes eeprom(256);
    for (size_t i = 0; i < eeprom.size(); ++i) {
        eeprom[i] = static_cast<uint8_t>(255 - i);
    }
    Bytes reply = eeprom;
    reply.push_back(CR);  // would be swallowed if the link expected one
    Reply(reply);
    Bytes buffer(256);
    ASSERT_TRUE(link->wire().BlockRead(buffer.data(), 256, BoardProtocol::kEepromMemory));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{0x67, 0x01, 0x00, 0x45}}));
    EXPECT_EQ(buffer, eeprom);
    EXPECT_EQ(port->Pending(), 1u);
}

}  // namespace
}  // namespace zentaro::test
