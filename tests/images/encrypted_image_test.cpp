// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/encrypted_image.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "images/blowfish.h"
#include "operations/file_questions.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

// The load as the program-flash command reports it: a refused file's notice on the panel.
bool Told(EncryptedImageLoad load, Panel& panel) {
    if (load != EncryptedImageLoad::Loaded) {
        panel.Notice(EncryptedImageNotice(load));
    }
    return load == EncryptedImageLoad::Loaded;
}

using test::RecordingPanel;
using test::TempDir;
using test::WriteFile;

const std::string kCannotRead = "不能读取输入文件         ";
const std::string kNotEncryptedImage = "您指定的文件不是一个有效的加密映像文件!  ";
const std::string kTooLarge = "加密映像文件太大 (超过 131065 字节)!  ";

std::vector<uint8_t> Pattern(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return bytes;
}

std::string AsText(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

class EncryptedImageTest : public ::testing::Test {
protected:
    // Loads file bytes into an image that holds an earlier file's content.
    bool Load(const std::vector<uint8_t>& fileBytes, size_t imageSize = 64) {
        WriteFile(path_, AsText(fileBytes));
        image_.assign(imageSize, 0x00);
        state_ = HexLoadState{0x10, 0x1234, true};
        return Told(LoadEncryptedImage(path_, image_, state_), panel_);
    }

    void ExpectNothingChanged(const std::string& notice) {
        EXPECT_EQ(panel_.Notices(), std::vector<std::string>{notice});
        EXPECT_EQ(image_, std::vector<uint8_t>(image_.size(), 0x00));
        EXPECT_EQ(state_.highestAddress, 0x1234u);
        EXPECT_TRUE(state_.loadedData);
    }

    TempDir dir_;
    std::string path_ = dir_.Path("code.ebn");
    RecordingPanel panel_;
    std::vector<uint8_t> image_;
    HexLoadState state_;
};

TEST(EncryptedImageNameTest, ContainsEbnInTheFileName) {
    EXPECT_TRUE(IsEncryptedImageName("/home/u/code.ebn"));
    EXPECT_TRUE(IsEncryptedImageName("code.ebn.hex"));
    EXPECT_TRUE(IsEncryptedImageName("/a/x.ebnfile"));
    EXPECT_FALSE(IsEncryptedImageName("/home/u/CODE.EBN"));
    EXPECT_FALSE(IsEncryptedImageName("code.Ebn"));
    EXPECT_FALSE(IsEncryptedImageName("/home/u/old.ebn/code.hex"));
}

TEST_F(EncryptedImageTest, PlainImageReplacesTheWholeMemoryImage) {
    for (size_t length : {16u, 13u}) {
        const auto plain = Pattern(length);
        ASSERT_TRUE(Load(EncryptImage(plain))) << length;
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), image_.begin()));
        EXPECT_TRUE(std::all_of(image_.data() + length, image_.data() + image_.size(),
                                [](uint8_t b) { return b == 0xFF; }));
        EXPECT_EQ(state_.highestAddress, length - 1);
        EXPECT_TRUE(state_.loadedData);
        EXPECT_EQ(state_.segmentBase, 0x10u);
    }
    EXPECT_TRUE(panel_.Log().empty());
}

TEST_F(EncryptedImageTest, ImageLargerThanTheFlashFillsWhatFits) {
    const auto plain = Pattern(kMaxEncryptedFileSize - 1);
    const auto file = EncryptImage(plain);
    ASSERT_EQ(file.size(), kMaxEncryptedFileSize);
    ASSERT_TRUE(Load(file, 8192));
    EXPECT_TRUE(std::equal(image_.begin(), image_.end(), plain.begin()));
    EXPECT_EQ(state_.highestAddress, kMaxEncryptedFileSize - 2);
}

TEST(EncryptedImageCipherTest, OneKeyedCipherLoadsImageAfterImage) {
    BlowfishCipher cipher;
    SetImageKey(cipher);
    RecordingPanel panel;
    std::vector<uint8_t> image(64, 0x00);
    for (size_t length : {24u, 5u, 24u}) {
        const auto plain = Pattern(length);
        const auto file = EncryptImage(plain);
        HexLoadState state;
        ASSERT_TRUE(
            Told(LoadEncryptedImageData(cipher, file.data(), file.size(), image, state), panel));
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), image.begin())) << length;
        EXPECT_EQ(image[length], 0xFF) << length;
        EXPECT_EQ(state.highestAddress, length - 1);
    }
    EXPECT_TRUE(panel.Log().empty());
}

TEST_F(EncryptedImageTest, FileWithoutBlocksLoadsNothing) {
    ASSERT_TRUE(Load({0x00}));
    EXPECT_EQ(image_, std::vector<uint8_t>(64, 0xFF));
    EXPECT_FALSE(state_.loadedData);
    EXPECT_EQ(state_.highestAddress, 0u);
}

TEST_F(EncryptedImageTest, MalformedFilesAreRefused) {
    auto shortFile = EncryptImage(Pattern(16));
    shortFile.erase(shortFile.begin());
    auto badPadding = EncryptImage(Pattern(16));
    badPadding.back() = 8;
    auto negativePadding = EncryptImage(Pattern(16));
    negativePadding.back() = 0xFF;
    for (const auto& file : {std::vector<uint8_t>{}, shortFile, badPadding, negativePadding}) {
        panel_.ClearLog();
        EXPECT_FALSE(Load(file));
        ExpectNothingChanged(kNotEncryptedImage);
    }
}

TEST_F(EncryptedImageTest, FileLongerThanTheLargestImageIsRefused) {
    auto file = EncryptImage(Pattern(kMaxEncryptedFileSize - 1));
    file.insert(file.begin(), 8, 0x00);
    EXPECT_FALSE(Load(file, 0x20000));
    ExpectNothingChanged(kTooLarge);
}

TEST_F(EncryptedImageTest, UnreadableFileIsReported) {
    image_.assign(64, 0x00);
    state_ = HexLoadState{0x10, 0x1234, true};
    std::vector<std::string> paths = {dir_.Path("missing.ebn"), dir_.Path("")};
#ifndef _WIN32
    // A named pipe opens, but holds no image to read.
    ASSERT_EQ(::mkfifo(dir_.Path("pipe.ebn").c_str(), 0600), 0);
    paths.push_back(dir_.Path("pipe.ebn"));
#endif
    for (const std::string& path : paths) {
        panel_.ClearLog();
        EXPECT_FALSE(Told(LoadEncryptedImage(path, image_, state_), panel_)) << path;
        ExpectNothingChanged(kCannotRead);
    }
}

}  // namespace
}  // namespace zentaro
