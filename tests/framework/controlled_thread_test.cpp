#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <kovo-ui-imgui/application/logic_thread_policy.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/threading/controlled_thread.h>

#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
using kovo::testing::LogCapture;
using kovo::testing::WaitUntil;
using namespace std::chrono_literals;

namespace {

// Index of the first message containing text, or -1.
int IndexOf(const std::vector<std::string>& messages, const std::string& text, int from = 0) {
  for (int i = from; i < static_cast<int>(messages.size()); ++i) {
    if (messages[i].find(text) != std::string::npos) return i;
  }
  return -1;
}

int CountOf(const std::vector<std::string>& messages, const std::string& text) {
  int count = 0;
  for (const auto& message : messages) count += message.find(text) != std::string::npos;
  return count;
}

// A policy whose main phase runs until told to end.
class ScriptedPolicy : public ui::IControlledThreadPolicy {
 public:
  std::atomic<int> starts{0};
  std::atomic<int> stopRequests{0};
  std::atomic<int> stops{0};
  std::atomic<int> softExits{0};
  std::atomic<int> failures{0};
  std::atomic<bool> endMainPhase{false};
  std::atomic<int> runs{0};
  std::function<void()> onStep;

  void OnStart() override { ++starts; }
  void OnStopRequested(unsigned) override { ++stopRequests; }
  void OnStopped() override { ++stops; }
  bool Prepare() override {
    ++runs;
    return true;
  }
  bool Step() override {
    if (onStep) onStep();
    std::this_thread::sleep_for(1ms);
    return endMainPhase.load();
  }
  void OnFailure(const std::exception*) override { ++failures; }
  void OnSoftExit() override { ++softExits; }
};

class CountingController : public ui::IController {
 public:
  std::function<bool()> update = [] { return true; };
  std::atomic<int> updates{0};
  bool Update() override {
    ++updates;
    return update();
  }
  void Draw() override {}
};

// The pieces Application::Exec assembles around a controller.
struct LogicThreadRig {
  ui::EventSystem events;
  ui::SafeQueue queue;
  std::mutex appMutex;
  CountingController controller;
  std::shared_ptr<ui::LogicThreadPolicy> policy =
      std::make_shared<ui::LogicThreadPolicy>(controller, appMutex, events, queue);
  ui::ControlledThread thread{L"LogicThread", policy};
  ui::EventQueuer queuer{queue, events};
};

}  // namespace

TEST(ControlledThread, StartTwiceLeavesTheRunningThreadAlone) {
  LogCapture log;
  auto policy = std::make_shared<ScriptedPolicy>();
  ui::ControlledThread thread(L"Worker", policy);
  thread.Start();
  thread.Start();
  EXPECT_TRUE(thread.IsEnabled());
  EXPECT_EQ(policy->starts, 1);
  thread.Stop();
  EXPECT_FALSE(thread.IsEnabled());

  const auto messages = log.Messages();
  EXPECT_NE(IndexOf(messages, "STATE BEFORE START: name=Workerenabled=0"), -1);
  EXPECT_NE(IndexOf(messages, "thread START begin: name=Worker"), -1);
  EXPECT_NE(IndexOf(messages, "thread START end (thread_id) name=Worker"), -1);
  EXPECT_NE(IndexOf(messages, "STATE BEFORE START: name=Workerenabled=1"), -1);
  EXPECT_NE(IndexOf(messages, "thread IS ALREADY RUNNINGWorker"), -1);
  EXPECT_NE(IndexOf(messages, "STATE BEFORE STOP: enabled=1, thread=1, thread_joinable=1Worker"), -1);
  EXPECT_NE(IndexOf(messages, "thread STOP endWorker"), -1);
  EXPECT_EQ(policy->stopRequests, 1);
  EXPECT_EQ(policy->stops, 1);
  EXPECT_NE(log.Lines()[0].find("\t[threading/controlled_thread.cpp:"), std::string::npos);
}

