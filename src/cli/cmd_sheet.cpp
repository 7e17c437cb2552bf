// sheet: the setup sheet of the unit's tune, or of a profile file, as a PDF.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cmd_model.h"
#include "cli/sheet_cairo.h"
#include "cli/sheet_texts.h"
#include "core/channel_format.h"
#include "core/setup_sheet.h"
#include "core/transfer.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace dvdsp::cli {

namespace {

struct SheetRequest {
    std::string path, profile, note, name, language = "en", paper;
    int delayUnit = core::kDelayCm;
};

bool ParseSheet(const Words& args, SheetRequest& req) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--profile" && hasValue) {
            req.profile = args[++i];
        } else if (a == "--note" && hasValue) {
            req.note = args[++i];
        } else if (a == "--name" && hasValue) {
            req.name = args[++i];
        } else if (a == "--language" && hasValue) {
            req.language = args[++i];
            if (!HasLanguage(req.language)) {
                std::fprintf(stderr, "--language takes en, cn_zh or ru\n");
                return false;
            }
        } else if (a == "--paper" && hasValue) {
            req.paper = args[++i];
            if (req.paper != "a4" && req.paper != "letter") {
                std::fprintf(stderr, "--paper takes a4 or letter\n");
                return false;
            }
        } else if (a == "--delay-unit" && hasValue) {
            const std::string& u = args[++i];
            if (u == "ms") req.delayUnit = core::kDelayMs;
            else if (u == "cm") req.delayUnit = core::kDelayCm;
            else if (u == "in") req.delayUnit = core::kDelayInch;
            else {
                std::fprintf(stderr, "--delay-unit takes ms, cm or in\n");
                return false;
            }
        } else if (req.path.empty() && !a.empty() && a[0] != '-') {
            req.path = a;
        } else {
            std::fprintf(stderr, "unexpected argument '%s'\n", a.c_str());
            return false;
        }
    }
    if (req.path.empty()) {
        std::fprintf(stderr, "sheet: the PDF file to write is missing\n");
        return false;
    }
    return true;
}

int CheckSheet(const Words& args) {
    SheetRequest req;
    return ParseSheet(args, req) ? kOk : kUsage;
}

// Letter where the locale's paper is Letter (LC_ALL, LC_PAPER, LANG, the first one set).
bool LetterByLocale() {
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const std::string v = platform::EnvironmentValue(name);
        if (!v.empty()) return core::sheet::LocaleUsesLetter(v);
    }
    return false;
}

std::string Today() {
    const auto days = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    const std::chrono::year_month_day ymd{days};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The unit's live settings and its stored scenes, read as `backup --whole` reads them.
int ReadUnit(Session& s, core::UnitModel& model) {
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    std::string why;
    for (int n = 1; n <= core::kStoredScenes; ++n) {
        if (!core::ReadStoredScene(s.Device(), n, SceneClock(s), &why))
            return TransferFailed("reading the stored scenes", why);
        ApplyPosted(s, model);
    }
    link::ExchangeSequence back(s.Device(), "back to the live settings");
    s.Device().ReadScene(0, 0);
    if (!back.Complete()) return TransferFailed("reading the stored scenes", back.Summary());
    return ReadOutModel(s, model);
}

int RunSheet(Session& s, const Words& args) {
    SheetRequest req;
    if (!ParseSheet(args, req)) return kUsage;
    if (!kHaveCairo) {
        std::fprintf(stderr, "sheet: not available in this build (it has no PDF library; "
                             "the Linux build writes the sheet)\n");
        return kUsage;
    }
    auto model = std::make_unique<core::UnitModel>();
    core::SheetInfo info;
    if (!req.profile.empty()) {
        std::string text, why;
        if (!core::ReadWholeFile(req.profile, text, &why)) {
            PrintRefusal(req.profile, {core::ProfileStatus::OpenError, why});
            return kFileRefused;
        }
        const core::ProfileKind kind = core::ProfileKindOf(req.profile, text);
        const core::ProfileResult r = kind == core::ProfileKind::Whole
                                          ? core::ParseWholeProfile(text, *model)
                                          : core::ParseSceneProfile(text, model->current);
        if (!r.ok()) {
            PrintRefusal(req.profile, r);
            return kFileRefused;
        }
        info.scenesKnown = kind == core::ProfileKind::Whole;
        info.name = FileName(req.profile);
    } else if (int r = ReadUnit(s, *model); r != kOk) {
        return r;
    }
    if (!req.name.empty()) info.name = req.name;
    info.note = req.note;
    info.date = Today();
    info.delayUnit = req.delayUnit;
    info.letter = req.paper.empty() ? LetterByLocale() : req.paper == "letter";

    const core::sheet::Document doc = core::BuildSetupSheet(*model, info, LanguageTexts(req.language));
    std::string pdf, why;
    if (!RenderPdf(doc, req.language == "cn_zh", pdf, why) || !platform::WriteFileAtomically(req.path, pdf, &why)) {
        const core::ProfileResult w{core::ProfileStatus::CreateError, why};
        std::fprintf(stderr, "%s: not written: %s%s%s\n", req.path.c_str(), ProfileMessage(w, true).c_str(),
                     why.empty() ? "" : ": ", why.c_str());
        return kFileNotWritten;
    }
    std::printf("setup sheet (%zu pages) written to %s\n", doc.pages.size(), req.path.c_str());
    return kOk;
}

void RegisterSheetCommand() {
    Register({"sheet",
              "FILE.pdf [--profile FILE] [--note TEXT] [--name TEXT] [--language en|ru|cn_zh] "
              "[--paper a4|letter] [--delay-unit ms|cm|in]",
              "Write the setup sheet of the unit's tune as a PDF: the unit, the outputs with\n"
              "their roles, levels, delays and crossovers, the switches, the routing, the\n"
              "mixer's changed cells, each channel's EQ bands with its response, and the\n"
              "stored scenes. --profile takes a profile file instead of the unit (no unit is\n"
              "needed). --note adds a note, --name the title (else the file's name), the paper\n"
              "follows the locale unless --paper is given, delays are shown in --delay-unit\n"
              "(cm when not given) and in ms. Not available in the Windows build.",
              RunSheet, CheckSheet});
}

const Registrar registrar(RegisterSheetCommand);

}  // namespace

}  // namespace dvdsp::cli
