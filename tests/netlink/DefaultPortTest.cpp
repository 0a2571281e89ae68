// A host and a joiner that name no port meet: the command line's defaults for both sides
// are one. Run in a network namespace of the test's own, where the default port is free.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "CommandLine.h"
#include "EnetLink.h"
#include "SteadyClock.h"

namespace {

CommandLine understood(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "pigmora");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  CommandLine line;
  std::ostringstream out, err;
  EXPECT_EQ(readCommandLine(int(argv.size()), argv.data(), line, out, err), GoOnAndPlay)
      << err.str();
  return line;
}
}  // namespace

TEST(DefaultPort, HostAndJoinGivenNoPortMeet) {
  CommandLine hostLine = understood({"--host"});
  CommandLine joinLine = understood({"--join=127.0.0.1"});
  EnetLink host("1.2"), joiner("1.2");
  ASSERT_TRUE(host.host(hostLine.hostPort, true)) << host.problem();
  joiner.join(joinLine.given.at("--join"), steadyNowMs());
  int64_t limit = steadyNowMs() + EnetLink::ConnectLimitMs;
  while (steadyNowMs() < limit && (host.state() != EnetLink::State::Connected ||
                                   joiner.state() != EnetLink::State::Connected)) {
    host.service(steadyNowMs());
    joiner.service(steadyNowMs());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(joiner.state(), EnetLink::State::Connected) << joiner.problem();
  EXPECT_EQ(host.state(), EnetLink::State::Connected) << host.problem();
}
