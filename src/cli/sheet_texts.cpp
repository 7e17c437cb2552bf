#include "cli/sheet_texts.h"

#include <map>
#include <memory>
#include <string_view>

namespace dvdsp::cli {

namespace {

struct Embedded {
    const char* code;
    const char* xml;
};

const Embedded kLanguages[] = {
#include "cli_languages.inc"
};

std::string Unescape(std::string_view s) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool replaced = false;
        for (const auto& [entity, c] : kEntities)
            if (s.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size();
                replaced = true;
                break;
            }
        if (!replaced) out += s[i++];
    }
    return out;
}

// The <Text key="K">V</Text> entries of a language file.
std::map<std::string, std::string> Parse(std::string_view xml) {
    std::map<std::string, std::string> texts;
    constexpr std::string_view kOpen = "<Text key=\"", kClose = "</Text>";
    for (size_t at = xml.find(kOpen); at != std::string_view::npos; at = xml.find(kOpen, at)) {
        at += kOpen.size();
        const size_t keyEnd = xml.find('"', at);
        const size_t valueStart = keyEnd == std::string_view::npos ? keyEnd : xml.find('>', keyEnd);
        const size_t valueEnd = valueStart == std::string_view::npos ? valueStart : xml.find(kClose, valueStart);
        if (valueEnd == std::string_view::npos) break;
        texts[std::string(xml.substr(at, keyEnd - at))] = Unescape(xml.substr(valueStart + 1, valueEnd - valueStart - 1));
        at = valueEnd;
    }
    return texts;
}

}  // namespace

bool HasLanguage(const std::string& code) {
    for (const Embedded& e : kLanguages)
        if (code == e.code) return true;
    return false;
}

core::SheetText LanguageTexts(const std::string& code) {
    auto texts = std::make_shared<std::map<std::string, std::string>>();
    for (const Embedded& e : kLanguages)
        if (code == e.code) *texts = Parse(e.xml);
    return [texts](const std::string& key) {
        const auto it = texts->find(key);
        return it != texts->end() ? it->second : "${" + key + "}";
    };
}

}  // namespace dvdsp::cli
