#pragma once
// Shared pieces of the reply decoder tests: a DspDevice over a backend with no unit, a
// recording sink on every target, packets written as hex, and a one-line rendering of
// every posted message so that expectations read as plain text.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/messages.h"
#include "link/packet.h"

namespace dvdsp::link::testing {

class NoUnitBackend final : public HidBackend {
  public:
    int Init() override { return 0; }
    std::shared_ptr<HidHandle> Open(uint16_t, uint16_t) override { return nullptr; }
};

class RecordingSink final : public MessageSink {
  public:
    void Post(Message m) override { messages.push_back(std::move(m)); }
    std::vector<Message> messages;
};

inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) out.push_back(static_cast<uint8_t>(std::stoul(tok, nullptr, 16)));
    return out;
}

inline const char* TargetName(Target t) {
    static const char* const names[] = {"main", "scene", "irc", "noise", "mem"};
    return names[static_cast<int>(t)];
}

template <typename A>
std::string Join(const A& a, int first, int last) {
    std::string s = "[";
    for (int i = first; i <= last; ++i) {
        if (i > first) s += ' ';
        std::ostringstream v;
        v << +a[static_cast<size_t>(i)];
        s += v.str();
    }
    return s + "]";
}

// Renders a record with its fields; indexed arrays only over their stated range.
inline std::string Describe(const Record* r) {
    std::ostringstream o;
    o << std::noshowpoint;
    if (auto* v = dynamic_cast<const ChannelValue*>(r)) {
        o << "ChannelValue{" << v->scene << ' ' << v->ch << ' ' << v->value << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const ChannelFloat*>(r)) {
        o << "ChannelFloat{" << v->scene << ' ' << v->ch << ' ' << v->value << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const FilterValue*>(r)) {
        o << "FilterValue{" << v->scene << ' ' << v->ch << " hp " << v->hp_type << ' ' << v->hp_freq
          << ' ' << v->hp_slope << " lp " << v->lp_type << ' ' << v->lp_freq << ' ' << v->lp_slope
          << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const EqBandValue*>(r)) {
        o << "EqBandValue{" << v->scene << ' ' << v->ch << ' ' << v->band << ' ' << v->freq
          << "Hz q" << v->q << ' ' << v->gain << "dB}";
        return o.str();
    }
    if (auto* v = dynamic_cast<const MixValue*>(r)) {
        o << "MixValue{" << v->scene << ' ' << v->source << ' ' << v->ch << " 0x" << std::hex
          << v->mask << std::dec << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const LinkValue*>(r)) {
        o << "LinkValue{" << v->scene << ' ' << v->link << ' ' << Join(v->pairs, 0, v->count - 1)
          << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const LockValue*>(r)) {
        o << "LockValue{" << v->scene << ' ' << v->lock << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const RangeBytes*>(r)) {
        o << "RangeBytes{" << v->scene << ' ' << v->source << ' ' << v->ch_start << '-' << v->ch_end
          << ' ' << Join(v->values, v->ch_start, v->ch_end) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const RangeModes*>(r)) {
        o << "RangeModes{" << +v->scene << ' ' << +v->source << ' ' << +v->ch_start << '-'
          << +v->ch_end << ' ' << Join(v->values, v->ch_start, v->ch_end) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const RangeDistances*>(r)) {
        o << "RangeDistances{" << +v->scene << ' ' << +v->source << ' ' << +v->ch_start << '-'
          << +v->ch_end << ' ' << Join(v->values, v->ch_start, v->ch_end) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const CompressorValue*>(r)) {
        o << "CompressorValue{" << v->scene << ' ' << v->ch << ' ' << v->bypass << ' '
          << v->threshold << "dB " << v->ratio << ' ' << v->attack << ' ' << v->release << ' '
          << v->soft_knee << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const Compressor2Value*>(r)) {
        o << "Compressor2Value{" << v->scene << ' ' << v->ch << ' ' << v->threshold << "dB "
          << v->attack << ' ' << v->release << "ms}";
        return o.str();
    }
    if (auto* v = dynamic_cast<const MixTypeValue*>(r)) {
        o << "MixTypeValue{" << v->scene << ' ' << v->source << ' ' << v->type << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const Int32Value*>(r)) {
        o << "Int32Value{" << v->value << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const RemOutValue*>(r)) {
        o << "RemOutValue{" << +v->rem_out1 << ' ' << +v->rem_out2 << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const CrossSourceMixValue*>(r)) {
        o << "CrossSourceMixValue{" << +v->scene << ' ' << +v->source << ' ' << +v->ch << ' '
          << +v->vice_source << ' ' << +v->vice_ch << ' ' << +v->vice_gain << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const BridgeValue*>(r)) {
        o << "BridgeValue{" << +v->scene << ' ' << +v->source << ' ' << +v->count << ' '
          << Join(v->bridge, 0, v->count - 1) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const MemValue*>(r)) {
        o << "MemValue" << Join(v->bytes, 0, 7);
        return o.str();
    }
    if (auto* v = dynamic_cast<const IrcChannelFloat*>(r)) {
        o << "IrcChannelFloat{" << v->ch << ' ' << v->value << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const IrcChannelByte*>(r)) {
        o << "IrcChannelByte{" << v->ch << ' ' << v->value << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const IrcEqValue*>(r)) {
        o << "IrcEqValue{" << v->ch << ' ' << v->band << ' ' << v->freq << "Hz q" << v->q << ' '
          << v->gain << "dB}";
        return o.str();
    }
    if (auto* v = dynamic_cast<const IrcSpectrumValue*>(r)) {
        o << "IrcSpectrumValue{" << v->ch << ' ' << v->band << ' ' << v->freq << "Hz " << v->gain
          << "dB}";
        return o.str();
    }
    if (auto* v = dynamic_cast<const InputMixTrimValue*>(r)) {
        o << "InputMixTrimValue{" << +v->scene << ' ' << +v->source << ' ' << +v->in_ch << ' '
          << +v->out_start << '-' << +v->out_end << ' '
          << Join(v->trims, 0, v->out_end - v->out_start) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const InputNoiseValue*>(r)) {
        o << "InputNoiseValue{" << v->ch_x << '-' << v->ch_y << ' '
          << Join(v->levels, v->ch_x, v->ch_y) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const DistortValue*>(r)) {
        o << "DistortValue{" << +v->source << ' ' << +v->ch_start << '-' << +v->ch_end << ' '
          << Join(v->values, v->ch_start, v->ch_end) << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const HandshakeValue*>(r)) {
        o << "HandshakeValue{" << v->zero << ' ' << v->model << ' ' << v->master << ' ' << v->slave
          << '}';
        return o.str();
    }
    if (auto* v = dynamic_cast<const FlashVersionValue*>(r)) {
        o << "FlashVersionValue" << Join(v->v, 0, 7);
        return o.str();
    }
    if (auto* v = dynamic_cast<const PasswordValue*>(r)) {
        o << "PasswordValue{" << v->pwd_len << " \""
          << std::string(v->pwd.data(), static_cast<size_t>(v->pwd_len)) << "\" " << v->remark_len
          << " \"" << std::string(v->remark.data(), static_cast<size_t>(v->remark_len)) << "\"}";
        return o.str();
    }
    if (auto* v = dynamic_cast<const InfoStringValue*>(r)) {
        o << "InfoStringValue{" << +v->len << " \"" << std::string(v->text.data(), v->len) << "\"}";
        return o.str();
    }
    if (auto* v = dynamic_cast<const SceneNameValue*>(r)) {
        o << "SceneNameValue{" << v->zero << ' ' << v->index << ' ' << Join(v->name, 0, 15) << '}';
        return o.str();
    }
    return "unknown record";
}

