// Helpers shared by the tests: a temporary folder that removes itself, and a check of an
// exception's type and message together.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kez/platform/dialogs.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/types.hpp"

namespace kez::test {

// TempDir
// A fresh folder under the system's temporary directory, removed with its contents when
// the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // The full name of a file in the folder, as library text.
  String File(std::string_view Name) const;
  std::string NativeFile(std::string_view Name) const {
    return (FPath / std::string(Name)).string();
  }
  // The names in the folder, sorted (see FolderEntries).
  std::vector<std::string> Entries() const;

 private:
  std::filesystem::path FPath;
};

// FolderEntries: the names in a folder, sorted; shows what a save left beside its target.
std::vector<std::string> FolderEntries(const std::filesystem::path& Folder);

// ReadBytes / WriteBytes: a whole file as bytes.
std::string ReadBytes(const std::string& NativeName);
void WriteBytes(const std::string& NativeName, std::string_view Bytes);

// Printable UTF-8 of library text, for failure messages.
std::string U8(StringView Text);

// ScopedSaveDialogBackend
// Installs a save-dialog backend for the life of the object, so that no test shows a real
// dialog; the backend installed before comes back afterwards.
class ScopedSaveDialogBackend {
 public:
  explicit ScopedSaveDialogBackend(TSaveDialogBackend Backend)
      : FPrevious(SetSaveDialogBackend(std::move(Backend))) {}
  ~ScopedSaveDialogBackend() { SetSaveDialogBackend(std::move(FPrevious)); }
  ScopedSaveDialogBackend(const ScopedSaveDialogBackend&) = delete;
  ScopedSaveDialogBackend& operator=(const ScopedSaveDialogBackend&) = delete;

 private:
  TSaveDialogBackend FPrevious;
};

}  // namespace kez::test

// EXPECT_THROW_MSG(statement, ExceptionType, u"message")
// Expects statement to raise exactly that exception type (or a subclass) with that message.
#define EXPECT_THROW_MSG(statement, ExceptionType, message)                            \
  do {                                                                                 \
    bool kez_thrown_ = false;                                                          \
    try {                                                                              \
      statement;                                                                       \
    } catch (const ExceptionType& kez_e_) {                                            \
      kez_thrown_ = true;                                                              \
      EXPECT_EQ(::kez::test::U8(kez_e_.Message()), ::kez::test::U8(message));          \
    } catch (const std::exception& kez_other_) {                                       \
      ADD_FAILURE() << "unexpected exception: " << kez_other_.what();                  \
      kez_thrown_ = true;                                                              \
    }                                                                                  \
    if (!kez_thrown_) ADD_FAILURE() << "expected " #ExceptionType " from " #statement; \
  } while (false)
