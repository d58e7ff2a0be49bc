// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <numeric>
#include <random>
#include <thread>

#include "production/serial_counter.h"
#include "production/serial_number.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Bytes = std::vector<uint8_t>;

std::vector<uint64_t> Range(uint64_t first, size_t count) {
    std::vector<uint64_t> numbers(count);
    std::iota(numbers.begin(), numbers.end(), first);
    return numbers;
}

TEST(ProductionSerial, SpellsTheNumberAsTheRuleSays) {
    struct Case {
        SerialForm form;
        ByteOrder order;
        unsigned size;
        uint64_t number;
        Bytes bytes;
        std::string error;
    };
    const auto B = SerialForm::Binary;
    const auto D = SerialForm::Decimal;
    const auto H = SerialForm::Hex;
    const auto L = ByteOrder::Little;
    const Case cases[] = {
        {B, L, 4, 0x01020304, {0x04, 0x03, 0x02, 0x01}, ""},
        {B, ByteOrder::Big, 4, 0x01020304, {0x01, 0x02, 0x03, 0x04}, ""},
        {B, L, 1, 255, {0xFF}, ""},
        {B, L, 1, 256, {}, "256 does not fit in 1 byte"},
        {B, L, 8, UINT64_MAX, Bytes(8, 0xFF), ""},
        {D, L, 6, 1234, {'0', '0', '1', '2', '3', '4'}, ""},
        {D, L, 4, 10000, {}, "10000 does not fit in 4 decimal digits"},
        {D, L, 8, 99999999, Bytes(8, '9'), ""},
        {H, L, 4, 0xBEEF, {'B', 'E', 'E', 'F'}, ""},
        {H, L, 2, 0x100, {}, "256 does not fit in 2 hex digits"},
    };
    for (const Case& c : cases) {
        SerialRule rule;
        rule.form = c.form;
        rule.order = c.order;
        rule.size = c.size;
        const SerialBytesResult result = SerialBytes(rule, c.number);
        EXPECT_EQ(result.bytes, c.bytes) << c.number;
        EXPECT_EQ(result.error, c.error) << c.number;
    }
}

TEST(ProductionSerial, MergesIntoTheImageOnlyWhenItFits) {
    SerialRule rule;
    rule.memory = ImageMemory::Eeprom;
    rule.address = 6;
    const Bytes serial = {1, 2, 3, 4};
    Bytes image(10, 0xFF);
    EXPECT_EQ(MergeSerial(image, rule, serial), "");
    EXPECT_EQ(image, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}));

    rule.address = 7;
    Bytes untouched(10, 0xFF);
    EXPECT_EQ(MergeSerial(untouched, rule, serial),
              "the serial number at 7 to 10 reaches beyond the EEPROM (10 bytes)");
    EXPECT_EQ(untouched, Bytes(10, 0xFF));
}

class ProductionCounter : public ::testing::Test {
protected:
    std::unique_ptr<SerialCounter> Open(uint64_t start = 1000, uint64_t step = 1) {
        std::string error;
        auto counter = SerialCounter::Open(path_, start, step, error);
        EXPECT_TRUE(counter) << error;
        return counter;
    }
    uint64_t Reserve(SerialCounter& counter) {
        const CounterResult result = counter.Reserve();
        EXPECT_TRUE(result.ok) << result.message;
        return result.number;
    }

    TempDir dir_;
    std::string path_ = dir_.Path("serial.counter");
};

