#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/events/event_system.h>
#include <kovo-ui-imgui/events/safe_queue.h>
#include <kovo-ui-imgui/events/system_events.h>

#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
using kovo::testing::LogCapture;

namespace {

struct Ping {
  int value = 0;
};
struct Pong {};
struct Other {};
struct Quiet {};
struct Words {
  std::string text;
  std::vector<std::string> list;
};

struct Recorder {
  std::vector<std::string>* calls;
  std::string name;
  void OnPing(const Ping& ping) { calls->push_back(name + ":" + std::to_string(ping.value)); }
};

}  // namespace

TEST(EventSystem, HandlersRunInConnectionOrderAndSurviveEarlierDisconnects) {
  ui::EventSystem events;
  std::vector<std::string> calls;
  auto first = events.Connect<Ping>([&](const Ping&) { calls.push_back("first"); });
  auto second = events.Connect<Ping>([&](const Ping&) { calls.push_back("second"); });
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->id, 0u);
  EXPECT_EQ(second->id, 1u);

  events.Dispatch(Ping{});
  events.Disconnect(*first);
  EXPECT_FALSE(events.IsConnected(*first));
  auto third = events.Connect<Ping>([&](const Ping&) { calls.push_back("third"); });
  EXPECT_EQ(third->id, 2u);  // ids are never reused
  events.Dispatch(Ping{});

  EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "second", "third"}));
}

TEST(EventSystem, MemberConnectionsAreOnePerObjectWhileLambdasAreNeverDeduplicated) {
  ui::EventSystem events;
  std::vector<std::string> calls;
  Recorder a{&calls, "a"};
  Recorder b{&calls, "b"};
  EXPECT_TRUE(events.Connect(&Recorder::OnPing, &a));
  EXPECT_FALSE(events.Connect(&Recorder::OnPing, &a));
  EXPECT_TRUE(events.Connect(&Recorder::OnPing, &b));
  auto lambda = [&](const Ping&) { calls.push_back("lambda"); };
  EXPECT_TRUE(events.Connect<Ping>(lambda));
  EXPECT_TRUE(events.Connect<Ping>(lambda));

  events.Dispatch(Ping{7});
  EXPECT_EQ(calls, (std::vector<std::string>{"a:7", "b:7", "lambda", "lambda"}));
}

TEST(EventSystem, IdsAreCountedPerTypeAndHandlesOfDifferentTypesDiffer) {
  ui::EventSystem events;
  auto ping = events.Connect<Ping>([](const Ping&) {});
  auto other = events.Connect<Other>([](const Other&) {});
  ASSERT_TRUE(ping && other);
  EXPECT_EQ(ping->id, 0u);
  EXPECT_EQ(other->id, 0u);
  EXPECT_NE(ping->type, other->type);
  EXPECT_FALSE(*ping == *other);
  events.Disconnect(*other);
  EXPECT_TRUE(events.IsConnected(*ping));
}

TEST(EventSystem, HandlesBeyondTheTableAreNeitherConnectedNorDisconnectable) {
  ui::EventSystem events;
  const ui::ConnectionHandle stray{0, 100000};
  EXPECT_FALSE(events.IsConnected(stray));
  events.Disconnect(stray);  // does nothing
  EXPECT_FALSE(events.IsConnected(ui::ConnectionHandle{5, ui::EventTypeIndex<Ping>()}));
}

TEST(EventSystem, DispatchIsLoggedUnlessExcludedAndWorksWithoutHandlers) {
  LogCapture log;
  ui::EventSystem events;
  events.ExcludeFromLog<Quiet>();
  events.Dispatch(Other{});
  events.Dispatch(Quiet{});
  const auto messages = log.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], std::string("RECEIVED EVENT: ") + typeid(Other).name());
  EXPECT_NE(log.Lines()[0].find("\t[kovo-ui-imgui/events/event_system.h:"), std::string::npos)
      << log.Lines()[0];
}

TEST(EventSystem, ForwardDispatchesTheTargetInsideTheSourceDispatch) {
  ui::EventSystem events;
  std::vector<std::string> calls;
  events.Connect<Ping>([&](const Ping&) { calls.push_back("ping-1"); });
  ASSERT_TRUE((events.Forward<Ping, Pong>()));
  events.Connect<Ping>([&](const Ping&) { calls.push_back("ping-3"); });
  events.Connect<Pong>([&](const Pong&) { calls.push_back("pong"); });
  // The event system already owns a Ping connection.
  EXPECT_FALSE((events.Forward<Ping, Other>()));

  events.Dispatch(Ping{});
  EXPECT_EQ(calls, (std::vector<std::string>{"ping-1", "pong", "ping-3"}));
}

