// The fault tests' main: starts the program again with the fault library preloaded when it
// is not, then runs the tests.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "faults.hpp"

namespace kez::faults {
namespace {

template <typename F>
F Control(const char* Name) {
  return reinterpret_cast<F>(::dlsym(RTLD_DEFAULT, Name));
}

}  // namespace

bool Loaded() { return Control<void (*)(long, int)>("kez_fault_arm") != nullptr; }

std::string WhyNotLoaded() {
  return "the fault library " KEZ_FAULTINJECT
         " is not preloaded (set KEZ_FAULTS_NO_PRELOAD=0 or LD_PRELOAD it)";
}

void Arm(long K, int Err) { Control<void (*)(long, int)>("kez_fault_arm")(K, Err); }
long Disarm() { return Control<long (*)()>("kez_fault_disarm")(); }
bool Fired() { return Control<int (*)()>("kez_fault_fired")() != 0; }
void InterruptReads(bool On) { Control<void (*)(int)>("kez_fault_reads")(On ? 1 : 0); }

}  // namespace kez::faults

int main(int argc, char** argv) {
  const char* refuse = std::getenv("KEZ_FAULTS_NO_PRELOAD");
  if (!kez::faults::Loaded() && (refuse == nullptr || std::string(refuse) == "0")) {
    // Once only: a library that still does not load leaves the tests to skip.
    ::setenv("KEZ_FAULTS_NO_PRELOAD", "1", 1);
    std::string preload = KEZ_FAULTINJECT;
    if (const char* old = std::getenv("LD_PRELOAD"); old != nullptr && *old != '\0') {
      preload += std::string(":") + old;
    }
    ::setenv("LD_PRELOAD", preload.c_str(), 1);
    // AddressSanitizer wants its runtime first among the loaded libraries; the fault
    // library calls through to it, so the order does no harm.
    std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    ::setenv("ASAN_OPTIONS",
             (asan.empty() ? "" : asan + ":").append("verify_asan_link_order=0").c_str(), 1);
    ::execv("/proc/self/exe", argv);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
