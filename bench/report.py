#!/usr/bin/env python3
"""Turns the benchmark programs' JSON results into one Markdown table per operation group.

usage: report.py RESULTS_DIR [PEAKMEM_FILE]

RESULTS_DIR holds one <program>.json per benchmark program (Google Benchmark's JSON with
repetitions, aggregates only). Each row below pairs a kez benchmark with the peer a user
would pick; the ratio is kez's median time over the peer's (below 1: kez is faster).
PEAKMEM_FILE holds "<case> <peak KiB>" lines from kez_peakmem.
"""
import json
import pathlib
import sys

# (group, operation, kez run name, peer label, peer run name)
PAIRS = [
    ("Checksums", "CRC-32, 64 B", "BM_Crc32_Kez/64", "zlib crc32", "BM_Crc32_Zlib/64"),
    ("Checksums", "CRC-32, 1 MiB", "BM_Crc32_Kez/1048576", "zlib crc32", "BM_Crc32_Zlib/1048576"),
    ("Checksums", "CRC-32, 1 MiB, 256-bit VPCLMULQDQ kernel", "BM_Crc32_KezAVX2/1048576",
     "zlib crc32", "BM_Crc32_Zlib/1048576"),
    ("Checksums", "CRC-32, 1 MiB, PCLMULQDQ kernel", "BM_Crc32_KezSSE/1048576", "zlib crc32",
     "BM_Crc32_Zlib/1048576"),
    ("Checksums", "CRC-32, 1 MiB, portable kernel", "BM_Crc32_KezPortable/1048576", "zlib crc32",
     "BM_Crc32_Zlib/1048576"),
    ("Checksums", "CRC-32, 1 MiB", "BM_Crc32_Kez/1048576", "memcpy (ceiling)",
     "BM_Memcpy/1048576"),
    ("Checksums", "CalcCRC32ofFile, 1 MiB file", "BM_Crc32File_Kez", "read + zlib crc32",
     "BM_Crc32File_Zlib"),
    ("Checksums", "CalcCRC32ofFile, 1 GiB file", "BM_Crc32BigFile_Kez",
     "read whole file + CRC32ofBuffer", "BM_Crc32BigFile_ReadThenKez"),
    ("Checksums", "CalcCRC32ofFile, 1 GiB file", "BM_Crc32BigFile_Kez", "read + zlib crc32",
     "BM_Crc32BigFile_Zlib"),
    ("Checksums", "kez crc32's loop (ContinueCRC32), 1 GiB file", "BM_Crc32BigFile_ToolLoop",
     "CalcCRC32ofFile", "BM_Crc32BigFile_Kez"),
    ("Checksums", "kez crc32's loop (ContinueCRC32), 1 GiB file", "BM_Crc32BigFile_ToolLoop",
     "read + zlib crc32", "BM_Crc32BigFile_Zlib"),
    ("Checksums", "CRC-16, 64 B", "BM_Crc16_Kez/64", "byte-table CRC-16", "BM_Crc16_ByteTable/64"),
    ("Checksums", "CRC-16, 1 MiB", "BM_Crc16_Kez/1048576", "byte-table CRC-16",
     "BM_Crc16_ByteTable/1048576"),
    ("Checksums", "SHA-1 stream, 64 B", "BM_Sha1Stream_Kez/64", "OpenSSL SHA1",
     "BM_Sha1_OpenSSL/64"),
    ("Checksums", "SHA-1 stream, 1 MiB", "BM_Sha1Stream_Kez/1048576", "OpenSSL SHA1",
     "BM_Sha1_OpenSSL/1048576"),
    ("Checksums", "SHA-1 stream, 1 MiB, portable kernel", "BM_Sha1Stream_KezPortable/1048576",
     "OpenSSL SHA1", "BM_Sha1_OpenSSL/1048576"),
    ("Checksums", "SHA-1 of a text, 64 chars", "BM_Sha1String_Kez/64", "OpenSSL SHA1",
     "BM_Sha1_OpenSSL/64"),
    ("Checksums", "SHA-1 of a mixed text, 1 MiB", "BM_Sha1StringMixed_Kez/1048576",
     "UTF-8 + OpenSSL SHA1", "BM_Sha1StringMixed_Utf8ThenOpenSSL/1048576"),
    ("Checksums", "SHA1FromFile, 1 MiB file", "BM_Sha1File_Kez", "read + OpenSSL SHA1",
     "BM_Sha1File_OpenSSL"),
    ("Checksums", "SHA1FromFile, 1 GiB file", "BM_Sha1BigFile_Kez",
     "read whole file + in-memory SHA-1", "BM_Sha1BigFile_ReadThenKez"),
    ("Checksums", "SHA1FromFile, 1 GiB file", "BM_Sha1BigFile_Kez", "read + OpenSSL SHA1",
     "BM_Sha1BigFile_OpenSSL"),
    ("Processor", "CPU market name", "BM_CPU_MarketName", "/proc/cpuinfo model name",
     "BM_ProcCpuinfo_ModelName"),
    ("Processor", "CPU signature", "BM_CPU_Signature", "<cpuid.h> __get_cpuid",
     "BM_GetCpuid_Signature"),
    ("Bits", "CountTrueBits", "BM_CountTrueBits", "std::popcount", "BM_StdPopcount"),
    ("Text search and replace", "ReplaceStringInString", "BM_ReplaceStringInString",
     "std::string find/replace loop", "BM_Std_ReplaceLoop"),
    ("Text search and replace", "CountStringInString, ignoring case",
     "BM_CountStringInString_IgnoreCase", "lower-case copy + find", "BM_Std_CountLowerCopy"),
    ("Text search and replace", "CountStringInString, hostile, 10,000",
     "BM_CountStringInString_Hostile/10000", "std::string::find loop",
     "BM_Std_FindLoop_Hostile/10000"),
    ("Text search and replace", "CountStringInString, hostile, 40,000",
     "BM_CountStringInString_Hostile/40000", "std::string::find loop",
     "BM_Std_FindLoop_Hostile/40000"),
    ("Text search and replace", "StringContainsOtherThan", "BM_StringContainsOtherThan",
     "find_first_not_of", "BM_Std_FindFirstNotOf"),
    ("Text search and replace", "ReadStreamUntil, repetitive 1 MB",
     "BM_ReadStreamUntil_Repetitive", "std::string::find", "BM_StdStringFind_Repetitive"),
    ("Text search and replace", "SearchAndReplace, repetitive 1 MB",
     "BM_SearchAndReplace_Repetitive", "std::boyer_moore_searcher", "BM_StdBoyerMoore_Repetitive"),
    ("Regular expressions", "TGrep literal, 1 KiB", "BM_TGrep/0/1024", "std::regex_search",
     "BM_StdRegex/0/1024"),
    ("Regular expressions", "TGrep literal, 1 MiB", "BM_TGrep/0/1048576", "std::regex_search",
     "BM_StdRegex/0/1048576"),
    ("Regular expressions", "TGrep literal, 1 MiB", "BM_TGrep/0/1048576", "RE2",
     "BM_RE2/0/1048576"),
    ("Regular expressions", "TGrep literal, 1 MiB", "BM_TGrep/0/1048576",
     "memchr over the same UTF-16 text (reading it once)", "BM_ReadUtf16Text/1048576"),
    ("Regular expressions", "TGrep [0-9]+, 1 MiB", "BM_TGrep/1/1048576", "std::regex_search",
     "BM_StdRegex/1/1048576"),
    ("Regular expressions", "TGrep [0-9]+, 1 MiB", "BM_TGrep/1/1048576", "RE2",
     "BM_RE2/1/1048576"),
    ("Regular expressions", "TGrep b.*d, 1 MiB", "BM_TGrep/2/1048576", "std::regex_search",
     "BM_StdRegex/2/1048576"),
    ("Regular expressions", "TGrep b.*d, 1 MiB", "BM_TGrep/2/1048576", "RE2",
     "BM_RE2/2/1048576"),
    ("Regular expressions", "TGrep xyz$ (anchored), 1 MiB", "BM_TGrep/3/1048576",
     "std::regex_search", "BM_StdRegex/3/1048576"),
    ("Regular expressions", "TGrep xyz$ (anchored), 1 MiB", "BM_TGrep/3/1048576", "RE2",
     "BM_RE2/3/1048576"),
    ("Regular expressions", "TGrep b.*d without d (pathological), 1 KiB", "BM_TGrep/4/1024",
     "std::regex_search", "BM_StdRegex/4/1024"),
    ("Regular expressions", "TGrep b.*d without d (pathological), 1 KiB", "BM_TGrep/4/1024",
     "RE2", "BM_RE2/4/1024"),
    ("Regular expressions", "TGrep 200-char literal on a run, 64 KiB",
     "BM_TGrep_LongLiteralOnRun/65536", "std::regex_search",
     "BM_StdRegex_LongLiteralOnRun/65536"),
    ("Regular expressions", "TGrep 200-char literal on a run, 64 KiB",
     "BM_TGrep_LongLiteralOnRun/65536", "RE2", "BM_RE2_LongLiteralOnRun/65536"),
    ("Regular expressions", "HTML conversion", "BM_KezConvert", "std::regex replacements",
     "BM_StdRegexConvert"),
    ("Formatting", "strff fixed", "BM_strff_Fixed", "snprintf", "BM_snprintf_Fixed"),
    ("Formatting", "strff fixed", "BM_strff_Fixed", "std::to_chars into a text",
     "BM_to_chars_Fixed_String"),
    ("Formatting", "strff fixed", "BM_strff_Fixed", "{fmt} format_to_n", "BM_fmt_Fixed"),
    ("Formatting", "FormatData fixed", "BM_FormatData_Fixed", "snprintf", "BM_snprintf_Fixed"),
    ("Formatting", "strff compact scientific", "BM_strff_CompactScientific", "snprintf",
     "BM_snprintf_Scientific"),
    ("Formatting", "strff compact scientific", "BM_strff_CompactScientific",
     "std::to_chars into a text", "BM_to_chars_Scientific_String"),
    ("Formatting", "strff compact scientific", "BM_strff_CompactScientific",
     "{fmt} format_to_n", "BM_fmt_Scientific"),
    ("Streams and files", "ReadLnStream, 10 MB", "BM_ReadLnStream", "std::getline",
     "BM_StdGetline"),
    ("Streams and files", "TextFile ReadLn, 20 MB", "BM_TextFileReadLn", "fgets", "BM_Fgets"),
    ("Streams and files", "TextFile ReadLnAnsi, 20 MB", "BM_TextFileReadLnAnsi", "fgets",
     "BM_Fgets"),
    ("Streams and files", "TextFile WriteLn, 20 MB", "BM_TextFileWriteLn", "fputs", "BM_Fputs"),
    ("Streams and files", "Text label with a 10 MB caption, read", "BM_TextLabelReadLargeCaption",
     "fgets of the whole file", "BM_FgetsWholeFile"),
    ("Streams and files", "CountLinesInTextFile, 200 MB", "BM_CountLinesInTextFile/real_time",
     "wc -l", "BM_WcL/real_time"),
    ("Streams and files", "ReadLastNLinesOfTextFile, 20 of 200 MB",
     "BM_ReadLastNLinesOfTextFile/real_time", "wc -l", "BM_WcL/real_time"),
    ("Streams and files", "CountLinesInTextFile, 200 MB", "BM_CountLinesInTextFile/real_time",
     "fread + memchr", "BM_FreadCountLineFeeds/real_time"),
    ("Streams and files", "DetectStringInFile, 1 MB line, 4,001-char text",
     "BM_DetectStringInFile_Hostile", "std::getline + std::string::find",
     "BM_GetlineFind_Hostile"),
    ("Streams and files", "AbridgeFilePath, 160,000 components", "BM_AbridgeFilePath_Long",
     "copying the path (floor)", "BM_CopyPath_Long"),
    ("Streams and files", "WriteLnStream, 10,000 lines", "BM_WriteLnStream", "std::fwrite",
     "BM_Fwrite"),
    ("Streams and files", "TextFile::Rewrite, 20,000 files", "BM_CreateFilesRewrite/iterations:3",
     "std::fopen", "BM_CreateFilesFopen/iterations:3"),
    ("Streams and files", "SaveAsXMLFile, 1,000,000 cells, safe save with fsync",
     "BM_SaveTable_Safe/real_time", "truncate and write, no fsync",
     "BM_SaveTable_Truncate/real_time"),
    ("Streams and files", "TFeatureMatrix::Save, 1,000 x 1,000, safe save with fsync",
     "BM_SaveMatrix_Safe/real_time", "truncate and write, no fsync",
     "BM_SaveMatrix_Truncate/real_time"),
    ("Streams and files", "FileCopyFeedBk, 64 MB", "BM_FileCopyFeedBk/64/real_time", "cp",
     "BM_SystemCp/64/real_time"),
    ("Streams and files", "FileCopyFeedBk, 1 GB", "BM_FileCopyFeedBk/1024/real_time", "cp",
     "BM_SystemCp/1024/real_time"),
    ("Streams and files", "CopyFileTree, 10,000 files of 100 B", "BM_CopyFileTree/10000/real_time",
     "cp -r", "BM_SystemCpR/10000/real_time"),
    ("Streams and files", "CountFiles, 101,000 entries", "BM_CountFiles/100000/real_time",
     "find | wc -l", "BM_FindWcL/100000/real_time"),
    ("Streams and files", "CountFiles, a chain 1,000 folders deep",
     "BM_CountFilesDeep/1000/real_time", "find | wc -l", "BM_FindDeep/1000/real_time"),
    ("Containers", "TStringArray fill, 1,000,000 cells", "BM_Fill_TStringArray",
     "std::vector<std::string>", "BM_Fill_VectorOfString"),
    ("Containers", "TStringArray add 80,000 rows", "BM_AddRow_TStringArray/80000",
     "std::vector of rows", "BM_AddRow_VectorOfRows/80000"),
    ("Containers", "TStringArray sort, 100,000 rows", "BM_Sort_TStringArray",
     "std::sort of an index", "BM_Sort_StdSortIndex"),
    ("Containers", "TStringArray sort with hook", "BM_Sort_TStringArrayWithHook",
     "std::sort of an index", "BM_Sort_StdSortIndex"),
    ("Containers", "TStringArray sort with hook", "BM_Sort_TStringArrayWithHook",
     "std::sort of an index, hook on both keys", "BM_Sort_StdSortIndexWithHook"),
    ("Containers", "FindCellInSortedColumn", "BM_Search_FindCellInSortedColumn",
     "std::lower_bound", "BM_Search_StdLowerBound"),
    ("Containers", "TAssocArray add 100,000, ignoring case", "BM_AssocArray_Insert/1",
     "std::unordered_map", "BM_UnorderedMap_Insert"),
    ("Containers", "TAssocArray add 100,000", "BM_AssocArray_Insert/0", "std::unordered_map",
     "BM_UnorderedMap_Insert"),
    ("Containers", "TAssocArray look-up 100,000, ignoring case", "BM_AssocArray_Lookup/1",
     "std::unordered_map", "BM_UnorderedMap_Lookup"),
    ("Containers", "TAssocArray look-up 100,000", "BM_AssocArray_Lookup/0",
     "std::unordered_map", "BM_UnorderedMap_Lookup"),
    ("Containers", "TAssocArray look-up 100,000, ignoring case", "BM_AssocArray_Lookup/1",
     "std::unordered_map, key lower-cased", "BM_UnorderedMap_LookupFolded"),
    ("Containers", "TAssocArray remove each of 40,000", "BM_AssocArray_RemoveEach",
     "std::unordered_map erase", "BM_UnorderedMap_EraseEach"),
    ("Containers", "TFeatureMatrix fill", "BM_Fill_TFeatureMatrix",
     "std::to_chars into vectors", "BM_Fill_VectorToChars"),
    ("Containers", "TFeatureMatrix save", "BM_Save_TFeatureMatrix", "std::ofstream",
     "BM_Save_Ofstream"),
    ("Containers", "TFeatureMatrix load", "BM_Load_TFeatureMatrix",
     "std::getline + from_chars", "BM_Load_Getline"),
    ("Containers", "TFeatureMatrix fill", "BM_Fill_TFeatureMatrix",
     "std::to_chars, 15 digits, into vectors", "BM_Fill_VectorToChars15"),
    ("Containers", "TextFile lines of the matrix file (load's bound)",
     "BM_Load_TextFileLinesOnly", "std::getline", "BM_Load_GetlineLinesOnly"),
    ("Containers", "TStringAccu add", "BM_StringAccuAdd", "std::unordered_map count",
     "BM_UnorderedMapCount"),
    ("Compression", "TRLEncoder encode, 100 MB", "BM_RLEncode/65536", "zlib deflate (Z_RLE)",
     "BM_ZlibRleDeflate"),
    ("Compression", "TRLEncoder decode, 100 MB", "BM_RLDecode/0", "zlib inflate",
     "BM_ZlibInflate"),
    ("Canvas", "lines", "BM_KezLines", "cairo", "BM_CairoLines"),
    ("Canvas", "ellipses", "BM_KezEllipses", "cairo", "BM_CairoEllipses"),
    ("Canvas", "triangles", "BM_KezTriangles", "cairo", "BM_CairoTriangles"),
]

