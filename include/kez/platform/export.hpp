/// @file
/// Which names the shared library exports. The library is compiled with hidden visibility
/// (-fvisibility=hidden -fvisibility-inlines-hidden), so that it exports its public API and
/// nothing else: each public header wraps its declarations in KEZ_API_BEGIN / KEZ_API_END, and
/// the `detail` parts of a public header in KEZ_DETAIL_BEGIN / KEZ_DETAIL_END. Everything under
/// src/ stays hidden. Clients need none of this; they only include the headers.
#pragma once

/// KEZ_API
/// Exports one declaration (a class, a function or a variable) outside a KEZ_API_BEGIN region.
#define KEZ_API __attribute__((visibility("default")))

/// KEZ_API_BEGIN
/// Exports every declaration up to the matching KEZ_API_END: a public header's namespace
/// content.
#define KEZ_API_BEGIN _Pragma("GCC visibility push(default)")

/// KEZ_API_END
/// Ends a KEZ_API_BEGIN region.
#define KEZ_API_END _Pragma("GCC visibility pop")

/// KEZ_DETAIL_BEGIN
/// Hides every declaration up to the matching KEZ_DETAIL_END, inside a KEZ_API_BEGIN region:
/// a public header's `detail` namespace.
#define KEZ_DETAIL_BEGIN _Pragma("GCC visibility push(hidden)")

/// KEZ_DETAIL_END
/// Ends a KEZ_DETAIL_BEGIN region.
#define KEZ_DETAIL_END _Pragma("GCC visibility pop")
