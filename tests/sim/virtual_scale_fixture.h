// The fixture of the virtual scale's tests over a pseudo-terminal, shared by the main tests and
// the timing tests: a scale started in-process and the PC's end opened on its slave.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "sim/pc_client.h"
#include "sim/virtual_scale.h"

namespace keldaro::sim::testing {

inline double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

class VirtualScaleTest : public ::testing::Test {
 protected:
  void StartScale(ScaleOptions options = {}) {
    scale_ = std::make_unique<VirtualScale>(std::move(options));
    std::string error;
    ASSERT_TRUE(scale_->Start(&error)) << error;
    ASSERT_FALSE(scale_->SlavePath().empty());
    ASSERT_TRUE(port_.Open(scale_->SlavePath())) << std::strerror(errno);
  }

  // A scale that holds every byte to the line speed the PC opened.
  static ScaleOptions Paced() {
    ScaleOptions options;
    options.faults.pace = true;
    return options;
  }

  static Bytes PluRequest(std::uint16_t number) {
    Bytes p;
    AddWord(p, number);
    p.push_back(0);
    p.push_back(54);
    return p;
  }

  std::unique_ptr<VirtualScale> scale_;
  PcPort port_;
};

}  // namespace keldaro::sim::testing
