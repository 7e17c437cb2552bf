#include "core/readout.h"

#include <algorithm>

#include "base/identity.h"
#include "base/log.h"

namespace dvdsp::core {

int ReadOutUnitStatus(link::DspDevice& dev, const ReadOutPlan& plan, std::string* why) {
    LogWriteNarrow("PC_UI_Status_Init\n");
    link::ExchangeSequence sequence(dev, "read-out");
    auto failed = [&](int result) {  // the sequence logs what went wrong
        if (why) *why = sequence.Summary();
        return result;
    };
    dev.PC_Connect(1);
    if (!dev.Hand_Connect() || !sequence.Complete()) return failed(kReadOutNoHandshake);
    if (dev.Model() != kModelId || !dev.HandshakeOk()) return kReadOutDone;

    dev.Get_Source();
    dev.Get_Main_Volume();
    dev.Get_Acc();
    dev.Get_Subwoofer_Volume();
    dev.Get_Mute();
    dev.Get_Amp_Mute();
    dev.Get_Rem_Out();
    dev.Get_Spk_Ohm();
    dev.Get_Noise_Gate();
    dev.Get_Speaker_Config();
    dev.GetSceneValid();

    const uint8_t last = kOutputChannels - 1;
    dev.Get_Delay(0, 0, 0, last);
    dev.Get_CH_Type(0, 0, 0, last);
    dev.Get_Ch_Solo(0, 0, 0, last);
    dev.Get_CH_Link(0);
    dev.Get_CH_Lock(0);

    for (uint8_t first = 0; first < 12; first += 4)
        dev.Get_Filter(0, 0, first, static_cast<uint8_t>(first + 3));
    dev.Get_PEQ_Bypass(0, 0, 0, last);

    for (int ch = 0; ch < kOutputChannels; ++ch) {
        int bands = plan.eqSize[static_cast<size_t>(ch)];
        for (int b = 0; b < bands; b += kEqBlock) {
            int end = std::min(b + kEqBlock, bands) - 1;
            dev.Get_EQ(0, 0, static_cast<uint8_t>(ch), static_cast<uint8_t>(b),
                       static_cast<uint8_t>(end));
        }
    }

    dev.Get_Trim(0, 0, 0, last);
    dev.Get_Mute_Ch(0, 0, 0, last);
    dev.Get_Phase(0, 0, 0, last);
    dev.Get_Ch_Solo(0, 0, 0, last);

    for (uint8_t source = 0; source < kSourceCount; ++source) dev.Get_Mix_Ch(0, source, 0, last);
    for (uint8_t source = 0; source < kSourceCount; ++source)
        for (uint8_t in = 0; in < kInputChannelsPerSource[source]; ++in)
            dev.Get_Input_Mix_CH_Trim(0, source, in, 0, last);
    for (uint8_t source = 0; source < kSourceCount; ++source)
        for (uint8_t in = 0; in < kInputChannelsPerSource[source]; ++in)
            dev.Get_Mix_Source2(0, source, in);

    for (uint8_t scene = 1; scene <= 10; ++scene) dev.GetSceneName(scene);
    dev.Get_Ouput_Bridge(0, 0, 5);
    if (!sequence.Complete()) return failed(kReadOutIncomplete);
    LogWriteNarrow("PC_UI_Status_Init done\n");
    return kReadOutDone;
}

}  // namespace dvdsp::core
