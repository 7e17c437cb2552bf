#pragma once
// The filter files part of the controller: a channel's bands, crossovers and trim in and
// out as the filter text of measurement and equaliser programs (core/filter_text.h,
// core/filter_import.h), files chosen through the prompt. An import is checked whole
// before anything changes: a refused file is shown with its lines and changes nothing;
// an accepted one is asked about with its summary (and whether the preamp becomes the
// channel's trim) and then set by one operation, ApplyImport, through the value
// operations as typed values are.

#include <string>

#include "core/controller_context.h"
#include "core/filter_import.h"

namespace dvdsp::core {

class Eq;

class FilterFiles {
public:
    FilterFiles(ControllerContext& ctx, Eq& eq) : ctx_(ctx), eq_(eq) {}

    // The EQ panel's two actions for channel ch; each asks for a file first, and
    // cancelling does nothing.
    void ImportFilters(int ch);
    void ExportFilters(int ch);
    // The import of the file at `path` into ch, from the check on: true when it was set.
    bool ImportFile(int ch, const std::string& path);

    // One operation: the checked plan's bands, the channel's further bands flat, its
    // crossovers and (with `takePreamp`) the preamp as the trim, then the curves.
    void ApplyImport(const FilterImport& plan, bool takePreamp);

private:
    ControllerContext& ctx_;
    Eq& eq_;
};

}  // namespace dvdsp::core