TEST(ControlledThread, StartAfterTheThreadEndedRestartsWithANewThread) {
  LogCapture log;
  auto policy = std::make_shared<ScriptedPolicy>();
  policy->endMainPhase = true;
  ui::ControlledThread thread(L"Worker", policy);
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !thread.IsEnabled(); }));
  EXPECT_EQ(policy->runs, 1);

  policy->endMainPhase = false;
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return policy->runs == 2; }));
  EXPECT_EQ(policy->starts, 2);
  EXPECT_TRUE(thread.IsEnabled());
  thread.Stop();

  const auto messages = log.Messages();
  const int restart = IndexOf(messages, "thread RESTART begin name=Worker");
  ASSERT_NE(restart, -1);
  EXPECT_NE(IndexOf(messages, "thread RESTART end (thread_id:)Worker", restart), -1);
  EXPECT_NE(IndexOf(messages, "thread RUN name=Worker", restart), -1);
  EXPECT_EQ(policy->softExits, 2);
}

TEST(ControlledThread, StopWithoutAThreadOnlyLogs) {
  LogCapture log;
  auto policy = std::make_shared<ScriptedPolicy>();
  ui::ControlledThread thread(L"Worker", policy);
  thread.Stop();
  thread.Start();
  thread.Stop();
  thread.Stop();
  const auto messages = log.Messages();
  EXPECT_EQ(CountOf(messages, "thread IS ALREADY STOPPEDWorker"), 2);
  EXPECT_EQ(policy->stopRequests, 1);
}

TEST(ControlledThread, StopAndDestructionFromTheThreadItselfDoNotEndTheProcess) {
  LogCapture log;
  auto policy = std::make_shared<ScriptedPolicy>();
  auto thread = std::make_unique<ui::ControlledThread>(L"SelfStopper", policy);
  std::atomic<bool> stopped{false};
  policy->onStep = [&] {
    if (!stopped.exchange(true)) thread->Stop();
  };
  thread->Start();
  ASSERT_TRUE(WaitUntil([&] { return policy->softExits == 1; }));
  EXPECT_TRUE(log.Contains("JOIN IN SAME THREAD!!!SelfStopper"));
  EXPECT_TRUE(log.Contains(" WARN ["));
  thread.reset();  // joins the ended thread normally

  auto policy2 = std::make_shared<ScriptedPolicy>();
  auto* self = new ui::ControlledThread(L"SelfDestroyer", policy2);
  std::atomic<bool> destroyed{false};
  policy2->onStep = [&] {
    if (!destroyed.exchange(true)) delete self;
  };
  self->Start();
  EXPECT_TRUE(WaitUntil([&] { return policy2->softExits == 1; }));
}

TEST(LogicThread, AControllerThatEndsAtOnceEndsTheThreadWithoutExit) {
  LogCapture log;
  LogicThreadRig rig;
  rig.controller.update = [] { return false; };
  rig.thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !rig.thread.IsEnabled(); }));
  rig.thread.Stop();

  const auto messages = log.Messages();
  const int run = IndexOf(messages, "thread RUN name=LogicThread");
  const int main = IndexOf(messages, "thread MAIN name=LogicThread");
  const int end = IndexOf(messages, "CONTROLLER END");
  const int soft = IndexOf(messages, "thread SOFT EXIT name=LogicThread");
  EXPECT_TRUE(run != -1 && run < main && main < end && end < soft) << run << main << end << soft;
  EXPECT_EQ(IndexOf(messages, "EXITING THE APPLICATION"), -1);
  EXPECT_EQ(rig.controller.updates, 1);
  EXPECT_NE(log.Lines()[end].find("\t[application/logic_thread_policy.cpp:"), std::string::npos);
}

TEST(LogicThread, ExitFromAClosureLetsTheRestOfTheBatchRunThenEndsWithoutUpdate) {
  LogCapture log;
  LogicThreadRig rig;
  std::vector<std::string> ran;
  // Queue the batch before the thread starts, so that it is drained at once.
  rig.queue.Emplace([&] { ran.push_back("before"); });
  rig.queuer.Emit<ui::Events::System::Exit>();
  rig.queue.Emplace([&] { ran.push_back("after"); });
  rig.thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !rig.thread.IsEnabled(); }));
  rig.thread.Stop();

  EXPECT_EQ(ran, (std::vector<std::string>{"before", "after"}));
  EXPECT_EQ(rig.controller.updates, 0);
  EXPECT_TRUE(log.Contains("EXITING THE APPLICATION"));
}

