#include "base/log.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <mutex>
#include <vector>

#include "base/identity.h"

namespace {

struct LogState {
    std::mutex mutex;
    FILE* file = nullptr;
    FILE* console = stdout;  // the echo of every entry; null for none
    bool timestamp = true;
    int writeCounter = 0;
};

LogState& State() {
    static LogState s;
    return s;
}

std::string TimeStamp() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tmv{};
#ifdef _WIN32
    localtime_s(&tmv, &t);
#else
    localtime_r(&t, &tmv);
#endif
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "[%02d:%02d:%02d.%03d] ", tmv.tm_hour, tmv.tm_min, tmv.tm_sec,
                  static_cast<int>(ms));
    return buf;
}

// Writes one formatted message under the lock: time stamp (if set), text, flush rule.
void Emit(LogState& s, const std::string& text) {
    const auto write = [&](const std::string& t) {
        if (s.console) std::fwrite(t.data(), 1, t.size(), s.console);
        std::fwrite(t.data(), 1, t.size(), s.file);
    };
    if (s.timestamp) write(TimeStamp());
    write(text);
    if (s.writeCounter > 10) {
        std::fflush(s.file);
        if (s.console) std::fflush(s.console);
        s.writeCounter = 0;
    }
    ++s.writeCounter;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

// A wchar_t is a UTF-16 unit on Windows (a character beyond U+FFFF takes two, a surrogate
// pair) and a whole code point elsewhere.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

std::string WideToUtf8(const std::wstring& w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        auto c = static_cast<uint32_t>(w[i]);
        if (kWideIsUtf16) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size()) {
                const auto low = static_cast<uint32_t>(w[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

namespace {
void AppendWide(std::wstring& out, uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (kWideIsUtf16 && cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}
}  // namespace

std::wstring Utf8ToWide(const std::string& s) {
    std::wstring out;
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        uint32_t cp;
        int extra;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        if (i + static_cast<size_t>(extra) >= s.size()) {  // truncated sequence
            out += L'\uFFFD';
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        AppendWide(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

int LogWrite(const wchar_t* format, ...) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.file) {
        ++s.writeCounter;
        return 0;
    }
    std::vector<wchar_t> buf(512);
    int n;
    for (;;) {
        va_list ap;
        va_start(ap, format);
        n = std::vswprintf(buf.data(), buf.size(), format, ap);
        va_end(ap);
        if (n >= 0 || buf.size() >= (1u << 20)) break;
        buf.resize(buf.size() * 4);  // vswprintf reports -1 when the buffer is too small
    }
    if (n < 0) return 0;
    Emit(s, WideToUtf8(std::wstring(buf.data(), static_cast<size_t>(n))));
    return n;
}

int LogWriteNarrow(const char* format, ...) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.file) {
        ++s.writeCounter;
        return 0;
    }
    va_list ap;
    va_start(ap, format);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, format, ap);
    va_end(ap);
    if (n < 0) {
        va_end(ap2);
        return 0;
    }
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, ap2);
    va_end(ap2);
    text.resize(static_cast<size_t>(n));
    Emit(s, text);
    return n;
}

void LogSetConsole(FILE* console) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    s.console = console;
}

bool LogOpen(const std::string& path) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.file) return true;  // opened once, never reopened
    // The console is a stream on this platform (standard output unless chosen otherwise);
    // nothing to allocate.
    if (s.console) std::fputs("InitConsoleWindow OK!\n", s.console);
    s.writeCounter = 0;
#ifdef _WIN32
    s.file = ::_wfopen(Utf8ToWide(path).c_str(), L"wb");
#else
    s.file = std::fopen(path.c_str(), "wb");
#endif
    return s.file != nullptr;
}

bool LogAttach(FILE* file) {
    if (!file) return false;
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.file) {
        std::fclose(file);
        return false;
    }
    if (s.console) std::fputs("InitConsoleWindow OK!\n", s.console);
    s.writeCounter = 0;
    s.file = file;
    return true;
}

void LogWriteHeader() {
    LogWrite(L"MODEL_NAME: %S\n", dvdsp::kModelNameW);
    LogWrite(L"MODEL_ID: %d\n", dvdsp::kModelId);
    LogWriteNarrow("VERSION: %s\n", dvdsp::kSoftwareVersion);
    LogWrite(L"INNER_FW: %d, %d\n", dvdsp::kInnerFwMain, dvdsp::kInnerFwSub);
}

bool LogIsOpen() {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    return s.file != nullptr;
}

void LogSetTimestamp(bool on) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    s.timestamp = on;
}

void LogHexBytes(const uint8_t* data, size_t n) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.file) {
        ++s.writeCounter;
        return;
    }
    std::string text;
    text.reserve(n * 3 + 1);
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x ", data[i]);
        text += b;
    }
    text += '\n';
    bool ts = s.timestamp;
    s.timestamp = false;
    Emit(s, text);
    s.timestamp = ts;
}

void LogCloseForTest() {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.file) std::fclose(s.file);
    s.file = nullptr;
    s.console = stdout;
    s.timestamp = true;
    s.writeCounter = 0;
}
