#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "console/console.h"
#include "console/scripted_device.h"
#include "support/scratch_directory.h"

namespace kestrova::testing {

// Key bytes as the console delivers them.
inline std::string Extended(std::uint8_t code) { return std::string(1, '\0') + char(code); }
inline const std::string kF1 = Extended(59);
inline const std::string kF2 = Extended(60);
inline const std::string kF3 = Extended(61);
inline const std::string kHome = Extended(71);
inline const std::string kUp = Extended(72);
inline const std::string kPgUp = Extended(73);
inline const std::string kLeft = Extended(75);
inline const std::string kRight = Extended(77);
inline const std::string kEnd = Extended(79);
inline const std::string kDown = Extended(80);
inline const std::string kPgDn = Extended(81);
inline const std::string kIns = Extended(82);
inline const std::string kDel = Extended(83);
inline const std::string kCtrlEnd = Extended(117);
inline const std::string kCtrlPgDn = Extended(118);
inline const std::string kCtrlHome = Extended(119);
inline const std::string kCtrlPgUp = Extended(132);

inline std::string Repeat(const std::string& keys, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += keys;
  return all;
}

// A scripted keyboard that can run a check or a change just before a given key is handed
// out, that is while the program waits for that key: hooks are numbered by key, from 0.
class HookedKeys final : public ConsoleDevice {
 public:
  void Type(std::string_view keyBytes) { script_.Type(keyBytes); }
  void Before(int keyIndex, std::function<void()> hook) { hooks_[keyIndex] = std::move(hook); }
  std::size_t KeysLeft() const { return script_.KeysLeft(); }
  void Reset() {
    script_ = ScriptedDevice();
    hooks_.clear();
    delivered_ = 0;
  }

  void Show(const Console&) override {}
  KeyEvent NextKey() override {
    if (script_.KeysLeft() > 0)
      if (auto hook = hooks_.find(delivered_); hook != hooks_.end()) hook->second();
    ++delivered_;
    return script_.NextKey();
  }

 private:
  ScriptedDevice script_;
  std::map<int, std::function<void()>> hooks_;
  int delivered_ = 0;
};

}  // namespace kestrova::testing