TEST(EventSystem, HandlersMayConnectAndDisconnectDuringADispatch) {
  ui::EventSystem events;
  std::vector<std::string> calls;
  std::optional<ui::ConnectionHandle> victim;
  events.Connect<Ping>([&](const Ping&) {
    calls.push_back("first");
    events.Connect<Ping>([&](const Ping&) { calls.push_back("added"); });
    if (victim) events.Disconnect(*victim);
  });
  victim = events.Connect<Ping>([&](const Ping&) { calls.push_back("victim"); });
  events.Connect<Ping>([&](const Ping&) { calls.push_back("last"); });

  events.Dispatch(Ping{});
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "last"}));
  calls.clear();
  victim.reset();
  events.Dispatch(Ping{});
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "last", "added"}));
}

TEST(EventSystem, AThrowingHandlerStopsTheDispatchAndReachesTheCaller) {
  ui::EventSystem events;
  std::vector<std::string> calls;
  events.Connect<Ping>([&](const Ping&) { throw std::runtime_error("boom"); });
  events.Connect<Ping>([&](const Ping&) { calls.push_back("never"); });
  EXPECT_THROW(events.Dispatch(Ping{}), std::runtime_error);
  EXPECT_TRUE(calls.empty());
  events.Connect<Other>(std::function<void(const Other&)>());
  EXPECT_THROW(events.Dispatch(Other{}), std::bad_function_call);
}

TEST(ConnectionHolder, DisconnectsTheRestNewestFirst) {
  ui::EventSystem events;
  std::vector<std::string> calls;
  std::vector<ui::ConnectionHandle> handles;
  {
    ui::ConnectionHolder holder(events);
    for (int i = 0; i < 3; ++i) {
      auto handle = events.Connect<Ping>([&calls, i](const Ping&) { calls.push_back(std::to_string(i)); });
      handles.push_back(*handle);
      holder.Add(handle);
    }
    holder.Add(std::nullopt);
    EXPECT_EQ(holder.Count(), 3);
    events.Disconnect(handles[1]);
  }
  for (const auto& handle : handles) EXPECT_FALSE(events.IsConnected(handle));
  events.Dispatch(Ping{});
  EXPECT_TRUE(calls.empty());
}

TEST(ConnectionHolder, AFullHolderRefusesWithAnErrorAndEndsTheConnection) {
  LogCapture log;
  ui::EventSystem events;
  ui::ConnectionHolder holder(events);
  for (int i = 0; i < ui::ConnectionHolder::kCapacity; ++i) holder.Add(events.Connect<Ping>([](const Ping&) {}));
  auto extra = events.Connect<Ping>([](const Ping&) {});
  holder.Add(extra);
  EXPECT_EQ(holder.Count(), ui::ConnectionHolder::kCapacity);
  EXPECT_FALSE(events.IsConnected(*extra));
  EXPECT_TRUE(log.Contains(" ERROR ["));
  EXPECT_TRUE(log.Contains("CONNECTION HOLDER IS FULL"));
}

TEST(SafeQueue, TakeAllReturnsClosuresInPostingOrderAndEmptiesTheQueue) {
  ui::SafeQueue queue;
  std::vector<int> order;
  for (int i = 0; i < 3; ++i) queue.Emplace([&order, i] { order.push_back(i); });
  EXPECT_FALSE(queue.Empty());
  auto taken = queue.TakeAll();
  EXPECT_TRUE(queue.Empty());
  EXPECT_TRUE(queue.TakeAll().empty());
  for (auto& closure : taken) closure();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(SafeQueue, AWaiterWakesPromptlyWhenSomethingIsPosted) {
  ui::SafeQueue queue;
  queue.TakeAll();
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    queue.WaitUntilNotEmpty();
    woke = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(woke);
  const auto posted = std::chrono::steady_clock::now();
  queue.Emplace([] {});
  waiter.join();
  EXPECT_LT(std::chrono::steady_clock::now() - posted, std::chrono::milliseconds(256));
}

TEST(EventQueuer, EventsEmittedFromAnotherThreadAreDispatchedByTheDrainerInPostingOrder) {
  ui::EventSystem events;
  ui::SafeQueue queue;
  ui::EventQueuer queuer(queue, events);
  std::vector<std::string> received;
  events.Connect<Words>([&](const Words& words) {
    received.push_back(words.text + "/" + std::to_string(words.list.size()));
  });

  std::thread gui([&] {
    std::string text = "a";
    std::vector<std::string> list{"x", "y"};
    queuer.Emit<Words>(text, list);
    text = "changed after emit";
    list.clear();
    queuer.Emit<Words>(std::string("b"), std::vector<std::string>{});
    queuer.Emit<Words>("c", std::vector<std::string>{"z"});
  });
  gui.join();
  EXPECT_TRUE(received.empty());  // nothing runs until the queue is drained

  auto batch = queue.TakeAll();
  EXPECT_EQ(batch.size(), 3u);
  for (auto& closure : batch) closure();
  EXPECT_EQ(received, (std::vector<std::string>{"a/2", "b/0", "c/1"}));
}
