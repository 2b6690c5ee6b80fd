// File associations of the desktop, through GIO.
#include <gio/gio.h>

#include <string>

#include "kez/platform/filesystem.hpp"

namespace kez {

String DesktopContentType(StringView FileName) {
  const std::string name = StringToUtf8(FileName);
  if (name.empty() || name.find('\0') != std::string::npos) return {};
  gboolean uncertain = FALSE;
  gchar* type = g_content_type_guess(name.c_str(), nullptr, 0, &uncertain);
  String result;
  // The unknown type is what GIO answers for a name no glob of the MIME database matches.
  if (type != nullptr && !g_content_type_is_unknown(type)) {
    gchar* mime = g_content_type_get_mime_type(type);
    if (mime != nullptr) result = Utf8ToString(mime);
    g_free(mime);
  }
  g_free(type);
  return result;
}

String DesktopOpenCommand(StringView MimeType) {
  const std::string mime = StringToUtf8(MimeType);
  if (mime.empty() || mime.find('\0') != std::string::npos) return {};
  gchar* type = g_content_type_from_mime_type(mime.c_str());
  if (type == nullptr) return {};
  GAppInfo* app = g_app_info_get_default_for_type(type, FALSE);
  g_free(type);
  if (app == nullptr) return {};
  const char* line = g_app_info_get_commandline(app);
  String result = line != nullptr ? Utf8ToString(line) : String();
  g_object_unref(app);
  return result;
}

}  // namespace kez
