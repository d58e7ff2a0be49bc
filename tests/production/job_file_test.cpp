// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/job_file.h"

#include <gtest/gtest.h>

#include "platform/file.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

using test::TempDir;
using test::WriteFile;

// A folder with a job file's neighbours.
class ProductionJob : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"firmware.hex", "settings.hex", "firmware.elf"}) {
            WriteFile(dir_.Path(name), ":00000001FF\n");
        }
    }
    JobLoad Parse(const std::string& text) { return ParseJob(text, dir_.Path("line.toml")); }
    // The text with "@/" made the scratch folder and "%no-file" the system's words for a
    // missing file.
    std::string Expand(std::string text) const {
        for (size_t at; (at = text.find("@/")) != std::string::npos;) {
            text.replace(at, 2, (dir_.Root() / "").string());
        }
        const std::string noFile =
            PlatformFile::Open(dir_.Path("absent"), FileAccess::Read).Error();
        for (size_t at; (at = text.find("%no-file")) != std::string::npos;) {
            text.replace(at, 8, noFile);
        }
        return text;
    }

    TempDir dir_;
};

TEST_F(ProductionJob, ReadsEveryKey) {
    const JobLoad load = Parse(Expand(R"(device = "Mirval 10"
erase = false
[flash]
file = "firmware.hex"
[eeprom]
file = '@/settings.hex'
[fuses]
low = "e2"
high = "D9"
lock = "FC"
[serial]
memory = "flash"
address = 0x10
size = 6
form = "decimal"
start = 1000
step = 5
counter = "serial.counter"
)"));
    ASSERT_TRUE(load.Ok()) << load.message;
    const JobSettings& job = load.job;
    EXPECT_EQ(job.device, "Mirval 10");
    EXPECT_EQ(std::pair(job.erase, job.verify), std::pair(false, true));
    EXPECT_EQ(job.flashFile, dir_.Path("firmware.hex"));
    EXPECT_EQ(job.eepromFile, dir_.Path("settings.hex"));  // an absolute path stays
    EXPECT_EQ(job.fuses, (ConfigWrite{0xFC, 0xE2, 0xD9, std::nullopt}));
    ASSERT_TRUE(job.serial);
    const SerialRule& rule = *job.serial;
    EXPECT_EQ(std::tuple(rule.memory, rule.address, rule.size, rule.form, rule.start, rule.step),
              std::tuple(ImageMemory::Flash, 0x10u, 6u, SerialForm::Decimal, 1000u, 5u));
    EXPECT_EQ(rule.counterPath, dir_.Path("serial.counter"));
}

TEST_F(ProductionJob, LeavesOutWhatIsNotGiven) {
    const JobLoad load = Parse(
        "device = \"Mirval 10\"\n[fuses]\nfrom = \"firmware.elf\"\n[serial]\nmemory = "
        "\"eeprom\"\naddress = 0\nsize = 2\ncounter = \"c\"\n");
    ASSERT_TRUE(load.Ok()) << load.message;
    const JobSettings& job = load.job;
    EXPECT_EQ(std::tuple(job.erase, job.verify, job.flashFile, job.fuses, job.fusesFrom),
              std::tuple(true, true, std::nullopt, ConfigWrite{}, dir_.Path("firmware.elf")));
    EXPECT_EQ(std::tuple(job.serial->start, job.serial->order, job.serial->form),
              std::tuple(1u, ByteOrder::Little, SerialForm::Binary));
}

struct BadJob {
    std::string text;
    JobLoad::Problem problem;
    std::string message;
};

// Lines 1 to 5 of a job with a serial number; each case adds from line 6 on.
const std::string kSerial =
    "device = \"Mirval 10\"\n[serial]\nmemory = \"eeprom\"\naddress = 16\ncounter = \"c\"\n";
constexpr auto kContent = JobLoad::Problem::Content;
constexpr auto kFile = JobLoad::Problem::File;

TEST_F(ProductionJob, RefusesWithTheKeyAndLine) {
    const BadJob cases[] = {
        {"device = \"Mirval 10\"\ncolour = \"red\"\n", kContent, "line 2: unknown key colour"},
        {"device = \"Mirval 99\"\n", kContent, "line 1: device \"Mirval 99\" is unknown"},
        {"erase = false\n", kContent, "device is missing"},
        {"device = \"Mirval 10\"\nflash = \"firmware.hex\"\n", kContent,
         "line 2: flash must be a table ([flash])"},
        {"device = \"Mirval 10\"\n[flash]\nfile = \"missing.hex\"\n", kFile,
         "line 3: flash.file: cannot read @/missing.hex (%no-file)"},
        {"device = \"Mirval 10\"\n[fuses]\nlow = \"E\"\nhigh = \"0xD9\"\n", kContent,
         "line 3: fuses.low must be two hex digits, such as \"E2\"\n"
         "line 4: fuses.high must be two hex digits, such as \"E2\""},
        {"device = \"Mirval 10\"\n[fuses]\nlow = \"E2\"\nfrom = \"firmware.elf\"\n", kContent,
         "line 4: fuses.from cannot go with fuses.low"},
        {kSerial + "size = 9\n", kContent, "line 6: serial.size must be 1 to 8"},
        {kSerial + "size = 4\nform = \"decimal\"\nstart = 10000\n", kContent,
         "line 8: serial.start 10000 does not fit in 4 decimal digits"},
        {kSerial + "size = 4\nform = \"hex\"\norder = \"big\"\n", kContent,
         "line 8: serial.order applies only to form = \"binary\""},
        {kSerial + "size = 4\nform = \"octal\"\nstep = 0\n", kContent,
         "line 7: serial.form must be \"binary\", \"decimal\" or \"hex\"\n"
         "line 8: serial.step must be a whole number of 1 or more"},
        {"device = \"Mirval 10\"\n[serial]\nmemory = \"eeprom\"\naddress = 4093\nsize = 4\n"
         "counter = \"c\"\n",
         kContent,
         "line 4: serial.address 4093 and serial.size 4 reach beyond the EEPROM of Mirval 10 "
         "(4096 bytes)"},
        {"device = \"Dunmor 1\"\n[serial]\nmemory = \"eeprom\"\naddress = 0\nsize = 4\n"
         "counter = \"c\"\n",
         kContent, "line 3: Dunmor 1 has no EEPROM"},
        {"device = \"Mirval 10\"\n[serial]\nmemory = \"eeprom\"\nsize = 4\n", kContent,
         "line 2: serial.address is missing\nline 2: serial.counter is missing"},
        {kSerial + "size = 4\nlength = 4\n", kContent, "line 7: unknown key serial.length"},
        {"device = \"Mirval 10\"\n[serial]\nmemory = \"eeprom\"\naddress = 0\nsize = 4\n"
         "counter = \"no/such/folder/c\"\n",
         kFile, "line 6: serial.counter: no folder @/no/such/folder for @/no/such/folder/c"},
        // Content comes first: a file named in a wrong job is not worth fetching yet.
        {"device = \"Mirval 10\"\nerase = 0\n[flash]\nfile = \"missing.hex\"\n", kContent,
         "line 2: erase must be true or false\n"
         "line 4: flash.file: cannot read @/missing.hex (%no-file)"},
    };
    for (const BadJob& bad : cases) {
        const JobLoad load = Parse(bad.text);
        EXPECT_EQ(load.problem, bad.problem) << bad.text;
        EXPECT_EQ(load.message, Expand(bad.message)) << bad.text;
    }
}

TEST_F(ProductionJob, SyntaxErrorNamesItsLine) {
    const JobLoad load = Parse("device = \"Mirval 10\"\n\nerase = tru\n");
    EXPECT_EQ(load.problem, JobLoad::Problem::Content);
    EXPECT_EQ(load.message.rfind("line 3: ", 0), 0u) << load.message;
}

TEST_F(ProductionJob, LoadsFromTheFileAndResolvesBesideIt) {
    WriteFile(dir_.Path("line.toml"), "device = \"Mirval 10\"\n[flash]\nfile = \"firmware.hex\"\n");
    const JobLoad load = LoadJobFile(dir_.Path("line.toml"));
    ASSERT_TRUE(load.Ok()) << load.message;
    EXPECT_EQ(load.job.flashFile, dir_.Path("firmware.hex"));

    const JobLoad missing = LoadJobFile(dir_.Path("other.toml"));
    EXPECT_EQ(missing.problem, JobLoad::Problem::File);
    EXPECT_EQ(missing.message, Expand("cannot read the job file @/other.toml (%no-file)"));
}

}  // namespace
}  // namespace zentaro
