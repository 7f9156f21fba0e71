#include "platform/ShellOpen.h"

#include <gio/gio.h>

namespace platform {
namespace {

std::function<bool(const std::string&)>& Opener() {
    static std::function<bool(const std::string&)> opener;
    return opener;
}

bool OpenWithDefaultHandler(const std::string& target) {
    if (target.empty()) return false;
    std::string uri = target;
    // A path (folder or file) becomes a file URI; anything with a scheme is used as written.
    if (!g_uri_peek_scheme(target.c_str())) {
        std::string path = target;
        for (char& c : path) {
            if (c == '\\') c = '/';
        }
        GFile* file = g_file_new_for_path(path.c_str());
        char* fileUri = g_file_get_uri(file);
        uri = fileUri;
        g_free(fileUri);
        g_object_unref(file);
    }
    return g_app_info_launch_default_for_uri(uri.c_str(), nullptr, nullptr);
}

}  // namespace

bool ShellOpen(const std::string& target) {
    if (Opener()) return Opener()(target);
    return OpenWithDefaultHandler(target);
}

ScopedShellOpener::ScopedShellOpener(std::function<bool(const std::string&)> opener) : m_previous(Opener()) {
    Opener() = std::move(opener);
}

ScopedShellOpener::~ScopedShellOpener() { Opener() = std::move(m_previous); }

}  // namespace platform
