// Fuzz target for the firmware image checks: any bytes as an MCU image, a flash image and
// a merged file, with and without the model check. Whatever a check accepts must lie
// inside the input with matching sums, and a valid single image rebuilt from its fields
// must give back the input; the sanitizers watch every read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "firmware/image.h"

using namespace dvdsp::fw;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void CheckImage(std::span<const uint8_t> file, const ImageFields& f) {
    Check(f.present);
    Check(f.size >= kImageOverhead);
    Check(f.offset <= file.size() && f.size <= file.size() - f.offset);
    Check(f.payloadOffset == f.offset + 6);
    Check(f.payloadLength == f.size - kImageOverhead);
    Check(f.storedChecksum == f.computedChecksum);
    Check(ImageChecksum(file.subspan(f.offset, f.size - 4)) == f.computedChecksum);
}

void CheckRebuild(std::span<const uint8_t> file, const ImageFields& f) {
    const std::vector<uint8_t> again =
        MakeSingleImage(f.fwId, f.modelId, f.imageHeader,
                        file.subspan(f.payloadOffset, f.payloadLength), f.trailer);
    Check(again.size() == f.size);
    Check(std::equal(again.begin(), again.end(),
                     file.begin() + static_cast<std::ptrdiff_t>(f.offset)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    for (bool noCheckID : {false, true}) {
        const ModelCheck model{98, noCheckID};

        const CheckReport mcu = CheckMcuImageBytes(file, model, "fuzz");
        if (mcu.result == UPG_FILE_VALID) {
            CheckImage(file, mcu.mcu);
            Check(mcu.mcu.size == size && mcu.mcu.fwId == FW_ID_MCU);
            Check(noCheckID || mcu.mcu.modelId == 98);
            CheckRebuild(file, mcu.mcu);
        } else {
            Check(mcu.result == UPG_FILE_INVALID && mcu.failedCheck != kCheckPassed);
        }

        const CheckReport flash = CheckFlashImageBytes(file, model, "fuzz");
        if (flash.result == UPG_FILE_VALID) {
            CheckImage(file, flash.dsp);
            Check(flash.dsp.size == size);
            CheckRebuild(file, flash.dsp);
        }
        // An image valid as MCU image is valid as flash image too.
        Check(mcu.result != UPG_FILE_VALID || flash.result == UPG_FILE_VALID);

        const CheckReport merged = CheckMergedImageBytes(file, model, "fuzz");
        if (merged.result == UPG_FILE_VALID) {
            Check(size >= 3 && (data[0] == kMergedHeadMark || data[1] == kMergedHeadMark));
            Check(merged.totalFW >= 2 && merged.totalFW <= static_cast<int>(kMergedMaxImages));
            CheckImage(file, merged.mcu);
            CheckImage(file, merged.dsp);
            Check(merged.mcu.offset == 3 + 4 * static_cast<size_t>(merged.totalFW));
            Check(merged.dsp.offset == merged.mcu.offset + merged.mcu.size);
            Check(merged.mcu.fwId == FW_ID_MCU && merged.dsp.fwId == FW_ID_DSP);
            CheckRebuild(file, merged.mcu);
            CheckRebuild(file, merged.dsp);
        }
    }
    return 0;
}
