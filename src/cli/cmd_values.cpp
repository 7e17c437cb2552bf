// get and set: the values of the unit by name (core/value_table.h), parsed and checked.
#include <cjson/cJSON.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "base/limits.h"
#include "cli/cli.h"
#include "cli/cmd_model.h"
#include "core/channel_format.h"
#include "core/model_editor.h"
#include "core/outgoing.h"
#include "core/value_ops.h"
#include "core/value_table.h"

namespace dvdsp::cli {

namespace {

using core::ValueDef;
using Args = ValueDef::Args;

// A value set as the window sets it: the unit's live settings are read (its bands only
// when `bands`), the value operation applies the followers of what the unit holds (the
// stereo-link partner, the bridged neighbour; link groups belong to a window's session),
// and each change goes to the unit at once, as the model then holds it.
int SetAsTheWindowDoes(Session& s, bool bands, const std::function<void(core::ValueOps&)>& op) {
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    core::ReadOutPlan plan;
    if (!bands) plan.eqSize.fill(0);
    std::string why;
    if (core::ReadOutUnitStatus(s.Device(), plan, &why) != core::kReadOutDone) {
        std::fprintf(stderr, "the unit's settings could not all be read (%s)\n", why.c_str());
        return kUnitError;
    }
    core::UnitModel model;
    ApplyPosted(s, model);
    core::ModelEditor editor(model);
    core::ValueOps ops(editor, [&](const core::Change& change) {
        for (link::protocol::Frame& f : core::FramesOf(change, editor.Unit(), s.Device().Profile()))
            s.Device().Send(std::move(f), true);
    });
    op(ops);
    s.Sink().Take();
    return kOk;
}

const std::vector<ValueDef>& Values() { return core::ValueDefs(); }

const ValueDef* Find(const std::string& name) {
    if (const ValueDef* d = core::FindValueDef(name)) return d;
    std::fprintf(stderr, "unknown value '%s' (see dvdsp-cli --help)\n", name.c_str());
    return nullptr;
}

std::vector<std::string> SynopsisWords(const char* synopsis) {
    std::vector<std::string> w;
    std::string cur;
    for (const char* p = synopsis; *p; ++p) {
        if (*p == ' ') {
            if (!cur.empty()) w.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (!cur.empty()) w.push_back(cur);
    return w;
}

bool ParseIndexes(const ValueDef& def, const std::vector<std::string>& args, Args& idx) {
    auto words = SynopsisWords(def.indexes);
    for (int k = 0; k < def.indexCount; ++k) {
        const std::string& word = words[static_cast<size_t>(k)];
        const std::string& text = args[static_cast<size_t>(1 + k)];
        double v;
        if (!ParseIndex(word, text, v)) {
            long number;
            double any;
            const char* why = word == "hp|lp"              ? "is not hp or lp"
                              : ParseInt(text, number)   ? "is out of range"
                              : ParseDouble(text, any)   ? "is not a whole number"
                                                         : "is not a number";
            std::fprintf(stderr, "%s: %s '%s' %s\n", def.name, word.c_str(), text.c_str(), why);
            return false;
        }
        idx.push_back(v);
    }
    return true;
}

// get NAME [INDEX...]: the value and its indexes, or null after saying what is wrong.
const ValueDef* ParseGet(const std::vector<std::string>& args, Args& idx) {
    if (args.empty()) return nullptr;
    const ValueDef* def = Find(args[0]);
    if (!def || static_cast<int>(args.size()) != 1 + def->indexCount) return nullptr;
    return ParseIndexes(*def, args, idx) ? def : nullptr;
}

// set NAME [INDEX...] VALUE...: checked against the value's limits before anything is sent.
const ValueDef* ParseSet(const std::vector<std::string>& args, Args& idx, Args& val) {
    if (args.empty()) return nullptr;
    const ValueDef* def = Find(args[0]);
    if (!def || static_cast<int>(args.size()) != 1 + def->indexCount + def->valueCount) return nullptr;
    if (!ParseIndexes(*def, args, idx)) return nullptr;
    for (int k = 0; k < def->valueCount; ++k) {
        const std::string& text = args[static_cast<size_t>(1 + def->indexCount + k)];
        double v;
        if (!ParseDouble(text, v)) {
            std::fprintf(stderr, "%s: '%s' is not a number\n", def->name, text.c_str());
            return nullptr;
        }
        if (k < static_cast<int>(def->limits.size())) {
            const Limit& limit = def->limits[static_cast<size_t>(k)];
            if (!limit.Accepts(v)) {
                std::fprintf(stderr, "%s: %g is outside %g to %g\n", def->name, v, limit.min,
                             limit.max);
                return nullptr;
            }
            // A value whose slider counts it in ones is a whole number on the unit: a
            // fraction would be cut without a word.
            if (limit.scale == 1 && std::floor(v) != v) {
                std::fprintf(stderr, "%s: '%s' is not a whole number\n", def->name, text.c_str());
                return nullptr;
            }
        }
        val.push_back(v);
    }
    return def;
}

int CheckGet(const std::vector<std::string>& args) {
    Args idx;
    return ParseGet(args, idx) ? kOk : kUsage;
}

int CheckSet(const std::vector<std::string>& args) {
    Args idx, val;
    return ParseSet(args, idx, val) ? kOk : kUsage;
}

// get and set through the control interface of the program that holds the unit: the same
// output, the window's own way of setting (followers of its session, one undo step).
cJSON* Request(const ValueDef& def, const Args& idx, const Args* val) {
    cJSON* params = cJSON_CreateObject();
    cJSON_AddStringToObject(params, "name", def.name);
    cJSON* i = cJSON_AddArrayToObject(params, "indexes");
    for (double v : idx) cJSON_AddItemToArray(i, cJSON_CreateNumber(v));
    if (val) {
        cJSON* v = cJSON_AddArrayToObject(params, "values");
        for (double x : *val) cJSON_AddItemToArray(v, cJSON_CreateNumber(x));
    }
    return params;
}

int RemoteValue(Session& s, const ValueDef& def, const Args& idx, const Args* val) {
    int code = kOk;
    cJSON* result = s.RemoteCall(val ? "set" : "get", Request(def, idx, val), code);
    if (!result) return code;
    const cJSON* text = cJSON_GetObjectItemCaseSensitive(result, "text");
    if (!val && cJSON_IsString(text)) std::printf("%s\n", text->valuestring);
    cJSON_Delete(result);
    return kOk;
}

int Get(Session& s, const std::vector<std::string>& args) {
    Args idx;
    const ValueDef* def = ParseGet(args, idx);
    if (!def) return kUsage;
    if (s.Remote()) return RemoteValue(s, *def, idx, nullptr);
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    def->get(s.Device(), idx);
    auto text = def->print(s.Sink().Take(), idx);
    if (!text) {
        std::fprintf(stderr, "the unit did not report %s\n", def->name);
        return kUnitError;
    }
    std::printf("%s\n", text->c_str());
    return kOk;
}

int Set(Session& s, const std::vector<std::string>& args) {
    Args idx, val;
    const ValueDef* def = ParseSet(args, idx, val);
    if (!def) return kUsage;
    if (s.Remote()) return RemoteValue(s, *def, idx, &val);
    return SetAsTheWindowDoes(s, def->needsBands, [&](core::ValueOps& ops) { def->set(ops, idx, val); });
}

std::string ValueHelp(bool forSet) {
    std::string h;
    for (const ValueDef& d : Values()) {
        h += std::string("\n  ") + d.name;
        if (*d.indexes) h += std::string(" ") + d.indexes;
        if (forSet) h += std::string(" ") + d.values;
        std::string help = d.help;
        for (size_t pos = 0; (pos = help.find('\n', pos)) != std::string::npos; pos += 5)
            help.replace(pos, 1, "\n    ");
        h += std::string("\n    ") + help;
    }
    return h;
}

// get and set complete the value's name, then the named words of its indexes (hp|lp).
std::vector<std::string> CompleteValue(const std::vector<std::string>& typed) {
    std::vector<std::string> out;
    if (typed.empty()) {
        for (const ValueDef& d : Values()) out.push_back(d.name);
        return out;
    }
    for (const ValueDef& d : Values()) {
        if (typed[0] != d.name) continue;
        const auto words = SynopsisWords(d.indexes);
        const size_t k = typed.size() - 1;
        if (k < words.size() && words[k].find('|') != std::string::npos) {
            const std::string& w = words[k];
            for (size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
                bar = w.find('|', start);
                out.push_back(w.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            }
        }
    }
    return out;
}

void RegisterValueCommands() {
    Register({"get", "NAME [INDEX...]",
              "Read one value from the unit and print it. Channels CH are 0-9, BAND 0-30,\n"
              "SOURCE 0-8, PAIR 0-4. NAME is one of:" +
                  ValueHelp(false),
              Get, CheckGet, CompleteValue});
    Register({"set", "NAME [INDEX...] VALUE...",
              "Change one value on the unit (same names as get; values in the units below):" +
                  ValueHelp(true),
              Set, CheckSet, CompleteValue});
}

const Registrar registrar(RegisterValueCommands);

}  // namespace
}  // namespace dvdsp::cli
