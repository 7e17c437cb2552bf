// dvdsp-cli response and firmware, run as a program; and the PNG writer behind --plot.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/png_plot.h"
#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct CliRun {
    int exitCode = -1;
    std::string out;
};

CliRun Cli(const std::string& args) {
    const dvdsp::testing::CliResult run = dvdsp::testing::RunCli(args, "", {}, false);
    return CliRun{run.code, run.out};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    return lines;
}

class CliFiles : public dvdsp::testing::FolderTest {
  protected:
    CliFiles() : FolderTest("dvdsp_cli_") {}
    std::string Write(const std::string& name, const Bytes& b) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return p.string();
    }
    Bytes Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST(ResponseCommand, FourthOrderLowPassAt1000Hz) {
    const CliRun r = Cli("response --lp 1,4,1000");
    ASSERT_EQ(r.exitCode, 0);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 513u);
    EXPECT_EQ(lines[0], "frequency_hz,level_db");
    double prevF = 0.0, nearest = 0.0, levelNearest = 0.0;
    for (size_t i = 1; i < lines.size(); ++i) {
        double f = 0.0, l = 0.0;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "%lf,%lf", &f, &l), 2) << lines[i];
        ASSERT_GT(f, prevF);
        prevF = f;
        if (std::fabs(f - 1000.0) < std::fabs(nearest - 1000.0)) {
            nearest = f;
            levelNearest = l;
        }
        if (i == 1) {
            EXPECT_NEAR(l, 0.0, 1e-6);  // pass band
        }
    }
    EXPECT_DOUBLE_EQ(prevF, 48000.0);
    EXPECT_NEAR(nearest, 1000.0, 1.0);
    EXPECT_NEAR(levelNearest, -3.0, 0.1);
}

TEST(ResponseCommand, BandsBypassAndJson) {
    const CliRun boosted = Cli("response --band 1000,2,6 --json");
    ASSERT_EQ(boosted.exitCode, 0);
    EXPECT_NE(boosted.out.find("{\"points\":512,\"frequency_hz\":["), std::string::npos);
    EXPECT_NE(boosted.out.find("\"level_db\":["), std::string::npos);

    // Bypassed, or the band disabled: flat.
    for (const char* args : {"response --band 1000,2,6 --bypass", "response --band 1000,2,6,0"}) {
        const CliRun r = Cli(args);
        ASSERT_EQ(r.exitCode, 0) << args;
        const std::vector<std::string> lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 513u);
        for (size_t i = 1; i < lines.size(); ++i)
            ASSERT_EQ(lines[i].substr(lines[i].find(',')), ",0.000000") << args << lines[i];
    }
}

TEST(ResponseCommand, RefusesBadArguments) {
    for (const char* args : {"response --lp 1,4", "response --lp 4,4,1000", "response --hp 1,x,100",
                             "response --band 1000,0,6", "response --band 30000,1,6",
                             "response --band 1000,1,6,2", "response --frob"})
        EXPECT_EQ(Cli(args).exitCode, 1) << args;
}

#ifndef _WIN32
// The distinct colours of an 8-bit RGB PNG: its IDAT chunks joined, inflated, unfiltered.
std::set<uint32_t> Colours(const Bytes& png) {
    const auto be32 = [&](size_t at) {
        return (uint32_t{png[at]} << 24) | (uint32_t{png[at + 1]} << 16) | (uint32_t{png[at + 2]} << 8) | png[at + 3];
    };
    uint32_t w = 0, h = 0;
    Bytes packed;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t len = be32(at);
        const std::string type(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
        if (type == "IHDR") w = be32(at + 8), h = be32(at + 12);
        if (type == "IDAT") packed.insert(packed.end(), png.begin() + static_cast<long>(at) + 8,
                                          png.begin() + static_cast<long>(at + 8 + len));
        at += 12 + len;
    }
    const size_t stride = size_t{w} * 3;
    Bytes raw((stride + 1) * h);
    uLongf rawLen = raw.size();
    if (uncompress(raw.data(), &rawLen, packed.data(), static_cast<uLong>(packed.size())) != Z_OK) return {};
    Bytes prev(stride, 0), row(stride);
    std::set<uint32_t> colours;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        for (size_t x = 0; x < stride; ++x) {
            const int a = x >= 3 ? row[x - 3] : 0, b = prev[x], c = x >= 3 ? prev[x - 3] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int pred = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                           : filter == 4 ? (pa <= pb && pa <= pc ? a : pb <= pc ? b : c) : 0;
            row[x] = static_cast<uint8_t>(raw[y * (stride + 1) + 1 + x] + pred);
        }
        for (size_t x = 0; x < stride; x += 3) colours.insert((uint32_t{row[x]} << 16) | (uint32_t{row[x + 1]} << 8) | row[x + 2]);
        prev = row;
    }
    return colours;
}

