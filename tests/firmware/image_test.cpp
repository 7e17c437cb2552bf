// Firmware image formats over bytes: the example image and its variations, the limits,
// the merged file's head, counts and size fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/image.h"

namespace dvdsp::fw {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kImageExample = {0x01, 0x62, 0x00, 0x00, 0x00, 0x00, 0x10, 0x20,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x93};

const ModelCheck kModel98{98, false};
const ModelCheck kNoCheckID{98, true};

CheckReport Mcu(const Bytes& b, const ModelCheck& m = kModel98) {
    return CheckMcuImageBytes(b, m, "MCU_UPG.BIN");
}
CheckReport Flash(const Bytes& b, const ModelCheck& m = kModel98) {
    return CheckFlashImageBytes(b, m, "FLASH_UPG.BIN");
}
CheckReport Merged(const Bytes& b, const ModelCheck& m = kModel98) {
    return CheckMergedImageBytes(b, m, "UPG_FW.BIN");
}

Bytes Image(uint8_t fwId, uint8_t model, size_t payloadSize, uint8_t seed = 1) {
    Bytes payload(payloadSize);
    for (size_t i = 0; i < payloadSize; ++i) payload[i] = static_cast<uint8_t>(seed + i * 7);
    return MakeSingleImage(fwId, model, {0xA1, 0xB2, 0xC3, 0xD4}, payload, {9, 8, 7, 6});
}

TEST(SingleImage, ExampleIsBuiltAndAccepted) {
    EXPECT_EQ(MakeSingleImage(1, 0x62, {0, 0, 0, 0}, Bytes{0x10, 0x20}), kImageExample);
    const CheckReport r = Mcu(kImageExample);
    EXPECT_EQ(r.result, UPG_FILE_VALID);
    EXPECT_EQ(r.failedCheck, kCheckPassed);
    EXPECT_TRUE(r.mcu.present);
    EXPECT_EQ(r.mcu.fwId, 1);
    EXPECT_EQ(r.mcu.modelId, 98);
    EXPECT_EQ(r.mcu.payloadOffset, 6u);
    EXPECT_EQ(r.mcu.payloadLength, 2u);
    EXPECT_EQ(r.mcu.storedChecksum, 0x93u);
    EXPECT_EQ(r.mcu.computedChecksum, 0x93u);
    EXPECT_EQ(r.fileSize, 16u);
}

struct Variation {
    const char* name;
    size_t index;  // byte to change
    uint8_t value;
    bool noCheckID;
    int mcuResult;
    int mcuFailedCheck;
    int flashResult;
};

class ExampleVariations : public ::testing::TestWithParam<Variation> {};

TEST_P(ExampleVariations, McuAndFlashChecks) {
    const Variation& v = GetParam();
    Bytes b = kImageExample;
    b[v.index] = v.value;
    // Some rows change two bytes: the id or model, and the checksum fixed to match.
    if (v.index != 15 && std::string(v.name).find("fixed") != std::string::npos) b[15] = 0x94;
    const ModelCheck m{98, v.noCheckID};
    const CheckReport mcu = Mcu(b, m);
    EXPECT_EQ(mcu.result, v.mcuResult);
    EXPECT_EQ(mcu.failedCheck, v.mcuFailedCheck);
    EXPECT_EQ(Flash(b, m).result, v.flashResult);
}

const Variation kVariations[] = {
    {"last_byte_0x94_checksum_mismatch", 15, 0x94, false, UPG_FILE_INVALID, kFailChecksum,
     UPG_FILE_INVALID},
    {"model_0x63_refused", 1, 0x63, false, UPG_FILE_INVALID, kFailModel, UPG_FILE_INVALID},
    {"model_0x63_checksum_fixed_still_refused", 1, 0x63, false, UPG_FILE_INVALID, kFailModel,
     UPG_FILE_INVALID},
    {"model_0x63_noCheckID_old_checksum_refused", 1, 0x63, true, UPG_FILE_INVALID, kFailChecksum,
     UPG_FILE_INVALID},
    {"model_0x63_noCheckID_checksum_fixed_accepted", 1, 0x63, true, UPG_FILE_VALID, kCheckPassed,
     UPG_FILE_VALID},
    {"fw_id_2_checksum_fixed_flash_only", 0, 0x02, false, UPG_FILE_INVALID, kFailFwId,
     UPG_FILE_VALID},
    {"fw_id_2_old_checksum", 0, 0x02, true, UPG_FILE_INVALID, kFailFwId, UPG_FILE_INVALID},
    {"header_byte_changed_checksum_fixed", 2, 0x01, false, UPG_FILE_VALID, kCheckPassed,
     UPG_FILE_VALID},
    {"trailer_is_covered_by_checksum", 11, 0x01, false, UPG_FILE_INVALID, kFailChecksum,
     UPG_FILE_INVALID},
};

INSTANTIATE_TEST_SUITE_P(Rows, ExampleVariations, ::testing::ValuesIn(kVariations),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SingleImage, ShortFilesAreInvalid) {
    for (size_t n : {0u, 1u, 6u, 13u}) {
        const Bytes b(kImageExample.begin(), kImageExample.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_EQ(Mcu(b).failedCheck, kFailTooShort) << n;
        EXPECT_EQ(Flash(b).failedCheck, kFailTooShort) << n;
        EXPECT_EQ(Merged(b).failedCheck, kFailTooShort) << n;
        EXPECT_FALSE(Mcu(b).mcu.present);
    }
    // Fourteen bytes are an image with an empty payload.
    const CheckReport r = Mcu(MakeSingleImage(1, 98, {1, 2, 3, 4}, Bytes{}));
    EXPECT_EQ(r.result, UPG_FILE_VALID);
    EXPECT_EQ(r.mcu.payloadLength, 0u);
}

TEST(SingleImage, SizeLimitIsOneMebibyte) {
    const Bytes atLimit = Image(1, 98, kSingleImageMaxSize - kImageOverhead);
    ASSERT_EQ(atLimit.size(), 0x100000u);
    EXPECT_EQ(Mcu(atLimit).result, UPG_FILE_VALID);
    EXPECT_EQ(Flash(atLimit).result, UPG_FILE_VALID);
    const Bytes over = Image(1, 98, kSingleImageMaxSize - kImageOverhead + 1);
    EXPECT_EQ(Mcu(over).failedCheck, kFailTooLarge);
    EXPECT_EQ(Flash(over).failedCheck, kFailTooLarge);
}

TEST(SingleImage, ChecksumIsAWrappingByteSum) {
    EXPECT_EQ(ImageChecksum(Bytes{}), 0u);
    EXPECT_EQ(ImageChecksum(Bytes{0xFF, 0xFF, 0x02}), 0x200u);
    // 16843010 bytes of 0xFF sum to 2^32 + 254.
    EXPECT_EQ(ImageChecksum(Bytes(16843010u, 0xFF)), 254u);
}

TEST(SingleImage, FieldsOfABuiltImage) {
    const Bytes b = Image(2, 7, 5);
    ImageFields f;
    ASSERT_TRUE(ReadImageFields(b, 0, b.size(), f));
    EXPECT_EQ(f.imageHeader, (std::array<uint8_t, 4>{0xA1, 0xB2, 0xC3, 0xD4}));
    EXPECT_EQ(f.trailer, (std::array<uint8_t, 4>{9, 8, 7, 6}));
    EXPECT_EQ(f.payloadLength, 5u);
    EXPECT_EQ(f.storedChecksum, f.computedChecksum);
    // Windows that reach past the end are not read.
    EXPECT_FALSE(ReadImageFields(b, 1, b.size(), f));
    EXPECT_FALSE(f.present);
    EXPECT_FALSE(ReadImageFields(b, b.size() + 1, 14, f));
    EXPECT_FALSE(ReadImageFields(b, 0, SIZE_MAX, f));
}

Bytes Merge(const Bytes& mcu, const Bytes& dsp, std::array<uint8_t, 2> head = {0x73, 0x73}) {
    return MakeMergedImage(mcu, dsp, head);
}

TEST(MergedImage, ValidFileAndItsFields) {
    const Bytes mcu = Image(1, 98, 40, 3), dsp = Image(2, 98, 70, 5);
    const Bytes file = Merge(mcu, dsp);
    ASSERT_EQ(file.size(), 11 + mcu.size() + dsp.size());
    const CheckReport r = Merged(file);
    EXPECT_EQ(r.result, UPG_FILE_VALID);
    EXPECT_EQ(r.totalFW, 2);
    EXPECT_EQ(r.fwSize, (std::vector<uint32_t>{54, 84}));
    EXPECT_EQ(r.mcu.offset, 11u);
    EXPECT_EQ(r.mcu.payloadLength, 40u);
    EXPECT_EQ(r.dsp.offset, 11u + 54u);
    EXPECT_EQ(r.dsp.payloadLength, 70u);
    EXPECT_EQ(r.dsp.trailer, (std::array<uint8_t, 4>{9, 8, 7, 6}));
}

struct HeadCase {
    const char* name;
    uint8_t b0, b1;
    int result;
};

class MergedHead : public ::testing::TestWithParam<HeadCase> {};

TEST_P(MergedHead, EitherByteMayCarryTheMark) {
    const HeadCase& c = GetParam();
    const CheckReport r = Merged(Merge(Image(1, 98, 4), Image(2, 98, 4), {c.b0, c.b1}));
    EXPECT_EQ(r.result, c.result);
    if (c.result != UPG_FILE_VALID) {
        EXPECT_EQ(r.failedCheck, kFailHead);
    }
}

const HeadCase kHeads[] = {
    {"mark_first", 0x73, 0x00, UPG_FILE_VALID},  {"mark_second", 0x00, 0x73, UPG_FILE_VALID},
    {"mark_both", 0x73, 0x73, UPG_FILE_VALID},   {"no_mark", 0x00, 0x00, UPG_FILE_INVALID},
    {"near_miss", 0x72, 0x74, UPG_FILE_INVALID},
};

INSTANTIATE_TEST_SUITE_P(Rows, MergedHead, ::testing::ValuesIn(kHeads),
                         [](const auto& row) { return std::string(row.param.name); });

// A merged file with a hand-made size table.
Bytes Table(uint8_t total, const std::vector<uint32_t>& sizes, const Bytes& rest) {
    Bytes b = {0x73, 0x73, total};
    for (uint32_t s : sizes) {
        b.push_back(static_cast<uint8_t>(s >> 24));
        b.push_back(static_cast<uint8_t>(s >> 16));
        b.push_back(static_cast<uint8_t>(s >> 8));
        b.push_back(static_cast<uint8_t>(s));
    }
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

struct MergedCase {
    const char* name;
    Bytes file;
    int result;
    int failedCheck;
};

std::vector<MergedCase> MergedRows() {
    const Bytes mcu = Image(1, 98, 8), dsp = Image(2, 98, 12);
    const uint32_t m = static_cast<uint32_t>(mcu.size()), d = static_cast<uint32_t>(dsp.size());
    const Bytes both = Concat(mcu, dsp);
    Bytes truncated = Merge(mcu, dsp);
    truncated.pop_back();
    Bytes badDspChecksum = Merge(mcu, dsp);
    badDspChecksum.back() ^= 1;
    Bytes badMcuChecksum = Merge(mcu, dsp);
    badMcuChecksum[11 + mcu.size() - 1] ^= 1;
    return {
        {"five_images_further_ignored", Table(5, {m, d, 1, 2, 3}, both), UPG_FILE_VALID,
         kCheckPassed},
        {"six_images_refused", Table(6, {m, d, 1, 2, 3, 4}, both), UPG_FILE_INVALID,
         kFailImageCount},
        {"one_image_refused", Table(1, {m}, both), UPG_FILE_INVALID, kFailImageCount},
        {"zero_images_refused", Table(0, {}, both), UPG_FILE_INVALID, kFailImageCount},
        {"size_table_past_end", Table(5, {m, d}, Bytes(10)), UPG_FILE_INVALID, kFailSizeTable},
        {"mcu_size_below_14", Table(2, {13, d}, both), UPG_FILE_INVALID, kFailMcuSize},
        {"mcu_size_past_end", Table(2, {0xFFFFFFF0u, d}, both), UPG_FILE_INVALID, kFailMcuSize},
        {"dsp_size_below_14", Table(2, {m, 5}, both), UPG_FILE_INVALID, kFailDspSize},
        {"dsp_size_one_past_end", Table(2, {m, d + 1}, both), UPG_FILE_INVALID, kFailDspSize},
        {"dsp_size_huge", Table(2, {m, 0xFFFFFFFFu}, both), UPG_FILE_INVALID, kFailDspSize},
        {"file_truncated_by_one", truncated, UPG_FILE_INVALID, kFailDspSize},
        {"mcu_size_lies_by_one", Table(2, {m + 1, d - 1}, both), UPG_FILE_INVALID, kFailMcuImage},
        {"dsp_size_short_by_one", Table(2, {m, d - 1}, both), UPG_FILE_INVALID, kFailDspImage},
        {"junk_after_the_dsp_part", Table(2, {m, d}, Concat(both, Bytes(7))), UPG_FILE_INVALID,
         kFailTrailingBytes},
        {"mcu_checksum_wrong", badMcuChecksum, UPG_FILE_INVALID, kFailMcuImage},
        {"dsp_checksum_wrong", badDspChecksum, UPG_FILE_INVALID, kFailDspImage},
        {"parts_swapped", Merge(dsp, mcu), UPG_FILE_INVALID, kFailMcuImage},
        {"dsp_part_with_mcu_id", Merge(mcu, Image(1, 98, 12)), UPG_FILE_INVALID, kFailDspImage},
        {"dsp_part_other_model", Merge(mcu, Image(2, 97, 12)), UPG_FILE_INVALID, kFailDspImage},
        {"mcu_part_other_model", Merge(Image(1, 97, 8), dsp), UPG_FILE_INVALID, kFailMcuImage},
    };
}

class MergedRowsTest : public ::testing::TestWithParam<MergedCase> {};

TEST_P(MergedRowsTest, Check) {
    const MergedCase& c = GetParam();
    const CheckReport r = Merged(c.file);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.failedCheck, c.failedCheck);
}

INSTANTIATE_TEST_SUITE_P(Rows, MergedRowsTest, ::testing::ValuesIn(MergedRows()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(MergedImage, NoCheckIDWaivesTheModelOfBothParts) {
    const Bytes file = Merge(Image(1, 97, 8), Image(2, 96, 12));
    EXPECT_EQ(Merged(file).result, UPG_FILE_INVALID);
    EXPECT_EQ(Merged(file, kNoCheckID).result, UPG_FILE_VALID);
}

TEST(MergedImage, SizeLimitIsTwoMebibytes) {
    const Bytes mcu = Image(1, 98, 0x100000 - kImageOverhead);
    const Bytes dsp = Image(2, 98, 0x200000 - 11 - mcu.size() - kImageOverhead);
    const Bytes atLimit = Merge(mcu, dsp);
    ASSERT_EQ(atLimit.size(), 0x200000u);
    EXPECT_EQ(Merged(atLimit).result, UPG_FILE_VALID);
    const Bytes over = Merge(mcu, Image(2, 98, dsp.size() - kImageOverhead + 1));
    ASSERT_EQ(over.size(), 0x200001u);
    EXPECT_EQ(Merged(over).failedCheck, kFailTooLarge);
}

struct NameCase {
    const char* name;
    const char* path;
    ImageKind kind;
};

class KindFromFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(KindFromFileName, AsTheUpgradePicksIt) {
    EXPECT_EQ(ImageKindFromFileName(GetParam().path), GetParam().kind);
}

const NameCase kNames[] = {
    {"mcu", "MCU_UPG.BIN", ImageKind::kMcu},
    {"mcu_lower_case_windows_path", "C:\\fw\\mcu_upg.bin", ImageKind::kMcu},
    {"bootloader", "/tmp/x/BL_UPG.BIN", ImageKind::kBootloader},
    {"flash", "dir/Flash_Upg.Bin", ImageKind::kFlash},
    {"merged_with_prefix", "/a/my_upg_fw.bin", ImageKind::kMerged},
    {"vendor_archive_is_mcu", "VTR50_MCU_UPG.bin", ImageKind::kMcu},
    {"name_in_folder_only", "/BL_UPG.BIN/other.bin", ImageKind::kNone},
    {"batch_file", "my_download.bat", ImageKind::kNone},
    {"empty", "", ImageKind::kNone},
};

INSTANTIATE_TEST_SUITE_P(Rows, KindFromFileName, ::testing::ValuesIn(kNames),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ResultNames, AllCodes) {
    EXPECT_STREQ(UpgResultName(0), "UPG_FILE_VALID");
    EXPECT_STREQ(UpgResultName(2), "UPG_FILE_INVALID");
    EXPECT_STREQ(UpgResultName(3), "UPG_CONNECT_FAIL");
    EXPECT_STREQ(UpgResultName(9), "unknown");
}

}  // namespace
}  // namespace dvdsp::fw
