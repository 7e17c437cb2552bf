// The diagnostic log: UTF-8 file, one call never torn by another thread, off by default.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "base/log.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct LogFile {
    fs::path path =
        fs::temp_directory_path() / ("dvdsp_log_test_" + std::to_string(::getpid()) + ".log");
    LogFile() { LogCloseForTest(); }
    ~LogFile() {
        LogCloseForTest();
        fs::remove(path);
    }
};

}  // namespace

TEST(Log, OffUntilOpenedAndCallsCostNothing) {
    LogCloseForTest();
    EXPECT_EQ(LogWriteNarrow("hello %d\n", 1), 0);
    EXPECT_EQ(LogWrite(L"hello %d\n", 1), 0);
    EXPECT_FALSE(LogIsOpen());
}

TEST(Log, WideAndNarrowBothWriteUtf8) {
    LogFile f;
    ASSERT_TRUE(LogOpen(f.path.string()));
    LogSetTimestamp(false);
    LogWrite(L"wide: %ls %d\n", L"\u0420\u0443\u0441 \u4e2d", 7);
    LogWriteNarrow("narrow: %s\n", "\xc3\xa9t\xc3\xa9");
    LogCloseForTest();
    std::string text = ReadAll(f.path);
    EXPECT_EQ(text, "wide: \xd0\xa0\xd1\x83\xd1\x81 \xe4\xb8\xad 7\nnarrow: \xc3\xa9t\xc3\xa9\n");
}

TEST(Log, TimestampPrefixesEveryCall) {
    LogFile f;
    ASSERT_TRUE(LogOpen(f.path.string()));
    LogWriteNarrow("a\n");
    LogCloseForTest();
    std::string text = ReadAll(f.path);
    ASSERT_EQ(text.size(), std::string("[00:00:00.000] a\n").size());
    EXPECT_EQ(text[0], '[');
    EXPECT_EQ(text[13], ']');
}

TEST(Log, HexDumpIsOneLineWithoutTimestamp) {
    LogFile f;
    ASSERT_TRUE(LogOpen(f.path.string()));
    uint8_t bytes[] = {0x00, 0xAA, 0x55};
    LogHexBytes(bytes, 3);
    LogCloseForTest();
    EXPECT_EQ(ReadAll(f.path), "00 aa 55 \n");
}

TEST(Log, ConcurrentCallsNeverInterleave) {
    LogFile f;
    ASSERT_TRUE(LogOpen(f.path.string()));
    LogSetTimestamp(false);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            std::string line(200, static_cast<char>('A' + t));
            for (int i = 0; i < 300; ++i) LogWriteNarrow("%s\n", line.c_str());
        });
    }
    for (auto& th : threads) th.join();
    LogCloseForTest();
    std::istringstream in(ReadAll(f.path));
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        ASSERT_EQ(line.size(), 200u);
        ASSERT_EQ(line.find_first_not_of(line[0]), std::string::npos);
    }
    EXPECT_EQ(lines, 1200);
}

TEST(Utf8, RoundTripAndInvalidInput) {
    std::wstring w = L"a\u00e9\u4e2d\U0001F600";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(w)), w);
    EXPECT_EQ(Utf8ToWide("\xff"), L"\uFFFD");
    EXPECT_EQ(Utf8ToWide("ab\xe4\xb8"), L"ab\uFFFD");
}

// A character beyond U+FFFF is one wchar_t on Linux and a surrogate pair on Windows; its
// UTF-8 is the same four bytes on both.
TEST(Utf8, CharactersBeyondTheBasicPlaneAreWholeOnEverySystem) {
    EXPECT_EQ(WideToUtf8(L"\U0001F50A"), "\xF0\x9F\x94\x8A");
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x94\x8A"), std::wstring(L"\U0001F50A"));
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x94\x8A").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    EXPECT_EQ(WideToUtf8(L"\u4e2d\u6587 \u0420\u0443\u0441"), "\xE4\xB8\xAD\xE6\x96\x87 \xD0\xA0\xD1\x83\xD1\x81");
}
