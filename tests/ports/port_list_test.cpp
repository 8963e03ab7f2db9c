// The port listing over a virtual scale's pseudo-terminal, named the ways a real port is named.
#include "ports/port_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sim/virtual_scale.h"

namespace keldaro::ports {
namespace {

namespace fs = std::filesystem;

class PortList : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ::testing::TempDir() + "keldaro-ports-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "by-id");
    sim::ScaleOptions options;
    options.link_path = folder_ + "scale";
    scale_ = std::make_unique<sim::VirtualScale>(options);
    ASSERT_TRUE(scale_->Start());
    sources_.by_id_folder = folder_ + "by-id";
  }
  void TearDown() override {
    scale_.reset();
    fs::remove_all(folder_);
  }
  std::string Pty() const { return fs::canonical(scale_->SlavePath()).string(); }

  std::string folder_;
  std::unique_ptr<sim::VirtualScale> scale_;
  PortSources sources_;
};

TEST_F(PortList, APtyNamedByAComVariableIsListedUnderItsRealDevice) {
  sources_.com_device = [this](int n) {
    return n == 5 || n == 7 ? folder_ + "scale" : "/dev/nonexistent-tty" + std::to_string(n);
  };
  const std::vector<PortInfo> ports = ListPorts(sources_);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].device, Pty());
  EXPECT_EQ(ports[0].com_numbers, (std::vector<int>{5, 7}));
  EXPECT_EQ(ports[0].by_id, "");
  EXPECT_EQ(PreferredName(ports[0]), Pty());
}

TEST_F(PortList, ADetectedPortTakesItsStableNameFromTheByIdFolder) {
  const std::string by_id = folder_ + "by-id/usb-Maker_Scale_42-if00-port0";
  fs::create_symlink(scale_->SlavePath(), by_id);
  fs::create_symlink("/dev/nonexistent-tty", folder_ + "by-id/usb-Gone-if00-port0");
  sources_.detected = {{scale_->SlavePath(), "Maker Scale (serial 42)"}, {"/dev/nowhere", "x"}};
  const std::vector<PortInfo> ports = ListPorts(sources_);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].device, Pty());
  EXPECT_EQ(ports[0].by_id, by_id);
  EXPECT_EQ(ports[0].description, "Maker Scale (serial 42)");
  EXPECT_TRUE(ports[0].com_numbers.empty());
  EXPECT_EQ(PreferredName(ports[0]), by_id);
}

TEST_F(PortList, AMissingByIdFolderListsWhatElseIsKnown) {
  sources_.by_id_folder = folder_ + "no-such-folder";
  sources_.detected = {{scale_->SlavePath(), ""}};
  EXPECT_EQ(ListPorts(sources_).size(), 1u);
}

}  // namespace
}  // namespace keldaro::ports
