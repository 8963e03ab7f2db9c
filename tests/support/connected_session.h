// Transfer tests without a window: a virtual scale on its pty and a session connected to it at
// 115200 baud, with the short read time-out the tests use (a silent scale costs three of them).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "link/scale_session.h"
#include "sim/virtual_scale.h"
#include "support/recording_notifier.h"

namespace keldaro::testing {

class ConnectedSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(scale_.Start(&error)) << error;
    session_.SetReadTimeout(std::chrono::milliseconds(100));  // not 1100
    std::string identity;
    ASSERT_TRUE(session_.Connect(PortName::Parse(scale_.SlavePath()).value(), 115200, identity));
    scale_.ClearLog();
  }

  RecordingNotifier notifier_;
  ScaleSession session_{notifier_};
  sim::VirtualScale scale_;
};

}  // namespace keldaro::testing
