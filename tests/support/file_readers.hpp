// The library's readers of text files and streams, each as a function of a file name that
// gives its result as bytes, so that results of the same bytes reached in different ways can
// be compared.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/filesys.hpp"
#include "kez/htmlsupport.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/streams.hpp"
#include "test_support.hpp"

namespace kez::test {

// A reader's result as text, so that results of every way in can be compared; an
// exception becomes part of the result.
using Reader = std::function<std::string(const String& Name)>;

inline std::string Run(const Reader& Read, const String& Name) {
  try {
    return Read(Name);
  } catch (const Exception& e) {
    return "raised: " + U8(e.Message());
  }
}

inline std::string Lines(const std::vector<String>& Lines) {
  std::string all;
  for (const String& line : Lines) all += U8(line) + "|";
  return all;
}

// The readers of plain text, each as a Reader.
inline const std::vector<std::pair<const char*, Reader>>& TextReaders() {
  static const std::vector<std::pair<const char*, Reader>> readers = {
      {"TStrings::LoadFromFile",
       [](const String& Name) {
         TStringList list;
         list.LoadFromFile(Name);
         return Lines(std::vector<String>(list.begin(), list.end()));
       }},
      {"TMemoryStream::LoadFromFile",
       [](const String& Name) {
         TMemoryStream m;
         m.LoadFromFile(Name);
         return std::string(reinterpret_cast<const char*>(m.Memory()),
                            static_cast<std::size_t>(m.Size()));
       }},
      {"TMemoryStream::LoadFromStream",
       [](const String& Name) {
         TFileStream f(Name, fmOpenRead);
         TMemoryStream m;
         m.LoadFromStream(f);
         return std::string(reinterpret_cast<const char*>(m.Memory()),
                            static_cast<std::size_t>(m.Size()));
       }},
      {"TextFile ReadLn",
       [](const String& Name) {
         TextFile f(Name);
         f.Reset();
         std::string all;
         String line;
         while (!f.Eof()) {
           f.ReadLn(line);
           all += U8(line) + "|";
         }
         return all;
       }},
      {"TextFile ReadChar",
       [](const String& Name) {
         TextFile f(Name);
         f.Reset();
         String all;
         while (!f.Eof()) all.push_back(f.ReadChar());
         return U8(all);
       }},
      {"CountLinesInTextFile",
       [](const String& Name) { return std::to_string(CountLinesInTextFile(Name, nullptr)); }},
      {"ReadLastNLinesOfTextFile",
       [](const String& Name) {
         std::int32_t count = 0;
         const auto last = ReadLastNLinesOfTextFile(Name, 3, count);
         return std::to_string(count) + ":" + Lines(last);
       }},
      {"DetectStringInFile",
       [](const String& Name) {
         return std::to_string(DetectStringInFile(Name, u"NEEDLE", true, 1'000'000));
       }},
      {"FindFirstMatchInTextFile",
       [](const String& Name) {
         String line;
         const auto at = FindFirstMatchInTextFile(Name, u"needle\u00E9", false, line);
         return std::to_string(at) + ":" + U8(line);
       }},
      {"CheckTextFileType",
       [](const String& Name) { return std::to_string(CheckTextFileType(Name)); }},
      {"CalcCRC32ofFile",
       [](const String& Name) { return std::to_string(CalcCRC32ofFile(Name)); }},
      {"SHA1FromFile", [](const String& Name) { return U8(SHA1DigestToHex(SHA1FromFile(Name))); }},
      {"EnsureCRLFInFile",
       [](const String& Name) {
         TempDir out;
         EnsureCRLFInFile(Name, out.File("out.txt"));
         return ReadBytes(out.NativeFile("out.txt"));
       }},
      {"ReadTemplateFromFile",
       [](const String& Name) {
         THtmlProducer html(nullptr);
         html.ReadTemplateFromFile(Name);
         return U8(html.Template());
       }},
      {"ReadTemplateFromStream",
       [](const String& Name) {
         TFileStream f(Name, fmOpenRead);
         THtmlProducer html(nullptr);
         html.ReadTemplateFromStream(f);
         return U8(html.Template());
       }},
      {"CountLinesInStream",
       [](const String& Name) {
         TFileStream f(Name, fmOpenRead);
         return std::to_string(CountLinesInStream(f));
       }},
      {"ReadLnStream",
       [](const String& Name) {
         TFileStream f(Name, fmOpenRead);
         std::string all;
         for (bool eos = false; !eos;) all += U8(ReadLnStream(f, eos, 0)) + "|";
         return all;
       }},
      {"ReadStreamUntil",
       [](const String& Name) {
         // Each search steps back to just behind its target, which on a pipe lies in bytes
         // already read.
         TFileStream f(Name, fmOpenRead);
         std::string all;
         for (std::int32_t status = 0; status == 0;) all += U8(ReadStreamUntil(f, u"NEEDLE", status)) + "|";
         return all;
       }},
      {"ReadStreamUntilTagList",
       [](const String& Name) {
         TFileStream f(Name, fmOpenRead);
         const String tags[] = {u"a", u"b"};
         std::string all;
         for (std::int32_t index = 0; index >= 0;) {
           all += U8(ReadStreamUntilTagList(f, tags, index)) + std::to_string(index) + "|";
           String attributes, contents;
           if (index >= 0) all += std::to_string(ReadNextTagInStream(f, tags, attributes, contents));
         }
         return all;
       }},
      {"ReadHeaderOfASC",
       [](const String& Name) {
         String comment;
         std::int32_t a = 0, b = 0;
         bool f1 = false, f2 = false, f3 = false, f4 = false;
         const int status = ReadHeaderOfASC(Name, comment, a, b, f1, f2, f3, f4);
         return std::to_string(status) + U8(comment) + std::to_string(a) + std::to_string(b) +
                std::to_string(f1) + std::to_string(f2) + std::to_string(f3) + std::to_string(f4);
       }},
      {"ReadHeaderOfASC (stream)",
       [](const String& Name) {
         TFileStream s(Name, fmOpenRead);
         String comment;
         std::int32_t a = 0, b = 0;
         bool f1 = false, f2 = false, f3 = false, f4 = false;
         const int status = ReadHeaderOfASC(s, comment, a, b, f1, f2, f3, f4);
         return std::to_string(status) + U8(comment) + std::to_string(a) + std::to_string(b) +
                std::to_string(f1) + std::to_string(f2) + std::to_string(f3) + std::to_string(f4);
       }},
  };
  return readers;
}

}  // namespace kez::test
