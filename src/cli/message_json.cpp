#include "cli/message_json.h"

#include <cjson/cJSON.h>

#include "base/log.h"
#include "link/commands.h"

namespace dvdsp::cli {

using namespace link;

const char* MessageName(uint32_t msg) {
    switch (msg) {
        case WM_READ_DSP_VALUE:
            return "WM_READ_DSP_VALUE";
        case WM_READ_MCU_VALUE:
            return "WM_READ_MCU_VALUE";
        case WM_READ_SCENE_VALUE:
            return "WM_READ_SCENE_VALUE";
        case WM_SCENE_DELETED:
            return "WM_SCENE_DELETED";
        case WM_DEVICE_STATUS_UNNORMAL:
            return "WM_DEVICE_STATUS_UNNORMAL";
        case WM_READ_IRC_VALUE:
            return "WM_READ_IRC_VALUE";
        case WM_READ_KTV_VALUE:
            return "WM_READ_KTV_VALUE";
        case WM_READ_MEM_VALUE:
            return "WM_READ_MEM_VALUE";
        case WM_READ_SCENE_ID:
            return "WM_READ_SCENE_ID";
        default:
            return "WM_UNKNOWN";
    }
}

namespace {

void Num(cJSON* o, const char* k, double v) {
    cJSON_AddNumberToObject(o, k, v);
}

template <typename A>
cJSON* Array(const A& values, int first, int last) {
    cJSON* a = cJSON_CreateArray();
    for (int i = first; i <= last && i >= 0 && i < static_cast<int>(values.size()); ++i)
        cJSON_AddItemToArray(
            a, cJSON_CreateNumber(static_cast<double>(values[static_cast<size_t>(i)])));
    return a;
}

std::string Text(const char* p, size_t n) {
    std::string s(p, n);
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

// Adds the fields of the record, whatever its shape.
void AddRecord(cJSON* o, const Record* r) {
    if (auto* v = dynamic_cast<const ChannelValue*>(r)) {
        Num(o, "scene", v->scene), Num(o, "ch", v->ch), Num(o, "value", v->value);
    } else if (auto* f = dynamic_cast<const ChannelFloat*>(r)) {
        Num(o, "scene", f->scene), Num(o, "ch", f->ch), Num(o, "value", f->value);
    } else if (auto* fl = dynamic_cast<const FilterValue*>(r)) {
        Num(o, "scene", fl->scene), Num(o, "ch", fl->ch);
        Num(o, "hp_type", fl->hp_type), Num(o, "hp_freq", fl->hp_freq),
            Num(o, "hp_slope", fl->hp_slope);
        Num(o, "lp_type", fl->lp_type), Num(o, "lp_freq", fl->lp_freq),
            Num(o, "lp_slope", fl->lp_slope);
    } else if (auto* eq = dynamic_cast<const EqBandValue*>(r)) {
        Num(o, "scene", eq->scene), Num(o, "ch", eq->ch), Num(o, "band", eq->band);
        Num(o, "freq", eq->freq), Num(o, "q", eq->q), Num(o, "gain", eq->gain);
    } else if (auto* mx = dynamic_cast<const MixValue*>(r)) {
        Num(o, "scene", mx->scene), Num(o, "source", mx->source), Num(o, "ch", mx->ch);
        Num(o, "mask", mx->mask);
    } else if (auto* lk = dynamic_cast<const LinkValue*>(r)) {
        Num(o, "scene", lk->scene), Num(o, "link", lk->link);
        cJSON_AddItemToObject(o, "pairs", Array(lk->pairs, 0, lk->count - 1));
    } else if (auto* lo = dynamic_cast<const LockValue*>(r)) {
        Num(o, "scene", lo->scene), Num(o, "lock", lo->lock);
    } else if (auto* rb = dynamic_cast<const RangeBytes*>(r)) {
        Num(o, "scene", rb->scene), Num(o, "source", rb->source);
        Num(o, "ch_start", rb->ch_start), Num(o, "ch_end", rb->ch_end);
        cJSON_AddItemToObject(o, "values", Array(rb->values, rb->ch_start, rb->ch_end));
    } else if (auto* rm = dynamic_cast<const RangeModes*>(r)) {
        Num(o, "scene", rm->scene), Num(o, "source", rm->source);
        Num(o, "ch_start", rm->ch_start), Num(o, "ch_end", rm->ch_end);
        cJSON_AddItemToObject(o, "values", Array(rm->values, rm->ch_start, rm->ch_end));
    } else if (auto* rd = dynamic_cast<const RangeDistances*>(r)) {
        Num(o, "scene", rd->scene), Num(o, "source", rd->source);
        Num(o, "ch_start", rd->ch_start), Num(o, "ch_end", rd->ch_end);
        cJSON_AddItemToObject(o, "hundredths", Array(rd->values, rd->ch_start, rd->ch_end));
    } else if (auto* c = dynamic_cast<const CompressorValue*>(r)) {
        Num(o, "scene", c->scene), Num(o, "ch", c->ch), Num(o, "bypass", c->bypass);
        Num(o, "threshold", c->threshold), Num(o, "ratio", c->ratio);
        Num(o, "attack", c->attack), Num(o, "release", c->release),
            Num(o, "soft_knee", c->soft_knee);
    } else if (auto* c2 = dynamic_cast<const Compressor2Value*>(r)) {
        Num(o, "scene", c2->scene), Num(o, "ch", c2->ch), Num(o, "threshold", c2->threshold);
        Num(o, "attack", c2->attack), Num(o, "release", c2->release);
    } else if (auto* mt = dynamic_cast<const MixTypeValue*>(r)) {
        Num(o, "scene", mt->scene), Num(o, "source", mt->source), Num(o, "type", mt->type);
    } else if (auto* iv = dynamic_cast<const Int32Value*>(r)) {
        Num(o, "value", iv->value);
    } else if (auto* ro = dynamic_cast<const RemOutValue*>(r)) {
        Num(o, "rem_out1", ro->rem_out1), Num(o, "rem_out2", ro->rem_out2);
    } else if (auto* cs = dynamic_cast<const CrossSourceMixValue*>(r)) {
        Num(o, "scene", cs->scene), Num(o, "source", cs->source), Num(o, "ch", cs->ch);
        Num(o, "vice_source", cs->vice_source), Num(o, "vice_ch", cs->vice_ch);
        Num(o, "vice_gain", cs->vice_gain);
    } else if (auto* br = dynamic_cast<const BridgeValue*>(r)) {
        Num(o, "scene", br->scene), Num(o, "source", br->source);
        cJSON_AddItemToObject(o, "bridge", Array(br->bridge, 0, br->count - 1));
    } else if (auto* mem = dynamic_cast<const MemValue*>(r)) {
        uint32_t addr = 0, data = 0;
        for (int i = 3; i >= 0; --i) {
            addr = (addr << 8) | mem->bytes[static_cast<size_t>(i)];
            data = (data << 8) | mem->bytes[static_cast<size_t>(4 + i)];
        }
        Num(o, "address", addr), Num(o, "data", data);
    } else if (auto* icf = dynamic_cast<const IrcChannelFloat*>(r)) {
        Num(o, "ch", icf->ch), Num(o, "value", icf->value);
    } else if (auto* icb = dynamic_cast<const IrcChannelByte*>(r)) {
        Num(o, "ch", icb->ch), Num(o, "value", icb->value);
    } else if (auto* ieq = dynamic_cast<const IrcEqValue*>(r)) {
        Num(o, "ch", ieq->ch), Num(o, "band", ieq->band), Num(o, "freq", ieq->freq);
        Num(o, "q", ieq->q), Num(o, "gain", ieq->gain);
    } else if (auto* sp = dynamic_cast<const IrcSpectrumValue*>(r)) {
        Num(o, "ch", sp->ch), Num(o, "band", sp->band), Num(o, "freq", sp->freq);
        Num(o, "gain", sp->gain);
    } else if (auto* imt = dynamic_cast<const InputMixTrimValue*>(r)) {
        Num(o, "scene", imt->scene), Num(o, "source", imt->source), Num(o, "in_ch", imt->in_ch);
        Num(o, "out_start", imt->out_start), Num(o, "out_end", imt->out_end);
        cJSON_AddItemToObject(o, "trims", Array(imt->trims, 0, imt->out_end - imt->out_start));
    } else if (auto* noise = dynamic_cast<const InputNoiseValue*>(r)) {
        Num(o, "ch_x", noise->ch_x), Num(o, "ch_y", noise->ch_y);
        cJSON_AddItemToObject(o, "levels", Array(noise->levels, noise->ch_x, noise->ch_y));
    } else if (auto* dist = dynamic_cast<const DistortValue*>(r)) {
        Num(o, "source", dist->source), Num(o, "ch_start", dist->ch_start),
            Num(o, "ch_end", dist->ch_end);
        cJSON_AddItemToObject(o, "values", Array(dist->values, dist->ch_start, dist->ch_end));
    } else if (auto* hs = dynamic_cast<const HandshakeValue*>(r)) {
        Num(o, "model", hs->model), Num(o, "master", hs->master), Num(o, "slave", hs->slave);
    } else if (auto* fv = dynamic_cast<const FlashVersionValue*>(r)) {
        cJSON_AddItemToObject(o, "version", Array(fv->v, 4, 7));
    } else if (auto* pw = dynamic_cast<const PasswordValue*>(r)) {
        cJSON_AddStringToObject(o, "password",
                                Text(pw->pwd.data(), static_cast<size_t>(pw->pwd_len)).c_str());
        cJSON_AddStringToObject(
            o, "remark", Text(pw->remark.data(), static_cast<size_t>(pw->remark_len)).c_str());
    } else if (auto* info = dynamic_cast<const InfoStringValue*>(r)) {
        cJSON_AddStringToObject(o, "text", Text(info->text.data(), info->len).c_str());
    } else if (auto* sn = dynamic_cast<const SceneNameValue*>(r)) {
        Num(o, "index", sn->index);
        cJSON_AddStringToObject(
            o, "name",
            Text(reinterpret_cast<const char*>(sn->name.data()), sn->name.size()).c_str());
    }
}

}  // namespace

cJSON* MessageToJson(const Message& m) {
    cJSON* o = cJSON_CreateObject();
    cJSON_AddStringToObject(o, "msg", MessageName(m.msg));
    if (m.msg == WM_READ_DSP_VALUE) {
        const wchar_t* name = DspCommandName(static_cast<uint8_t>(m.wparam));
        if (name && m.wparam <= 0xFF) cJSON_AddStringToObject(o, "cmd", WideToUtf8(name).c_str());
    }
    Num(o, "wparam", m.wparam);
    if (m.record)
        AddRecord(o, m.record.get());
    else
        Num(o, "value", static_cast<double>(m.value));
    return o;
}

}  // namespace dvdsp::cli
