// What the shell may complete on a dvdsp-cli command line: `dvdsp-cli --complete WORD...`
// prints it, one word a line, for the bash completion script.
#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace dvdsp::cli {

namespace {

bool IsLiteral(const std::string& word) {
    if (word.empty()) return false;
    return std::all_of(word.begin(), word.end(), [](unsigned char c) {
        return std::islower(c) || std::isdigit(c) || c == '-';
    });
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string cur;
    for (char c : text) {
        if (c == ' ') {
            if (!cur.empty()) words.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(cur);
    return words;
}

const Command* Find(const std::string& name) {
    for (const Command& c : Registry())
        if (c.name == name) return &c;
    return nullptr;
}

}  // namespace

const std::vector<std::string>& GlobalOptionNames() {
    static const std::vector<std::string> names = {"--virtual-unit", "--replace-damaged-state", "--direct", "--help",
                                                   "--version"};
    return names;
}

std::vector<std::string> SynopsisCompletions(const std::string& usage, const Words& typed) {
    std::vector<std::string> out;
    // Alternatives are separated by " | "; a literal first word names a sub-command.
    size_t start = 0;
    while (start <= usage.size()) {
        size_t bar = usage.find(" | ", start);
        const std::string alternative =
            usage.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        const std::vector<std::string> words = SplitWords(alternative);
        if (typed.empty() && !words.empty() && IsLiteral(words[0])) out.push_back(words[0]);
        if (bar == std::string::npos) break;
        start = bar + 3;
    }
    // Options anywhere in the synopsis, as "[--name ARG]", "--name" or "[--a|--b]".
    for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
        size_t end = at + 2;
        while (end < usage.size() && (std::islower(static_cast<unsigned char>(usage[end])) || usage[end] == '-'))
            ++end;
        if (end > at + 2) out.push_back(usage.substr(at, end - at));
        at = end - 2;
    }
    return out;
}

std::vector<std::string> CompletionsAfter(const Words& words) {
    std::vector<std::string> out;
    // The global options come first; the first other word is a command.
    size_t i = 0;
    while (i < words.size() && words[i].rfind("--", 0) == 0 && words[i] != "--") ++i;
    if (i == words.size()) {
        out = GlobalOptionNames();
        for (const Command& c : Registry()) out.push_back(c.name);
    } else {
        // The command being typed is the one after the last "--".
        size_t first = i;
        for (size_t k = i; k < words.size(); ++k)
            if (words[k] == "--") first = k + 1;
        if (first == words.size()) {
            for (const Command& c : Registry()) out.push_back(c.name);
        } else if (const Command* cmd = Find(words[first])) {
            const Words typed(words.begin() + static_cast<long>(first) + 1, words.end());
            out = cmd->complete ? cmd->complete(typed) : SynopsisCompletions(cmd->usage, typed);
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

}  // namespace dvdsp::cli
