// A test fixture that points the device protocol at a fake video server on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_video_server.h"
#include "net/net_environment.h"

namespace net::testing {

class FakeServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = std::make_unique<fakes::FakeVideoServer>();
    environment.SetServerName("127.0.0.1");
    environment.SetWebPort(server->WebPort());
    environment.SetLocalAddress("10.1.2.3");
    net::ClearPendingChanges();
    net::SetEnvironment(&environment);
  }
  void TearDown() override {
    net::SetEnvironment(nullptr);
    net::ClearPendingChanges();
    server.reset();
  }

  std::unique_ptr<fakes::FakeVideoServer> server;
  MemoryNetEnvironment environment;
};

}  // namespace net::testing
