/// @file
/// KEZ_htmlsupport: the HTML template producer, URL coding and entity helpers.
///
/// @code
///   kez::THtmlProducer producer(nullptr);
///   producer.SetTemplate(u"<p>Today: <#date format=iso></p>");
///   producer.SetOnHTMLTag([](kez::TObject*, const kez::String& TagName, const kez::String& Params,
///                            kez::String& Replacement) {
///     if (TagName == u"date") Replacement = u"2026-12-09";   // Params is u"format=iso"
///   });
///   producer.Convert();                               // u"<p>Today: 2026-12-09</p>"
///   kez::URLEncode(u"a b/c");                         // u"a%20b%2Fc"
///   kez::MakeStringHTMLCompatible(u"<café>");         // u"&lt;caf&eacute;&gt;"
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/htmlsupport/entities.hpp"
#include "kez/htmlsupport/page.hpp"
#include "kez/htmlsupport/producer.hpp"
#include "kez/htmlsupport/url.hpp"
#include "kez/kezbase.hpp"