TEST(LogicThread, EventsEmittedFromAnotherThreadAreHandledOnTheLogicThreadInOrder) {
  struct Numbered {
    int n;
  };
  LogicThreadRig rig;
  std::vector<int> seen;
  std::atomic<bool> wrongThread{false};
  std::thread::id logicThread;
  rig.events.Connect<Numbered>([&](const Numbered& e) {
    if (logicThread == std::thread::id()) logicThread = std::this_thread::get_id();
    if (std::this_thread::get_id() != logicThread) wrongThread = true;
    seen.push_back(e.n);
  });
  rig.thread.Start();
  std::thread gui([&] {
    for (int i = 0; i < 100; ++i) rig.queuer.Emit<Numbered>(i);
  });
  gui.join();
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> lock(rig.appMutex);
    return seen.size() == 100;
  }));
  rig.queuer.Emit<ui::Events::System::Exit>();
  ASSERT_TRUE(WaitUntil([&] { return !rig.thread.IsEnabled(); }));
  rig.thread.Stop();

  std::vector<int> expected(100);
  for (int i = 0; i < 100; ++i) expected[i] = i;
  EXPECT_EQ(seen, expected);
  EXPECT_FALSE(wrongThread);
  EXPECT_NE(logicThread, std::this_thread::get_id());
}

TEST(LogicThread, StopOfAThreadWaitingOnAnEmptyQueueReturnsPromptly) {
  LogicThreadRig rig;
  rig.thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return rig.controller.updates >= 1; }));
  std::this_thread::sleep_for(300ms);  // well into the idle wait
  const auto before = std::chrono::steady_clock::now();
  rig.thread.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 250ms);
  EXPECT_FALSE(rig.thread.IsEnabled());
}

TEST(LogicThread, AThrowingClosureEndsTheThreadWithItsFailureRecord) {
  LogCapture log;
  LogicThreadRig rig;
  std::atomic<bool> laterClosureRan{false};
  rig.thread.Start();
  rig.queue.Emplace([] { throw std::runtime_error("closure exploded"); });
  rig.queue.Emplace([&] { laterClosureRan = true; });
  ASSERT_TRUE(WaitUntil([&] { return !rig.thread.IsEnabled(); }));
  rig.thread.Stop();

  EXPECT_FALSE(laterClosureRan);
  const auto lines = log.Lines();
  const int fail = IndexOf(lines, "thread running FAIL name=LogicThread");
  ASSERT_NE(fail, -1);
  EXPECT_NE(lines[fail].find(" ERROR ["), std::string::npos);
  EXPECT_NE(lines[fail].find("closure exploded"), std::string::npos);
  EXPECT_EQ(IndexOf(lines, "thread SOFT EXIT"), -1);

  // The application mutex was released on the way out.
  std::unique_lock<std::mutex> lock(rig.appMutex, std::try_to_lock);
  EXPECT_TRUE(lock.owns_lock());
}

TEST(LogicThread, FailurePolicyReceivesTheExceptionOrNull) {
  struct Thrower : ScriptedPolicy {
    std::string what = "unset";
    bool Step() override {
      if (throwStd) throw std::logic_error("typed");
      throw 42;
    }
    void OnFailure(const std::exception* error) override { what = error ? error->what() : "null"; }
    bool throwStd = true;
  };
  LogCapture log;
  auto policy = std::make_shared<Thrower>();
  ui::ControlledThread thread(L"Thrower", policy);
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !thread.IsEnabled(); }));
  EXPECT_EQ(policy->what, "typed");

  policy->throwStd = false;
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !thread.IsEnabled() && policy->what == "null"; }));
  thread.Stop();
  EXPECT_TRUE(log.Contains("thread running FAIL name=ThrowerUNKNOWN"));
}

// A stop that arrives while a step is busy: that step drains the wake-up
// closure itself, and the thread may run one more step before it sees its flag
// cleared. That step must not wait for a post that will never come.
TEST(LogicThread, AStepAfterAStopRequestNeverWaits) {
  LogicThreadRig rig;
  bool stopArrived = false;
  rig.controller.update = [&] {
    if (!stopArrived) {
      stopArrived = true;
      rig.policy->OnStopRequested(0);
    }
    return true;
  };
  rig.queue.Emplace([] {});
  EXPECT_FALSE(rig.policy->Step());  // drains the trigger; the wake-up arrives during Update
  auto nextStep = std::async(std::launch::async, [&] { return rig.policy->Step(); });
  const bool returned = nextStep.wait_for(2s) == std::future_status::ready;
  if (!returned) rig.queue.Emplace([] {});  // unblock it, so the test can end
  EXPECT_TRUE(returned) << "the step waits on an empty queue";
  EXPECT_FALSE(nextStep.get());
}
