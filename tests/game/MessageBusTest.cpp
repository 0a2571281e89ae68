#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MessageBus.h"

namespace {
// Writes down every message it is handed, and can post a sound while handling an update.
class Recorder : public Listener {
public:
  Recorder(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
  void handle(int id, void* data, MessageBus* bus) override {
    log.push_back(name + ":" + std::to_string(id));
    std::string sound = "Grab";
    if (id == UpdateGame && repost) bus->post<PlaySound>(&sound);
    if (id == PlaySound) log.push_back(*static_cast<std::string*>(data));
  }
  std::string name;
  std::vector<std::string>& log;
  bool repost = false;
};
}  // namespace

TEST(MessageBus, DeliversInSubscriptionOrderFinishingNestedPostsFirst) {
  MessageBus bus;
  std::vector<std::string> log;
  Recorder player("player", log), sound("sound", log), renderer("later", log);
  player.repost = true;
  bus.subscribe(UpdateGame, &player);
  bus.subscribe(PlaySound, &sound);
  bus.subscribe(UpdateGame, &renderer);
  bus.subscribe(TogglePause, &renderer);
  bus.subscribe(TogglePause, &renderer);  // subscribed twice, hears twice
  EXPECT_EQ(bus.post<PollInput>(), 0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(bus.post<UpdateGame>(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"player:6", "sound:10", "Grab", "later:6"}));
  EXPECT_EQ(bus.post<TogglePause>(), 2);
  EXPECT_EQ(log.size(), 6u);
}
