// The filter files of the EQ panel: import and export of a channel's filters.
#include "core/filter_files.h"

#include "base/log.h"
#include "core/eq.h"
#include "core/part_helpers.h"
#include "platform/atomic_file.h"

namespace dvdsp::core {

void FilterFiles::ApplyImport(const FilterImport& plan, bool takePreamp) {
    if (!plan.Ok()) return;
    LogWriteNarrow("import filters into CH%d: %s\n", plan.channel + 1, ImportSummary(plan).c_str());
    ApplyFilterImport(ctx_.values, ctx_.Live(), plan, takePreamp);
    // One undo step, named after what it did.
    ctx_.edit.NameStep("CH" + std::to_string(plan.channel + 1) + " ${undo_import_filters}");
    eq_.UpdateAllCurves();
}

bool FilterFiles::ImportFile(int ch, const std::string& path) {
    const FilterImport plan = PlanFilterImport(ReadFilterTextFile(path), ctx_.Live(), ch);
    if (!plan.Ok()) {
        LogWriteNarrow("filters refused: %s\n", RefusalLines(plan.refused).c_str());
        ctx_.prompt->ShowTips("${filters_refused}\n" + RefusalLines(plan.refused));
        return false;
    }
    const std::string question = "${filters_import_ask}\n" + ImportSummary(plan);
    bool takePreamp = false;
    if (plan.hasPreamp) {
        const int answer = ctx_.prompt->AskThree(question, "${filters_with_trim}", "${cancel}", "${filters_without_trim}");
        if (answer == 0) return false;
        takePreamp = answer == 1;
    } else if (!ctx_.prompt->Ask(question)) {
        return false;
    }
    ApplyImport(plan, takePreamp);
    return true;
}

void FilterFiles::ImportFilters(int ch) {
    auto chosen = ctx_.prompt->ChooseFile(FileMode::Open, "${filters_import}", ctx_.view->LangText("${filters_file_filter}"),
                                          "*.txt");
    if (!chosen || chosen->empty()) return;
    ImportFile(ch, *chosen);
}

void FilterFiles::ExportFilters(int ch) {
    if (!ChannelOk(ch)) return;
    auto chosen = ctx_.prompt->ChooseFile(FileMode::Save, "${filters_export}", ctx_.view->LangText("${filters_file_filter}"),
                                          "CH" + std::to_string(ch + 1) + ".txt");
    if (!chosen || chosen->empty()) return;
    std::vector<std::string> notWritten;
    const std::string text = WriteFilterText(ctx_.Live(), ch, &notWritten);
    std::string error;
    if (!platform::WriteFileAtomically(*chosen, text, &error)) {
        ctx_.prompt->ShowTips("${filters_export_failed}\n" + error);
        return;
    }
    if (!notWritten.empty()) {
        std::string list;
        for (const std::string& w : notWritten) list += w + "\n";
        ctx_.prompt->ShowTips("${filters_not_written}\n" + list);
    }
}

}  // namespace dvdsp::core