TEST_F(CliFiles, ResponsePlotIsDrawnAntiAliasedOnWhite) {
    const std::string png = (dir_ / "curve.png").string();
    ASSERT_EQ(Cli("response --hp lr,4,80 --band 250,2,6 --plot " + png).exitCode, 0);
    const std::set<uint32_t> colours = Colours(Read(png));
    // Smooth edges of lines and letters: many shades, not a handful of flat colours.
    EXPECT_GT(colours.size(), 64u);
    EXPECT_EQ(colours.count(0xFFFFFF), 1u);
}
#endif

TEST_F(CliFiles, ResponsePlotWritesAPng) {
    const std::string png = (dir_ / "curve.png").string();
    // The picture alone: nothing printed unless the points are asked for as well.
    const CliRun plotted = Cli("response --hp lr,4,80 --band 250,2,6 --plot " + png);
    ASSERT_EQ(plotted.exitCode, 0);
    EXPECT_EQ(plotted.out, "");
    const CliRun both = Cli("response --hp lr,4,80 --plot " + png + " --csv");
    EXPECT_EQ(both.out.rfind("frequency_hz,level_db\n", 0), 0u) << both.out.substr(0, 80);
    EXPECT_EQ(std::count(both.out.begin(), both.out.end(), '\n'), 513);
    EXPECT_EQ(Cli("response --plot " + png + " --json").out.rfind("{\"points\":512,", 0), 0u);
    EXPECT_EQ(Cli("response --csv --json").exitCode, 1);
    const Bytes b = Read(png);
    ASSERT_GT(b.size(), 100u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 8),
              (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    EXPECT_NE(Cli("response --plot " + (dir_ / "no" / "such" / "dir.png").string()).exitCode, 0);
}

const Bytes kExample = {0x01, 0x62, 0x00, 0x00, 0x00, 0x00, 0x10, 0x20,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x93};

TEST_F(CliFiles, FirmwareCheckOfTheExampleImage) {
    const CliRun ok = Cli("firmware check " + Write("MCU_UPG.BIN", kExample));
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_NE(ok.out.find("kind: MCU image"), std::string::npos) << ok.out;
    EXPECT_NE(ok.out.find("connected-unit test is skipped"), std::string::npos);
    EXPECT_NE(ok.out.find("checksum: stored 0x00000093, computed 0x00000093"), std::string::npos);
    EXPECT_NE(ok.out.find("result: UPG_FILE_VALID (0)"), std::string::npos);

    Bytes bad = kExample;
    bad.back() = 0x94;
    const CliRun invalid = Cli("firmware check " + Write("bad_MCU_UPG.BIN", bad));
    EXPECT_EQ(invalid.exitCode, 2);
    EXPECT_NE(invalid.out.find("result: UPG_FILE_INVALID (2)"), std::string::npos);

    Bytes other = kExample;
    other[1] = 0x63;
    other.back() = 0x94;
    const std::string otherPath = Write("other_MCU_UPG.BIN", other);
    EXPECT_EQ(Cli("firmware check " + otherPath).exitCode, 2);
    EXPECT_EQ(Cli("firmware check " + otherPath + " --no-check-id").exitCode, 0);
    EXPECT_EQ(Cli("firmware check " + otherPath + " --model 99").exitCode, 0);

    EXPECT_EQ(Cli("firmware check " + (dir_ / "MISSING_MCU_UPG.BIN").string()).exitCode, 1);
    for (const char* name : {"MISSING_UPG_FW.BIN", "MISSING_FLASH_UPG.BIN", "MISSING_BL_UPG.BIN"})
        EXPECT_EQ(Cli("firmware check " + (dir_ / name).string()).exitCode, 1) << name;
    EXPECT_EQ(Cli("firmware check " + Write("image.bin", kExample)).exitCode, 2);
    // The same bytes named as a flash image: FW_ID is not examined there, the sum still is.
    EXPECT_EQ(Cli("firmware check " + Write("FLASH_UPG.BIN", kExample)).exitCode, 0);
}

TEST_F(CliFiles, FirmwareMakeThenCheck) {
    struct Case {
        const char* kind;
        const char* name;
    };
    for (const Case c : {Case{"mcu", "MCU_UPG.BIN"}, Case{"bootloader", "BL_UPG.BIN"},
                         Case{"flash", "FLASH_UPG.BIN"}, Case{"merged", "UPG_FW.BIN"}}) {
        const std::string path = (dir_ / c.name).string();
        ASSERT_EQ(Cli(std::string("firmware make ") + c.kind + " " + path +
                      " --payload-size 1000 --header 01020304")
                      .exitCode,
                  0)
            << c.kind;
        const CliRun r = Cli("firmware check " + path);
        EXPECT_EQ(r.exitCode, 0) << c.kind << "\n" << r.out;
        EXPECT_NE(r.out.find("header: 01 02 03 04"), std::string::npos) << c.kind;
        EXPECT_NE(r.out.find("payload: 1000 bytes"), std::string::npos) << c.kind;
    }
    // The example image, byte for byte.
    const std::string ex = (dir_ / "ex_MCU_UPG.BIN").string();
    ASSERT_EQ(Cli("firmware make mcu " + ex + " --payload 1020").exitCode, 0);
    EXPECT_EQ(Read(ex), kExample);
    // Another model is refused unless waived.
    const std::string m = (dir_ / "m_UPG_FW.BIN").string();
    ASSERT_EQ(Cli("firmware make merged " + m + " --model 50 --dsp-payload aabbcc").exitCode, 0);
    EXPECT_EQ(Cli("firmware check " + m).exitCode, 2);
    EXPECT_EQ(Cli("firmware check " + m + " --no-check-id").exitCode, 0);
    EXPECT_EQ(Cli("firmware make rom " + m).exitCode, 1);
    EXPECT_EQ(Cli("firmware make mcu " + m + " --header 0102").exitCode, 1);
}

TEST(PngWriter, DecodesBackToThePixels) {
    dvdsp::cli::RgbImage img(5, 3, 0x102030);
    img.Set(4, 2, 0xFFEEDD);
    img.Set(9, 9, 0xFFFFFF);  // outside: ignored
    const Bytes png = dvdsp::cli::EncodePng(img);
    ASSERT_GT(png.size(), 8u + 25u + 12u + 12u);
    // IHDR: width 5, height 3, depth 8, colour type 2.
    EXPECT_EQ(Bytes(png.begin() + 12, png.begin() + 16), (Bytes{'I', 'H', 'D', 'R'}));
    EXPECT_EQ(Bytes(png.begin() + 16, png.begin() + 29),
              (Bytes{0, 0, 0, 5, 0, 0, 0, 3, 8, 2, 0, 0, 0}));
    // The IHDR CRC covers type and data.
    const uLong crc = crc32(0L, png.data() + 12, 17);
    EXPECT_EQ(Bytes(png.begin() + 29, png.begin() + 33),
              (Bytes{static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16),
                     static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)}));
    // IDAT holds the filtered scanlines.
    const size_t idatLen =
        (size_t{png[33]} << 24) | (size_t{png[34]} << 16) | (size_t{png[35]} << 8) | png[36];
    ASSERT_EQ(Bytes(png.begin() + 37, png.begin() + 41), (Bytes{'I', 'D', 'A', 'T'}));
    Bytes raw(3 * (1 + 5 * 3));
    uLongf rawLen = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawLen, png.data() + 41, static_cast<uLong>(idatLen)), Z_OK);
    ASSERT_EQ(rawLen, raw.size());
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(Bytes(raw.begin() + 1, raw.begin() + 4), (Bytes{0x10, 0x20, 0x30}));
    EXPECT_EQ(Bytes(raw.end() - 3, raw.end()), (Bytes{0xFF, 0xEE, 0xDD}));
    // IEND closes the file.
    EXPECT_EQ(Bytes(png.end() - 8, png.end() - 4), (Bytes{'I', 'E', 'N', 'D'}));
}

}  // namespace
