#include "console/terminal_environment.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kestrova {

namespace {

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

std::string WhyTerminalUnusable(bool inputIsTerminal, bool outputIsTerminal, const char* term) {
  if (!inputIsTerminal) return "standard input is not a terminal";
  if (!outputIsTerminal) return "standard output is not a terminal";
  if (!IsSet(term)) return "TERM is not set, so the terminal's cursor cannot be addressed";
  if (std::string_view(term) == "dumb")
    return "TERM is dumb: the terminal cannot address its cursor";
  return {};
}

bool LocaleIsUtf8(const char* lcAll, const char* lcCtype, const char* lang) {
  const char* locale = IsSet(lcAll) ? lcAll : IsSet(lcCtype) ? lcCtype : lang;
  if (!IsSet(locale)) return false;
  std::string lower = Lower(locale);
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

bool WantsApplicationKeypad(const char* tmux, const char* term) {
  return IsSet(tmux) || (IsSet(term) && std::string_view(term).starts_with("tmux"));
}

}  // namespace kestrova