PEAKMEM = [
    ("TStringArray, 1,000,000 cells", "stringarray", "std::vector<std::string>",
     "stringarray_std"),
    ("TFeatureMatrix, 1,000 x 1,000", "featurematrix", "std::vector<std::vector<std::string>>",
     "featurematrix_std"),
    ("TAssocArray, 100,000 entries", "assocarray",
     "std::unordered_map<std::u16string, Variant>", "assocarray_std"),
    ("TGrep b.*d on a 20,000,000-character text (UTF-16 text and failed-attempt table)", "grep",
     "RE2 on the text in UTF-8", "grep_re2"),
]

NS_PER_UNIT = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(results_dir):
    """Median time in nanoseconds per run name, and the context of the checksums program."""
    medians, context = {}, {}
    for path in sorted(pathlib.Path(results_dir).glob("*.json")):
        try:
            data = json.loads(path.read_text())
        except ValueError:
            print(f"warning: {path.name} is not valid JSON (the program failed?)", file=sys.stderr)
            continue
        for key in ("crc32_kernel", "sha1_kernel"):
            if key in data.get("context", {}):
                context[key] = data["context"][key]
        context.setdefault("num_cpus", data.get("context", {}).get("num_cpus"))
        for b in data.get("benchmarks", []):
            if b.get("aggregate_name") != "median" or b.get("error_occurred"):
                continue
            # Benchmarks that measure in real time (files, child processes) report it; the
            # others report processor time, which a loaded machine disturbs less.
            uses_real = b["run_name"].endswith("/real_time")
            t = b["real_time"] if uses_real else b["cpu_time"]
            medians[b["run_name"]] = t * NS_PER_UNIT[b.get("time_unit", "ns")]
    return medians, context


