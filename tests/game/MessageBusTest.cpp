#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MessageBus.h"

namespace {

// Writes down every message it is handed, and can post another while handling one.
class Recorder : public Listener {
public:
  Recorder(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
  void handle(int id, void* data, MessageBus* bus) override {
    log.push_back(name + ":" + std::to_string(id));
    if (id == UpdateGame && repost) {
      std::string sound = "Grab";
      bus->post(PlaySound, &sound);
    }
    if (id == PlaySound) lastSound = *static_cast<std::string*>(data);
  }
  std::string name;
  std::vector<std::string>& log;
  bool repost = false;
  std::string lastSound;
};

}  // namespace

TEST(MessageBus, PostingAnIdNobodyWantsCallsNothing) {
  MessageBus bus;
  std::vector<std::string> log;
  Recorder game("game", log);
  bus.subscribe(UpdateGame, &game);
  EXPECT_EQ(bus.post(PollInput, nullptr), 0);
  EXPECT_TRUE(log.empty());
}

TEST(MessageBus, DeliversInSubscriptionOrderAndCounts) {
  MessageBus bus;
  std::vector<std::string> log;
  Recorder bankOne("bank0", log), bankTwo("bank1", log);
  bus.subscribe(SendPowerUp, &bankOne);
  bus.subscribe(SendPowerUp, &bankTwo);
  int message[3] = {7, 2, 0};
  EXPECT_EQ(bus.post(SendPowerUp, message), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"bank0:8", "bank1:8"}));
}

TEST(MessageBus, NestedPostCompletesBeforeOuterDeliveryMovesOn) {
  MessageBus bus;
  std::vector<std::string> log;
  Recorder player("player", log), sound("sound", log), renderer("later", log);
  player.repost = true;
  bus.subscribe(UpdateGame, &player);
  bus.subscribe(PlaySound, &sound);
  bus.subscribe(UpdateGame, &renderer);
  EXPECT_EQ(bus.post(UpdateGame, nullptr), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"player:6", "sound:10", "later:6"}));
  EXPECT_EQ(sound.lastSound, "Grab");
}

TEST(MessageBus, ListenerSubscribedTwiceHearsTwice) {
  MessageBus bus;
  std::vector<std::string> log;
  Recorder twice("x", log);
  bus.subscribe(TogglePause, &twice);
  bus.subscribe(TogglePause, &twice);
  EXPECT_EQ(bus.post(TogglePause, nullptr), 2);
}
