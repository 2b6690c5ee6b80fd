/// @file
/// The runtime's exception classes. Every error the library raises derives from Exception,
/// which carries one message text; what() gives it as UTF-8.
///
///   try { ... } catch (const kez::Exception& e) { std::puts(e.what()); }
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <exception>
#include <string>

#include "kez/platform/types.hpp"

namespace kez {

/// Exception
/// Base of all exceptions of the library and its platform layer.
class Exception : public std::exception {
 public:
  explicit Exception(String Message);
  const String& Message() const { return FMessage; }
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  String FMessage;
  std::string FUtf8;
};

/// EConvertError: a text that is not a number, an Assign between unrelated classes.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

/// EInOutError: a failed operation of the text-file layer; ErrorCode() tells which
/// (see textfile.hpp for the codes).
class EInOutError : public Exception {
 public:
  EInOutError(String Message, int ErrorCode)
      : Exception(std::move(Message)), FErrorCode(ErrorCode) {}
  int ErrorCode() const { return FErrorCode; }

 private:
  int FErrorCode;
};

/// Stream errors: EReadError when fewer bytes than asked can be read, EWriteError when
/// fewer can be written, EFOpenError / EFCreateError when a file stream cannot be opened.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

/// EIntOverflow: an integer result that does not fit its type.
class EIntOverflow : public Exception {
 public:
  using Exception::Exception;
};

/// EOutOfMemory: what a failed allocation (std::bad_alloc) becomes where the library
/// reports it as the runtime does.
class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace kez
