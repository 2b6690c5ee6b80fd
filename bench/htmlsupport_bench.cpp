// Template expansion: THtmlProducer::Convert against the loop a user would write with
// std::regex (std::wregex over the same UTF-16-sized text, a callback per "<#name params>"
// tag), on a 64 KiB page with a tag every ~200 characters. Both produce the same output.
// Read the results as the ratio of the two rows.
#include <benchmark/benchmark.h>

#include <regex>
#include <string>

#include "kez/htmlsupport.hpp"

namespace {

constexpr std::size_t kPageSize = 64 * 1024;

std::u16string MakeTemplate() {
  std::u16string t;
  for (int i = 0; t.size() < kPageSize; ++i) {
    t += u"<p class=\"row\">Measured value ";
    t += u"<#Value col=" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u" >";
    t += u" at station <#station> and some ordinary text to fill the line.</p>\r\n";
  }
  return t;
}

void BM_KezConvert(benchmark::State& State) {
  kez::THtmlProducer producer(nullptr);
  producer.SetTemplate(MakeTemplate());
  producer.SetOnHTMLTag([](kez::TObject*, const kez::String& Name, const kez::String& Params,
                           kez::String& Replacement) { Replacement = Name + u":" + Params; });
  for (auto _ : State) benchmark::DoNotOptimize(producer.Convert().size());
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * kPageSize));
}
BENCHMARK(BM_KezConvert);

void BM_StdRegexConvert(benchmark::State& State) {
  const std::u16string t16 = MakeTemplate();
  const std::wstring text(t16.begin(), t16.end());
  const std::wregex tag(L"<#([^ >]*)(?: ([^>]*))?(?:>|$)");
  for (auto _ : State) {
    std::wstring out;
    out.reserve(text.size());
    auto last = text.cbegin();
    for (std::wsregex_iterator it(text.begin(), text.end(), tag), end; it != end; ++it) {
      const auto& m = *it;
      out.append(last, m[0].first);
      std::wstring name = m[1].str();
      for (wchar_t& c : name)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
      std::wstring params = m[2].str();
      params.erase(0, params.find_first_not_of(L' '));
      params.erase(params.find_last_not_of(L' ') + 1);
      out += name + L":" + params;
      last = m[0].second;
    }
    out.append(last, text.cend());
    benchmark::DoNotOptimize(out.size());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * kPageSize));
}
BENCHMARK(BM_StdRegexConvert);

}  // namespace