TEST_F(ProductionCounter, ThreadsNeverShareANumberAndLeaveNoGap) {
    constexpr uint64_t kStart = 1000;
    constexpr int kThreads = 8;
    constexpr size_t kChips = 25;
    auto counter = Open(kStart);
    std::vector<std::vector<uint64_t>> confirmed(kThreads);
    std::vector<std::thread> boards;
    for (int board = 0; board < kThreads; ++board) {
        boards.emplace_back([&, board] {
            std::mt19937 random(static_cast<unsigned>(board));
            // Every give-back is followed by another reservation, which takes it or a lower
            // one, so no number is left behind once all boards are done.
            while (confirmed[static_cast<size_t>(board)].size() < kChips) {
                const CounterResult reserved = counter->Reserve();
                ASSERT_TRUE(reserved.ok) << reserved.message;
                if (random() % 3 == 0) {
                    ASSERT_TRUE(counter->GiveBack(reserved.number).ok);
                } else {
                    ASSERT_TRUE(counter->Confirm(reserved.number).ok);
                    confirmed[static_cast<size_t>(board)].push_back(reserved.number);
                }
            }
        });
    }
    for (std::thread& board : boards) {
        board.join();
    }
    std::vector<uint64_t> all;
    for (const auto& numbers : confirmed) {
        all.insert(all.end(), numbers.begin(), numbers.end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, Range(kStart, kThreads * kChips));
    EXPECT_NE(ReadFile(path_).find("next 1200\n"), std::string::npos) << ReadFile(path_);
    EXPECT_EQ(ReadFile(path_).find("free"), std::string::npos) << ReadFile(path_);
}

TEST_F(ProductionCounter, ProcessesNeverShareANumber) {
    constexpr int kProcesses = 4;
    constexpr size_t kChips = 20;
    Open(1);
    std::vector<pid_t> children;
    for (int child = 0; child < kProcesses; ++child) {
        children.push_back(::fork());
        if (children.back() == 0) {
            std::string error;
            auto counter = SerialCounter::Open(path_, 1, 1, error);
            std::ofstream out(dir_.Path("numbers." + std::to_string(child)));
            for (size_t chip = 0; counter && chip < kChips; ++chip) {
                out << counter->Reserve().number << "\n";
            }
            out.close();
            ::_exit(counter ? 0 : 1);
        }
    }
    std::vector<uint64_t> all;
    for (int child = 0; child < kProcesses; ++child) {
        int status = 1;
        ::waitpid(children[static_cast<size_t>(child)], &status, 0);
        EXPECT_EQ(status, 0);
        std::ifstream in(dir_.Path("numbers." + std::to_string(child)));
        for (uint64_t number; in >> number;) {
            all.push_back(number);
        }
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, Range(1, kProcesses * kChips));
}

TEST_F(ProductionCounter, ACrashAfterReservingSkipsTheNumberNeverRepeatsIt) {
    auto first = Open(1000);
    EXPECT_EQ(Reserve(*first), 1000u);
    // The chip is written under 1000; the process dies before it could confirm.
    first.reset();
    auto second = Open(1000);
    EXPECT_EQ(Reserve(*second), 1001u);
    // A number this process never reserved is not its to give back.
    EXPECT_FALSE(second->GiveBack(1000).ok);
    EXPECT_EQ(Reserve(*second), 1002u);
}

TEST_F(ProductionCounter, GivesBackTheLowestNumberFirst) {
    auto counter = Open(10, 5);
    for (uint64_t expected : {10u, 15u, 20u, 25u}) {
        EXPECT_EQ(Reserve(*counter), expected);
    }
    EXPECT_TRUE(counter->GiveBack(20).ok && counter->GiveBack(15).ok && counter->Confirm(10).ok);
    // A number is given back or confirmed once.
    EXPECT_FALSE(counter->Confirm(10).ok || counter->GiveBack(15).ok);
    EXPECT_EQ(ReadFile(path_).substr(ReadFile(path_).find("next")), "next 30\nfree 15 20\n");
    EXPECT_EQ(Reserve(*counter), 15u);
    // The highest numbers given back go back into next.
    EXPECT_TRUE(counter->GiveBack(25).ok);
    EXPECT_EQ(ReadFile(path_).substr(ReadFile(path_).find("next")), "next 20\n");
    for (uint64_t expected : {20u, 25u, 30u}) {
        EXPECT_EQ(Reserve(*counter), expected);
    }
}

TEST_F(ProductionCounter, KeepsTheNumberOfAFileThatIsThere) {
    WriteFile(path_, "next 77\nfree 5\n");
    auto counter = Open(1000);
    EXPECT_EQ(Reserve(*counter), 5u);
    EXPECT_EQ(Reserve(*counter), 77u);
}

TEST_F(ProductionCounter, RefusesAFileItCannotTrust) {
    const std::pair<std::string, std::string> cases[] = {
        {"next 1x\n", " line 1: \"1x\" is no number"},
        {"# nothing\n", " has no \"next\" line"},
        {"next 3\nnext 4\n", " line 2: expected \"next N\" once and \"free N N ...\""},
        {"next 3\nfree 1 3\n", ": free number 3 is not below next 3"},
    };
    for (const auto& [text, message] : cases) {
        WriteFile(path_, text);
        std::string error;
        EXPECT_FALSE(SerialCounter::Open(path_, 1, 1, error)) << text;
        EXPECT_EQ(error, path_ + message);
    }
}

TEST_F(ProductionCounter, DoesNotStartAgainWhenTheFileVanishes) {
    auto counter = Open(1000);
    EXPECT_EQ(Reserve(*counter), 1000u);
    std::filesystem::remove(path_);
    const CounterResult result = counter->Reserve();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, path_ + " has gone");
}

}  // namespace
}  // namespace zentaro
