#include "ui/remote/item_json.h"

#include <QJsonArray>
#include <QString>

namespace dvdsp::ui {
namespace {

using core::Field;

struct Visitor {
    QJsonValue operator()(int32_t v) const { return v; }
    QJsonValue operator()(float v) const { return static_cast<double>(v); }
    QJsonValue operator()(uint8_t v) const { return static_cast<int>(v); }
    QJsonValue operator()(const core::CrossoverFilter& f) const {
        return QJsonObject{{"freq", f.freq}, {"type", f.type}, {"slope", f.slope}, {"bypass", f.bypass}};
    }
    QJsonValue operator()(const core::CompressorSettings& c) const {
        return QJsonObject{{"bypass", c.bypass},
                           {"threshold", static_cast<double>(c.threshold)},
                           {"ratio", static_cast<double>(c.ratio)},
                           {"attack", c.attack},
                           {"release", c.release},
                           {"softKnee", static_cast<double>(c.softKnee)}};
    }
    QJsonValue operator()(const core::EqBand& b) const {
        return QJsonObject{{"freq", b.freq}, {"q", static_cast<double>(b.q)}, {"gain", static_cast<double>(b.gain)}};
    }
    QJsonValue operator()(const std::array<int32_t, 4>& a) const {
        QJsonArray out;
        for (int32_t v : a) out.append(v);
        return out;
    }
    QJsonValue operator()(const core::SceneName& n) const {
        QString text;
        for (char16_t c : n) {
            if (c == 0) break;
            text += QChar(c);
        }
        return text;
    }
    QJsonValue operator()(const core::AutoSettingBlock&) const { return QJsonValue(); }
};

}  // namespace

const char* ItemFieldName(Field field) {
    switch (field) {
    case Field::Model: return "model";
    case Field::MainVersion: return "main-version";
    case Field::SlaveVersion: return "slave-version";
    case Field::DspFlashVersion: return "dsp-flash-version";
    case Field::Source: return "source";
    case Field::MainVolume: return "main-volume";
    case Field::Acc: return "acc";
    case Field::SubVolume: return "sub-volume";
    case Field::SceneNumber: return "scene-number";
    case Field::MainMute: return "mute";
    case Field::AmpOn: return "amp";
    case Field::RemoteOut1: return "rem-out1";
    case Field::RemoteOut2: return "rem-out2";
    case Field::TwoOhm: return "spk-ohm";
    case Field::NoiseGate: return "noise-gate";
    case Field::AutoEffect: return "auto-effect";
    case Field::ChannelCount: return "channel-count";
    case Field::Bridge: return "bridge";
    case Field::EqSize: return "eq-size";
    case Field::Trim: return "trim";
    case Field::ChannelMute: return "ch-mute";
    case Field::Delay: return "delay";
    case Field::Phase: return "phase";
    case Field::Solo: return "solo";
    case Field::EqBypass: return "eq-bypass";
    case Field::CompressorOn: return "compressor-on";
    case Field::FilterType: return "filter-type";
    case Field::HighPass: return "high-pass";
    case Field::LowPass: return "low-pass";
    case Field::Role: return "type";
    case Field::SavedRole: return "saved-type";
    case Field::LinkPartner: return "link-partner";
    case Field::CurveShown: return "curve-shown";
    case Field::LinkGroup: return "link-group";
    case Field::DelayLinkGroup: return "delay-link-group";
    case Field::Compressor: return "compressor";
    case Field::Band: return "eq";
    case Field::Routing: return "mix";
    case Field::MixTrim: return "mix-trim";
    case Field::MixPhase: return "mix-phase";
    case Field::CrossSource: return "cross-source";
    case Field::CrossChannel: return "cross-channel";
    case Field::CrossGain: return "cross-gain";
    case Field::CurrentChannel: return "current-channel";
    case Field::LinkMode: return "link-mode";
    case Field::LockMode: return "lock-mode";
    case Field::Name: return "scene-name";
    case Field::ValidScenes: return "valid-scenes";
    case Field::Karaoke: return "karaoke";
    case Field::InputThreshold: return "input-threshold";
    case Field::PowerOffDelay: return "power-off-delay";
    case Field::AutoSetting: return "auto-setting";
    }
    return "unknown";
}

QJsonObject ItemChangeToJson(const core::ItemChange& change) {
    QJsonObject o{{"field", ItemFieldName(change.key.field)}, {"scene", change.key.scene}};
    QJsonArray idx;
    for (int v : {change.key.i, change.key.j, change.key.k})
        if (v >= 0) idx.append(v);
    o["indexes"] = idx;
    o["old"] = std::visit(Visitor{}, change.before);
    o["new"] = std::visit(Visitor{}, change.after);
    return o;
}

}  // namespace dvdsp::ui
