// Running a test case in a child process: as the user the tests run as, or as the ordinary
// user "nobody" (when the tests run as root), with a time limit, so that a case that hangs
// (a FIFO opened by mistake) fails instead of stopping the suite.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

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

// A named case of a table whose cases each run twice: as self and as "nobody".
struct ChildCase {
  const char* Name;
  CaseFn Run;
};
using ChildCaseParam = std::tuple<ChildCase, bool>;  // the case, and whether as "nobody"

// The test name of a parameter: "<Name>_AsSelf" or "<Name>_AsNobody".
std::string ChildCaseName(const testing::TestParamInfo<ChildCaseParam>& Info);

// Runs a parameter's case in a fresh folder and expects it to hold; the "nobody" run is
// skipped when the tests do not run as root.
void RunChildCase(const ChildCaseParam& Param);

}  // namespace kez::test

// CHECK_THAT(cond): ends a case with the condition's text and line when it does not hold.
#define CHECK_THAT(cond) \
  if (!(cond)) return std::string(#cond) + " (line " + std::to_string(__LINE__) + ")"