def fmt_time(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def processor_model():
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    medians, context = load(sys.argv[1])
    print(f"Processor: {processor_model()} ({context.get('num_cpus')} logical processors)  ")
    print(f"CRC-32 kernel chosen at run time: {context.get('crc32_kernel', 'unknown')}  ")
    print(f"SHA-1 kernel chosen at run time: {context.get('sha1_kernel', 'unknown')}")
    missing = []
    group = None
    for g, op, kez_name, peer, peer_name in PAIRS:
        if kez_name not in medians or peer_name not in medians:
            missing.append(f"{op} / {peer}")
            continue
        if g != group:
            group = g
            print(f"\n### {g}\n")
            print("| Operation | kez median | Peer | Peer median | Ratio (kez / peer) |")
            print("|---|---:|---|---:|---:|")
        k, p = medians[kez_name], medians[peer_name]
        print(f"| {op} | {fmt_time(k)} | {peer} | {fmt_time(p)} | {k / p:.2f} |")
    if missing:
        print("\nRows left out (a program or peer was not built or failed): " +
              "; ".join(missing))
    if len(sys.argv) == 3:
        peaks = {}
        for line in open(sys.argv[2]):
            parts = line.split()
            if len(parts) == 2:
                peaks[parts[0]] = int(parts[1])
        if "baseline" in peaks:
            base = peaks["baseline"]
            print("\n### Peak memory (one process per case, above the baseline of "
                  f"{base / 1024:.1f} MiB)\n")
            print("| Container | kez peak | Peer | Peer peak | Ratio (kez / peer) |")
            print("|---|---:|---|---:|---:|")
            for op, kcase, peer, pcase in PEAKMEM:
                if kcase in peaks and pcase in peaks:
                    k, p = peaks[kcase] - base, peaks[pcase] - base
                    ratio = f"{k / p:.2f}" if p > 0 else "n/a"
                    print(f"| {op} | {k / 1024:.1f} MiB | {peer} | {p / 1024:.1f} MiB | {ratio} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
