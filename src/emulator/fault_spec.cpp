#include "emulator/fault_spec.h"

#include <algorithm>
#include <charconv>

namespace dvdsp::emu {
namespace {

// A whole decimal number of at most 9 digits.
bool Whole(const std::string& s, long* out) {
    if (s.empty() || s.size() > 9) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
    return ec == std::errc() && end == s.data() + s.size() && *out >= 0;
}

bool IsLinkFault(const std::string& kind) {
    for (const char* k : {"drop", "corrupt", "split", "merge", "stall", "unplug"})
        if (kind == k) return true;
    return false;
}

bool ParseOne(const std::string& part, NamedFault* f) {
    const size_t at = part.find('@');
    if (at == std::string::npos) return false;
    f->kind = part.substr(0, at);
    std::string count = part.substr(at + 1);
    f->amount = 1;
    if (IsLinkFault(f->kind)) {
        if (const size_t x = count.find('x'); x != std::string::npos) {
            if (!Whole(count.substr(x + 1), &f->amount)) return false;
            count.resize(x);
        }
        return Whole(count, &f->count);
    }
    if (!Whole(count, &f->count)) return false;
    if (f->kind == "cal-fail") return f->count <= 5;
    return f->kind == "not-ready" || f->kind == "refuse-upgrade";
}

}  // namespace

bool ParseVirtualFaults(const std::string& spec, std::vector<NamedFault>* faults, std::string* why) {
    std::vector<NamedFault> read;
    size_t from = 0;
    while (from <= spec.size()) {
        const size_t comma = std::min(spec.find(',', from), spec.size());
        const std::string part = spec.substr(from, comma - from);
        NamedFault f;
        if (!ParseOne(part, &f)) {
            if (why) *why = "'" + part + "' is none of KIND@N[xAMOUNT], not-ready@N, refuse-upgrade@N, cal-fail@CODE";
            return false;
        }
        read.push_back(f);
        from = comma + 1;
    }
    *faults = std::move(read);
    return true;
}

std::string VirtualFaultsText(const std::vector<NamedFault>& faults) {
    std::string text;
    for (const NamedFault& f : faults) {
        if (!text.empty()) text += ',';
        text += f.kind + "@" + std::to_string(f.count);
        if (IsLinkFault(f.kind) && f.amount != 1) text += "x" + std::to_string(f.amount);
    }
    return text;
}

}  // namespace dvdsp::emu
