#include "cli/png_plot.h"
#include "cli/sheet_cairo.h"
#include "core/sheet_plot.h"
#include "platform/atomic_file.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dvdsp::cli {

namespace {

constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBe32(out, static_cast<uint32_t>(crc));
}

// Digits, minus sign and 'k' in a 3 by 5 pixel font, one row per 3 bits.
const uint8_t* Glyph(char c) {
    static const uint8_t kDigits[10][5] = {
        {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
        {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    };
    static const uint8_t kMinus[5] = {0, 0, 7, 0, 0};
    static const uint8_t kK[5] = {4, 5, 6, 5, 5};
    static const uint8_t kPlus[5] = {0, 2, 7, 2, 0};
    if (c >= '0' && c <= '9') return kDigits[c - '0'];
    if (c == '-') return kMinus;
    if (c == '+') return kPlus;
    if (c == 'k') return kK;
    return nullptr;
}

// Text at (x, y) in the 3x5 font scaled by `scale`.
void DrawText(RgbImage& img, int x, int y, const std::string& text, int scale, uint32_t rgb) {
    for (char c : text) {
        if (const uint8_t* g = Glyph(c)) {
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (g[row] & (4 >> col))
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                img.Set(x + col * scale + dx, y + row * scale + dy, rgb);
        }
        x += 4 * scale;
    }
}

int TextWidth(const std::string& text, int scale) {
    return static_cast<int>(text.size()) * 4 * scale - scale;
}

// Level at frequency f, interpolated on log frequency.
double LevelAt(const std::vector<double>& f, const std::vector<double>& l, double hz) {
    const auto it = std::lower_bound(f.begin(), f.end(), hz);
    if (it == f.begin()) return l.front();
    if (it == f.end()) return l.back();
    const size_t i = static_cast<size_t>(it - f.begin());
    const double t = (std::log(hz) - std::log(f[i - 1])) / (std::log(f[i]) - std::log(f[i - 1]));
    return l[i - 1] + t * (l[i] - l[i - 1]);
}

}  // namespace

RgbImage::RgbImage(int w, int h, uint32_t background)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 3) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Set(x, y, background);
}

void RgbImage::Set(int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p =
        &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
}

