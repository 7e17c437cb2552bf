#pragma once
// The processing part of the controller: the values of the small processing windows.
// Each operation stores the value (the live settings through the editor, the unit-wide
// values in the model), reports the change and sends it at once: the compressors of the
// output channels, the input noise threshold and the noise levels, the power-off delay,
// the karaoke settings, the automatic-setting block and the raw DSP memory words. The
// windows hold the ranges of their sliders and hand the operations values inside them;
// the table of limits keeps whatever reaches the unit in its range all the same.

#include <cstdint>

#include "core/controller_context.h"

namespace dvdsp::core {

class Processing {
public:
    explicit Processing(ControllerContext& ctx) : ctx_(ctx) {}

    // The full compressor of `ch`: stored whole and sent with Compressor_Ctrl, queued.
    void SetCompressor(int ch, const CompressorSettings& settings);
    // The simple compressor's threshold (dB), attack and release (ms) of `ch`: stored and
    // sent for that channel alone with Compressor_Ctrl2, queued.
    void SetCompressor2(int ch, float threshold, int attack, int release);
    // The channel's compressor on or off (Compressor_Ch_Ctrl, sent at once).
    void SetCompressorOn(int ch, bool on);

    // Input noise threshold in dBu, held to -61 (off) .. -40; returns what was stored.
    int SetInputThreshold(int threshold);
    int InputThreshold() const { return ctx_.model.inputThreshold; }
    // Input channels of the current source, and a request for their noise levels.
    int NoiseInputCount() const;
    void RequestInputNoise(int count);

    // Power-off delay in ms, held to 0..1000; returns what was stored.
    int SetPowerOffDelay(int ms);
    int PowerOffDelay() const { return ctx_.model.powerOffDelay; }

    // Karaoke setting `code` (1-10), sent queued with its command; the value is put in
    // the parameter's range first. Returns what was stored.
    int SetKaraoke(int code, int value);
    int Karaoke(int code) const;

    // The automatic-setting block: the window edits a copy and hands it back whole; it
    // is stored and sent unchanged, queued.
    const AutoSettingBlock& AutoSetting() const { return ctx_.model.autoSetting; }
    void SetAutoSetting(const AutoSettingBlock& block);

    // One DSP memory word: the read is sent at once and its reply goes to the memory
    // window; the write is queued.
    void ReadMemory(uint32_t address);
    void WriteMemory(uint32_t address, uint32_t data);

    // Asks the unit for what a window shows as it opens; the replies are stored as they
    // come and reported like any other. Nothing is asked without a unit.
    void ReadCompressor(int ch);
    void ReadCompressors();
    void ReadInputThreshold();
    void ReadPowerOffDelay();
    void ReadKaraoke();

private:
    ControllerContext& ctx_;
};

}  // namespace dvdsp::core
