/// @file
/// The runtime's exception classes. Every error the library raises derives from Exception,
/// which carries one message text; what() gives it as UTF-8.
///
/// @code
///   try { ... } catch (const kez::Exception& e) { std::puts(e.what()); }
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <exception>
#include <string>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// Exception
/// Base of all exceptions of the library and its platform layer.
class Exception : public std::exception {
 public:
  /// The exception with its message; what() gives the message as UTF-8.
  explicit Exception(String Message);
  /// The message as the library holds it (UTF-16).
  const String& Message() const { return FMessage; }
  /// The message as UTF-8, for std::exception's handlers.
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  String FMessage;
  std::string FUtf8;
};

/// EConvertError: a text that is not a number, an Assign between unrelated classes.
class EConvertError : public Exception {
 public:
  /// The error with its message.
  using Exception::Exception;
};

/// EInOutError: a failed operation of the text-file layer; ErrorCode() tells which
/// (see textfile.hpp for the codes).
class EInOutError : public Exception {
 public:
  /// The error with its message and the text-file layer's error code.
  EInOutError(String Message, int ErrorCode)
      : Exception(std::move(Message)), FErrorCode(ErrorCode) {}
  /// The text-file layer's error code of the failed operation.
  int ErrorCode() const { return FErrorCode; }

 private:
  int FErrorCode;
};

/// Stream errors: EReadError when fewer bytes than asked can be read, EWriteError when
/// fewer can be written, EFOpenError / EFCreateError when a file stream cannot be opened.
class EStreamError : public Exception {
 public:
  /// The error with its message.
  using Exception::Exception;
};
/// EReadError: fewer bytes could be read than were asked for.
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
/// EWriteError: fewer bytes could be written than were given.
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
/// EFOpenError: a file stream could not open its file for reading or updating.
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
/// EFCreateError: a file stream could not create its file.
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

/// EIntOverflow: an integer result that does not fit its type.
class EIntOverflow : public Exception {
 public:
  /// The error with its message.
  using Exception::Exception;
};

/// EOutOfMemory: what a failed allocation (std::bad_alloc) becomes where the library
/// reports it as the runtime does.
class EOutOfMemory : public Exception {
 public:
  /// The error with its message.
  using Exception::Exception;
};

KEZ_API_END
}  // namespace kez
