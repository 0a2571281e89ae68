#include <gtest/gtest.h>

#include "NetAddress.h"

TEST(NetAddress, HostsAndPortsAreReadAsTheHelpPromisesThem) {
  struct Case {
    const char* text;
    const char* read;  // "host:port", or nullptr when refused
  } cases[] = {
      {"example.org", "example.org:24642"},
      {"127.0.0.2:5000", "127.0.0.2:5000"},
      {"my_box.local:1", "my_box.local:1"},
      {"h:65535", "h:65535"},
      {":5000", nullptr},
      {"", nullptr},
      {"host:", nullptr},
      {"host:0", nullptr},
      {"host:65536", nullptr},
      {"host:12x", nullptr},
      {"host:-1", nullptr},
      {"[::1]:7000", nullptr},
      {"a b", nullptr},
      {"host\n", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    NetAddress address;
    std::string why;
    bool read = parseAddress(c.text, address, why);
    ASSERT_EQ(read, c.read != nullptr) << why;
    if (read) {
      EXPECT_EQ(addressText(address), c.read);
    } else {
      EXPECT_FALSE(why.empty());
    }
  }
  NetAddress address;
  std::string why;
  EXPECT_TRUE(parseAddress(std::string(LongestHostName, 'h'), address, why));
  EXPECT_FALSE(parseAddress(std::string(LongestHostName + 1, 'h'), address, why));
}
