// Processor queries against what a Linux program would do instead: read the brand string from
// /proc/cpuinfo, or execute CPUID through <cpuid.h> itself. Each kez query checks for CPUID
// and the leaf range first, so it executes CPUID two or three times; inside a virtual machine
// every execution is a trap to the hypervisor.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "kez/cpuid.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

void BM_CPU_MarketName(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kez::CPU_MarketName());
}
BENCHMARK(BM_CPU_MarketName);

void BM_ProcCpuinfo_ModelName(benchmark::State& state) {
  for (auto _ : state) {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line) && line.rfind("model name", 0) != 0) {
    }
    benchmark::DoNotOptimize(line.substr(line.find(':') + 2));
  }
}
BENCHMARK(BM_ProcCpuinfo_ModelName);

void BM_CPU_Signature(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kez::CPU_Signature());
}
BENCHMARK(BM_CPU_Signature);

#if defined(__x86_64__) || defined(__i386__)
void BM_GetCpuid_Signature(benchmark::State& state) {
  for (auto _ : state) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    __get_cpuid(1, &a, &b, &c, &d);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_GetCpuid_Signature);
#endif

}  // namespace