// Device profiles the golden rows run under.
enum class Profile { Model, SignedTrim, WideInputs, NoiseToMain };

// One golden vector: a packet (type and payload as hex) and what it must post, rendered
// as by DecodeTest::Take.
struct Golden {
    std::string name;
    uint8_t type = 0;
    std::string payload;
    std::vector<std::string> expect;
    Profile profile = Profile::Model;
};

inline void PrintTo(const Golden& g, std::ostream* os) {
    *os << g.name << " (type " << +g.type << ": " << g.payload << ")";
}

// `count` copies of one hex byte, for long payloads.
inline std::string Rep(const std::string& byte, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += " " + byte;
    return s;
}

// A DspDevice with the model's profile (98, 10 outputs, 8 inputs, trims as attenuation,
// noise to its own window) and a recording sink on each of the five targets.
class DecodeTest : public ::testing::Test {
  protected:
    NoUnitBackend backend;
    DspDevice dev{backend};
    std::array<RecordingSink, kTargetCount> sinks;

    void SetUp() override {
        dev.SetDeviceProfile(98, 10, 8, 1, 0);
        for (int t = 0; t < kTargetCount; ++t)
            dev.SetTarget(static_cast<Target>(t), &sinks[static_cast<size_t>(t)]);
    }

    // Feeds one complete packet: `payload` is command, operation and data as hex.
    void Feed(uint8_t type, const std::string& payload) { Feed(type, Hex(payload)); }
    void Feed(uint8_t type, const std::vector<uint8_t>& bytes) {
        std::array<uint8_t, kPayloadSize> buf{};
        ASSERT_LE(bytes.size(), kPayloadSize);
        std::copy(bytes.begin(), bytes.end(), buf.begin());
        dev.packet_process(static_cast<uint8_t>(bytes.size() + 1), type, buf.data());
    }

    void Apply(Profile p) {
        switch (p) {
            case Profile::Model:
                dev.SetDeviceProfile(98, 10, 8, 1, 0);
                break;
            case Profile::SignedTrim:
                dev.SetDeviceProfile(98, 10, 8, 0, 0);
                break;
            case Profile::WideInputs:
                dev.SetDeviceProfile(98, 10, 12, 1, 0);
                break;
            case Profile::NoiseToMain:
                dev.SetDeviceProfile(98, 10, 8, 1, 1);
                break;
        }
    }

    void CheckGolden(const Golden& g) {
        Apply(g.profile);
        Feed(g.type, g.payload);
        EXPECT_EQ(Take(), g.expect) << g.name;
    }

    // Everything posted since the last call, rendered one message per line in the order
    // of posting within each target (targets in their fixed order).
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        for (int t = 0; t < kTargetCount; ++t) {
            for (Message& m : sinks[static_cast<size_t>(t)].messages) {
                std::ostringstream o;
                o << TargetName(static_cast<Target>(t)) << ' ' << m.msg << ' ' << m.wparam << ' ';
                if (m.record)
                    o << Describe(m.record.get());
                else
                    o << m.value;
                out.push_back(o.str());
            }
            sinks[static_cast<size_t>(t)].messages.clear();
        }
        return out;
    }
};

}  // namespace dvdsp::link::testing
