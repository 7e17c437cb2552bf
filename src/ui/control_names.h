#pragma once
// Helpers the windows share for their named controls: names with an index, prefix tests,
// the index a notification's sender carries, and setting a control found by name.

#include <string>

#include "toolkit/control.h"
#include "toolkit/notify.h"
#include "toolkit/window.h"

namespace dvdsp::ui {

inline bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
inline std::string Indexed(const char* prefix, int index) { return prefix + std::to_string(index); }
// The index in the sender's user data, -1 without a sender.
inline int IndexOf(const tk::TNotify& n) { return n.sender ? n.sender->UserDataInt() : -1; }
inline void SetSelectedOf(tk::Window& w, const std::string& name, bool selected) {
    if (tk::Control* c = w.FindControl(name)) c->SetSelected(selected);
}

}  // namespace dvdsp::ui
