#pragma once

#include <string>

namespace kestrova {

// Why the console cannot run on this terminal, or empty when it can. `term` is $TERM (null
// when unset).
std::string WhyTerminalUnusable(bool inputIsTerminal, bool outputIsTerminal, const char* term);

// Whether typed and shown characters are UTF-8: the first of LC_ALL, LC_CTYPE and LANG that is
// set decides, as the C library would.
bool LocaleIsUtf8(const char* lcAll, const char* lcCtype, const char* lang);

// tmux sends the keypad's Enter as a line feed, the byte of Ctrl+J, unless the keypad is in
// application mode: inside tmux the console switches it on so the two can be told apart.
bool WantsApplicationKeypad(const char* tmux, const char* term);

}  // namespace kestrova
