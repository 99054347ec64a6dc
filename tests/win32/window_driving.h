// The window driver as the Win32 tests use it: its helpers under their
// plain names, and a person whose giving up fails the running test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/window_driver.h"

namespace quorril {

using support::BoxSeen;
using support::ClassOf;
using support::DialogWith;
using support::ItemText;
using support::Look;
using support::MessageBoxWindow;
using support::NoBox;
using support::PixelAt;
using support::Press;
using support::TextOf;
using support::Type;

class Person : public support::Person {
 public:
  explicit Person(int seconds = 10)
      : support::Person(seconds, [](const std::string& why) { ADD_FAILURE() << why; }) {}
};

}  // namespace quorril
