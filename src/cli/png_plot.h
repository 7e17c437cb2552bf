#pragma once
// The response plot of dvdsp-cli: the curve on a logarithmic frequency axis from 20 Hz to
// 20 kHz, with decade and 6 dB grid lines. Where Cairo is built in it is the setup sheet's
// plot (core/sheet_plot.h) drawn by Cairo, titled Hz and dB; the Windows build draws it
// with the small PNG writer and pixel font here.

#include <cstdint>
#include <string>
#include <vector>

namespace dvdsp::cli {

// An RGB image, 8 bits per channel, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3

    RgbImage(int w, int h, uint32_t background);
    void Set(int x, int y, uint32_t rgb);
    uint32_t Get(int x, int y) const;
};

// The PNG file of the image (colour type 2, no interlace). Empty when compression fails.
std::vector<uint8_t> EncodePng(const RgbImage& image);

// A further curve on the same frequencies: NaN where it has no value (not drawn).
struct PlotTrace {
    const std::vector<double>* levels;
    uint32_t rgb = 0xD06020;
    bool dashed = false;
    std::string label;
};

// Draws the level curve (dB over Hz, ascending frequencies) and the further traces, and
// writes it as a PNG file. Returns false with a reason when the file cannot be written.
bool WriteResponsePlot(const std::string& path, const std::vector<double>& frequencies,
                       const std::vector<double>& levels, std::string& error,
                       const std::vector<PlotTrace>& more = {});

}  // namespace dvdsp::cli
