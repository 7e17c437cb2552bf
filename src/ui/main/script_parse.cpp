#include "ui/main/script_parse.h"

#include <QRegularExpression>

namespace dvdsp::ui {
namespace {

constexpr int kDefaultWaitMs = 10000;
constexpr int kDefaultTextWaitMs = 5000;

struct Verb {
    const char* word;
    ScriptVerb verb;
    int words;  // at least, the verb included
};

constexpr Verb kVerbs[] = {
    {"click", ScriptVerb::Click, 2},
    {"check", ScriptVerb::Check, 2},
    {"uncheck", ScriptVerb::Uncheck, 2},
    {"type", ScriptVerb::Type, 2},
    {"type-leave", ScriptVerb::TypeLeave, 2},
    {"slide", ScriptVerb::Slide, 3},
    {"choose", ScriptVerb::Choose, 3},
    {"menu", ScriptVerb::Menu, 2},
    {"drag", ScriptVerb::Drag, 6},
    {"open", ScriptVerb::Open, 2},
    {"answer", ScriptVerb::Answer, 2},
    {"answer-file", ScriptVerb::AnswerFile, 1},
    {"wait-message", ScriptVerb::WaitMessage, 2},
    {"wait-window", ScriptVerb::WaitWindow, 2},
    {"wait-text", ScriptVerb::WaitText, 3},
    {"wait-connected", ScriptVerb::WaitConnected, 1},
    {"wait-disconnected", ScriptVerb::WaitDisconnected, 1},
    {"sleep", ScriptVerb::Sleep, 2},
    {"key", ScriptVerb::Key, 3},
    {"undo", ScriptVerb::Undo, 1},
    {"redo", ScriptVerb::Redo, 1},
    {"ab-store", ScriptVerb::AbStore, 2},
    {"ab-switch", ScriptVerb::AbSwitch, 1},
};

const Verb* FindVerb(const QString& word) {
    for (const Verb& v : kVerbs)
        if (word == QLatin1String(v.word)) return &v;
    return nullptr;
}

const Verb& VerbOf(ScriptVerb verb) {
    for (const Verb& v : kVerbs)
        if (v.verb == verb) return v;
    return kVerbs[0];
}

bool Number(const QString& word, int* out) {
    bool ok = false;
    *out = word.toInt(&ok);
    return ok;
}

bool Milliseconds(const QString& word, int* out) {
    return Number(word, out) && *out >= 0;
}

// The time of a wait: the word at `at` when there is one, else `fallback`.
QString WaitMs(const QStringList& w, int at, int fallback, int* ms) {
    *ms = fallback;
    if (w.size() <= at) return {};
    if (!Milliseconds(w[at], ms)) return "not a time in milliseconds: " + w[at];
    return {};
}

// A text that may hold blanks, from word `at` on; a last number after it is the time.
void TextAndMs(const QStringList& w, int at, int fallback, ScriptStep& s, QString* text) {
    QStringList words = w.mid(at);
    if (words.size() >= 2 && Milliseconds(words.back(), &s.ms))
        words.removeLast();
    else
        s.ms = fallback;
    *text = words.join(' ');
}

QString ParseWords(const QStringList& w, ScriptStep& s) {
    const Verb* verb = FindVerb(w[0]);
    if (!verb || w.size() < verb->words) return "unknown step: " + w.join(' ');
    s.verb = verb->verb;
    if (verb->words >= 2 && s.verb != ScriptVerb::Sleep) s.target = w[1];
    switch (s.verb) {
        case ScriptVerb::Type:
        case ScriptVerb::TypeLeave: s.text = w.mid(2).join(' '); return {};
        case ScriptVerb::Slide:
            return Number(w[2], &s.value) ? QString() : "not a number: " + w[2];
        case ScriptVerb::Choose: s.text = w[2]; return {};
        case ScriptVerb::Drag:
            for (int i = 0; i < 4; ++i)
                if (!Number(w[2 + i], &s.points[i])) return "not a number: " + w[2 + i];
            return {};
        case ScriptVerb::Answer:
            s.target.clear();
            if (w[1] == "confirm") s.answer = ScriptAnswer::Confirm;
            else if (w[1] == "cancel" || w[1] == "close") s.answer = ScriptAnswer::Close;
            else if (w[1] == "third") s.answer = ScriptAnswer::Third;
            else return "answer takes confirm, cancel, third or close";
            return {};
        case ScriptVerb::AnswerFile: s.text = w.mid(1).join(' '); return {};
        case ScriptVerb::WaitMessage: TextAndMs(w, 1, kDefaultWaitMs, s, &s.target); return {};
        case ScriptVerb::WaitWindow: return WaitMs(w, 2, kDefaultWaitMs, &s.ms);
        case ScriptVerb::Key: {
            QStringList keys;
            for (const QString& k : w.mid(2)) {
                if (!ScriptKeyNames().contains(k.toLower()))
                    return "unknown key: " + k + " (keys: " + ScriptKeyNames().join(' ') + ")";
                keys << k.toLower();
            }
            s.text = keys.join(' ');
            return {};
        }
        case ScriptVerb::WaitConnected:
        case ScriptVerb::WaitDisconnected: return WaitMs(w, 1, kDefaultWaitMs, &s.ms);
        case ScriptVerb::Sleep:
            return Milliseconds(w[1], &s.ms) ? QString() : "not a time in milliseconds: " + w[1];
        case ScriptVerb::WaitText: TextAndMs(w, 2, kDefaultTextWaitMs, s, &s.text); return {};
        default: return {};
    }
}

}  // namespace

const QStringList& ScriptKeyNames() {
    static const QStringList names{"up",   "down",   "left", "right",  "pageup",  "pagedown", "home",
                                   "end",  "return", "tab",  "escape", "spin-up", "spin-down"};
    return names;
}

QStringList ScriptFileLines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split('\n');
}

ScriptLine ParseScriptLine(const QString& line) {
    ScriptLine out;
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith('#')) {
        out.skip = true;
        return out;
    }
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    out.error = ParseWords(t.split(blanks, Qt::SkipEmptyParts), out.step);
    return out;
}

QString ScriptStepText(const ScriptStep& s) {
    QStringList w{QLatin1String(VerbOf(s.verb).word)};
    switch (s.verb) {
        case ScriptVerb::Type:
        case ScriptVerb::TypeLeave:
        case ScriptVerb::Choose:
        case ScriptVerb::Key: w << s.target << s.text; break;
        case ScriptVerb::Slide: w << s.target << QString::number(s.value); break;
        case ScriptVerb::Drag:
            w << s.target;
            for (int p : s.points) w << QString::number(p);
            break;
        case ScriptVerb::Answer:
            w << (s.answer == ScriptAnswer::Confirm ? "confirm" : s.answer == ScriptAnswer::Third ? "third" : "close");
            break;
        case ScriptVerb::AnswerFile: w << s.text; break;
        case ScriptVerb::WaitMessage:
        case ScriptVerb::WaitWindow: w << s.target << QString::number(s.ms); break;
        case ScriptVerb::WaitText: w << s.target << s.text << QString::number(s.ms); break;
        case ScriptVerb::WaitConnected:
        case ScriptVerb::WaitDisconnected:
        case ScriptVerb::Sleep: w << QString::number(s.ms); break;
        default: w << s.target; break;
    }
    return w.join(' ').trimmed();
}

}  // namespace dvdsp::ui
