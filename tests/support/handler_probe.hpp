// A handler that changes its own slot while it runs, for the tests of every class that stores
// a handler: the object must keep the running handler alive until it returns.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kez::test {

// HandlerProbe
// Make(Change) gives a handler (it takes any arguments) that calls Change, which clears or
// replaces the handler or assigns its object, and then records whether its own captured
// state is still alive. An object that calls the stored handler in place has destroyed the
// closure by then (a use after free that AddressSanitizer reports, and that AliveAfterChange
// shows in any build); one that calls a copy keeps it until the handler returns.
class HandlerProbe {
 public:
  auto Make(std::function<void()> Change) {
    auto token = std::make_shared<int>(0);
    FWatch = token;
    return [token, this, Change = std::move(Change)](auto&&...) {
      // Copies first: after Change the captures may be gone.
      HandlerProbe* probe = this;
      const std::function<void()> change = Change;
      // Only the first call changes: a change that notifies again (Assign may) reenters.
      if (probe->Calls++ > 0) return;
      change();
      probe->AliveAfterChange = !probe->FWatch.expired();
    };
  }

  int Calls = 0;
  bool AliveAfterChange = false;

 private:
  std::weak_ptr<int> FWatch;
};

// ExpectOnChangeMayChangeItself
// For a class with SetOnChange: an OnChange handler that clears itself, replaces itself, or
// (with Assignable) assigns its object from a fresh one while Fire(object) runs it runs to
// its end with its state alive.
template <class T>
void ExpectOnChangeMayChangeItself(const std::function<std::unique_ptr<T>()>& Make,
                                   const std::function<void(T&)>& Fire, bool Assignable = true) {
  std::unique_ptr<T> fresh = Make();
  std::vector<std::pair<std::string, std::function<void(T&)>>> changes = {
      {"clears itself", [](T& o) { o.SetOnChange(nullptr); }},
      {"replaces itself", [](T& o) { o.SetOnChange([](auto*) {}); }},
  };
  if (Assignable) changes.push_back({"assigns its object", [&](T& o) { o.Assign(fresh.get()); }});
  for (const auto& entry : changes) {
    SCOPED_TRACE(entry.first);
    const std::function<void(T&)>& change = entry.second;
    std::unique_ptr<T> object = Make();
    HandlerProbe probe;
    T& target = *object;
    object->SetOnChange(probe.Make([&target, &change] { change(target); }));
    Fire(*object);
    EXPECT_GE(probe.Calls, 1);
    EXPECT_TRUE(probe.AliveAfterChange);
  }
}

}  // namespace kez::test
