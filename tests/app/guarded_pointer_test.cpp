// The guarded pointer an object publishes for other threads' calls: one object named at a
// time, and a withdrawal that waits for a call under way.
#include "app/guarded_pointer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

struct Target {
  int value = 7;
};

// Spins (yielding) until done holds or a limit that only a broken test reaches.
template <typename Done>
bool SpinUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::yield();
  }
  return true;
}

TEST(GuardedPointerTest, NamesOneObjectAtATimeAndCallsOnlyTheNamedOne) {
  app::GuardedPointer<Target> pointer;
  Target first;
  Target second;
  EXPECT_FALSE(pointer.With([](Target&) { FAIL() << "nothing is named"; }));
  EXPECT_TRUE(pointer.Publish(&first));
  EXPECT_FALSE(pointer.Publish(&second));  // the first stays named
  EXPECT_EQ(pointer.Named(), &first);
  pointer.Withdraw(&second);  // not the named one: nothing changes
  EXPECT_EQ(pointer.Named(), &first);
  int seen = 0;
  EXPECT_TRUE(pointer.With([&](Target& t) { seen = t.value; }));
  EXPECT_EQ(seen, 7);
  pointer.Withdraw(&first);
  EXPECT_EQ(pointer.Named(), nullptr);
  EXPECT_FALSE(pointer.With([](Target&) { FAIL() << "withdrawn"; }));
  EXPECT_TRUE(pointer.Publish(&second));
  EXPECT_EQ(pointer.Named(), &second);
}

// The owner withdraws and frees the object while another thread is inside its call: the
// withdrawal returns only after that call did, so the call sees the object whole.
TEST(GuardedPointerTest, WithdrawWaitsForTheCallUnderWay) {
  app::GuardedPointer<Target> pointer;
  auto object = std::make_unique<Target>();
  ASSERT_TRUE(pointer.Publish(object.get()));
  std::atomic<bool> inside{false};
  std::atomic<bool> withdrawn{false};
  bool sawWithdrawing = false;
  bool withdrawnWhileInside = true;
  int valueWhileGoing = 0;
  std::thread caller([&] {
    pointer.With([&](Target& t) {
      inside = true;
      sawWithdrawing = SpinUntil([&] { return pointer.Withdrawing(); });
      withdrawnWhileInside = withdrawn.load();
      valueWhileGoing = t.value;
    });
  });
  ASSERT_TRUE(SpinUntil([&] { return inside.load(); }));
  pointer.Withdraw(object.get());
  withdrawn = true;
  object.reset();
  caller.join();
  EXPECT_TRUE(sawWithdrawing);
  EXPECT_FALSE(withdrawnWhileInside);
  EXPECT_EQ(valueWhileGoing, 7);
  EXPECT_FALSE(pointer.Withdrawing());
  EXPECT_EQ(pointer.Named(), nullptr);
}

}  // namespace
