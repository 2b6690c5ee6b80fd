// Running a test case in a child process: as the user the tests run as, or as the ordinary
// user "nobody" (when the tests run as root), with a time limit, so that a case that hangs
// (a FIFO opened by mistake) fails instead of stopping the suite.
#pragma once

#include <filesystem>
#include <string>

namespace kez::test {

// What a case found wrong; empty when it holds.
using Outcome = std::string;

// A case run on a fresh folder of its own.
using CaseFn = Outcome (*)(const std::filesystem::path& Dir);

// Runs Case on Dir in a child process (as "nobody" when AsNobody, Dir handed over to that
// user first), killed after Seconds. Returns what the case reported, or why the child
// failed.
Outcome RunInChild(CaseFn Case, const std::filesystem::path& Dir, bool AsNobody,
                   unsigned Seconds = 60);

}  // namespace kez::test

// CHECK_THAT(cond): ends a case with the condition's text and line when it does not hold.
#define CHECK_THAT(cond) \
  if (!(cond)) return std::string(#cond) + " (line " + std::to_string(__LINE__) + ")"