uint32_t RgbImage::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t* p =
        &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
    return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
    // Scanlines, each led by filter type 0.
    const size_t stride = static_cast<size_t>(image.width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const auto row =
            image.pixels.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<size_t>(y));
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(stride));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
        Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, static_cast<uint32_t>(image.width));
    PutBe32(ihdr, static_cast<uint32_t>(image.height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // depth 8, RGB, deflate, filter 0, no interlace
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

bool WriteResponsePlot(const std::string& path, const std::vector<double>& frequencies,
                       const std::vector<double>& levels, std::string& error,
                       const std::vector<PlotTrace>& more) {
    constexpr int kWidth = 960, kHeight = 540;
    constexpr int kLeft = 60, kRight = 20, kTop = 20, kBottom = 40;
    constexpr uint32_t kBackground = 0x101418, kGrid = 0x2E3740, kAxis = 0x5A6470, kText = 0xB0B8C0,
                       kCurve = 0x38C8F0;
    if (frequencies.empty() || frequencies.size() != levels.size()) {
        error = "no curve to plot";
        return false;
    }

    // Vertical range: the curve within the axis, in 6 dB steps, at least 24 dB and at
    // most 96 dB tall.
    double lo = 0.0, hi = 0.0;
    for (size_t k = 0; k < frequencies.size(); ++k) {
        if (frequencies[k] < kLowHz || frequencies[k] > kHighHz) continue;
        lo = std::min(lo, levels[k]);
        hi = std::max(hi, levels[k]);
        for (const PlotTrace& t : more)
            if (k < t.levels->size() && std::isfinite((*t.levels)[k])) {
                lo = std::min(lo, (*t.levels)[k]);
                hi = std::max(hi, (*t.levels)[k]);
            }
    }
    double top = std::ceil(hi / 6.0) * 6.0 + 6.0;
    double bottom = std::floor(lo / 6.0) * 6.0 - 6.0;
    if (top - bottom < 24.0) {
        top = std::max(top, 12.0);
        bottom = std::min(bottom, top - 24.0);
    }
    if (top - bottom > 96.0) bottom = top - 96.0;
    const double step = (top - bottom) > 48.0 ? 12.0 : 6.0;

    if constexpr (kHaveCairo) {
        // The sheet's plot, drawn by Cairo: anti-aliased lines, a real font, axis titles.
        core::sheet::Document doc;
        doc.width = kWidth / 2.0;
        doc.height = kHeight / 2.0;
        doc.pages.emplace_back();
        doc.pages.front().boxes.push_back({0, 0, doc.width, doc.height, true, 0xFFFFFF, 0, 0});
        core::sheet::PlotFrame frame{8, 6, doc.width - 16, doc.height - 10, "Hz", "dB", 8, bottom, top, step};
        // Each further trace as the runs of points it has values at.
        std::vector<core::sheet::PlotCurve> curves{{&frequencies, &levels, 0x1F5FBF, 1.4, false, more.empty() ? "" : "channel"}};
        std::vector<std::vector<double>> runs;
        runs.reserve(2 * frequencies.size());
        for (const PlotTrace& t : more) {
            bool labelled = false;
            for (size_t k = 0; k < frequencies.size() && k < t.levels->size();) {
                if (!std::isfinite((*t.levels)[k])) {
                    ++k;
                    continue;
                }
                std::vector<double>& f = runs.emplace_back();
                std::vector<double>& l = runs.emplace_back();
                for (; k < frequencies.size() && k < t.levels->size() && std::isfinite((*t.levels)[k]); ++k) {
                    f.push_back(frequencies[k]);
                    l.push_back((*t.levels)[k]);
                }
                curves.push_back({&f, &l, t.rgb, 1.2, t.dashed, labelled ? "" : t.label});
                labelled = true;
            }
        }
        core::sheet::DrawResponsePlot(doc.pages.front(), frame, curves);
        std::string png;
        if (!RenderPng(doc, 0, 2.0, false, png, error)) return false;
        return platform::WriteFileAtomically(path, png, &error);
    }

    RgbImage img(kWidth, kHeight, kBackground);
    const int plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    auto xOf = [&](double hz) {
        return kLeft + static_cast<int>(
                           std::lround(std::log(hz / kLowHz) / std::log(kHighHz / kLowHz) * plotW));
    };
    auto yOf = [&](double db) {
        return kTop + static_cast<int>(std::lround((top - db) / (top - bottom) * plotH));
    };

    // Grid: 1-2-5 steps per decade, labelled; levels every step, labelled.
    for (double decade = 10.0; decade <= 10000.0; decade *= 10.0) {
        for (double m : {2.0, 5.0, 10.0}) {
            const double hz = decade * m;
            if (hz < kLowHz || hz > kHighHz) continue;
            const int x = xOf(hz);
            for (int y = kTop; y <= kTop + plotH; ++y) img.Set(x, y, kGrid);
            char label[16];
            if (hz >= 1000.0) {
                std::snprintf(label, sizeof label, "%dk", static_cast<int>(hz / 1000.0));
            } else {
                std::snprintf(label, sizeof label, "%d", static_cast<int>(hz));
            }
            DrawText(img, x - TextWidth(label, 2) / 2, kTop + plotH + 10, label, 2, kText);
        }
    }
    for (double db = top; db >= bottom - 1e-9; db -= step) {
        const int y = yOf(db);
        const uint32_t colour = std::fabs(db) < 1e-9 ? kAxis : kGrid;
        for (int x = kLeft; x <= kLeft + plotW; ++x) img.Set(x, y, colour);
        char label[16];
        std::snprintf(label, sizeof label, "%+d", static_cast<int>(db));
        if (std::fabs(db) < 1e-9) std::snprintf(label, sizeof label, "0");
        DrawText(img, kLeft - 8 - TextWidth(label, 2), y - 5, label, 2, kText);
    }
    for (int y = kTop; y <= kTop + plotH; ++y) {
        img.Set(kLeft, y, kAxis);
        img.Set(kLeft + plotW, y, kAxis);
    }

    // The curves: one column at a time, joined vertically to the previous column, clipped
    // to the plot area, drawn two pixels thick; a further trace is left out where it has
    // no value.
    auto draw = [&](const std::vector<double>& curve, uint32_t colour) {
        int prevY = 0;
        bool joined = false;
        for (int x = kLeft; x <= kLeft + plotW; ++x) {
            const double hz = kLowHz * std::pow(kHighHz / kLowHz, static_cast<double>(x - kLeft) / plotW);
            const double db = LevelAt(frequencies, curve, hz);
            if (!std::isfinite(db)) {
                joined = false;
                continue;
            }
            const int y = std::clamp(yOf(db), kTop - 1, kTop + plotH + 1);
            const int from = joined ? std::min(prevY, y) : y;
            const int to = joined ? std::max(prevY, y) : y;
            for (int yy = from; yy <= to; ++yy) {
                if (yy < kTop || yy > kTop + plotH) continue;
                img.Set(x, yy, colour);
                img.Set(x, yy + 1, colour);
            }
            prevY = y;
            joined = true;
        }
    };
    for (const PlotTrace& t : more) draw(*t.levels, t.rgb);
    draw(levels, kCurve);

    const std::vector<uint8_t> png = EncodePng(img);
    if (png.empty()) {
        error = "PNG compression failed";
        return false;
    }
    return platform::WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()), &error);
}

}  // namespace dvdsp::cli
