#include "server/ResourceServer.h"

#include <fstream>

#include "cache/PathUtils.h"
#include "platform/HttpFileServer.h"
#include "platform/NativePath.h"

namespace {

// The poll thread checks the stop event at least this often.
constexpr int POLL_TIMEOUT_MS = 1000;

// The types the game page relies on; other extensions fall back to the built-in table.
const platform::HttpFileServer::ContentTypes& ResourceContentTypes() {
    static const platform::HttpFileServer::ContentTypes types = {
        {"swf", "application/x-shockwave-flash"},
        {"xml", "text/xml"},
        {"png", "image/png"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"json", "application/json"},
        {"js", "application/javascript"},
        {"css", "text/css"},
        {"html", "text/html"},
        {"htm", "text/html"},
        {"mp3", "audio/mpeg"},
    };
    return types;
}

void AppendLogLine(const std::string& line) {
    std::ofstream log(platform::NativePath(AppPath("log.txt")), std::ios::binary | std::ios::app);
    log << line << "\r\n";
}

}  // namespace

ResourceServer::ResourceServer(CloseRequest requestClose)
    : m_requestClose(std::move(requestClose)), m_manager(std::make_unique<platform::HttpFileServer>()) {}

ResourceServer::~ResourceServer() {
    StopResourceServer();
}

bool ResourceServer::StartResourceServer() {
    if (m_manager->IsListening() || m_pollThread.joinable()) return true;

    m_manager->Initialize();
    if (!m_manager->Listen()) {
        AppendLogLine("mg bind error");
        m_manager->Shutdown();
        if (m_requestClose) m_requestClose();
        return false;
    }

    // A cache that cannot be made still leaves a running server: every request is then a 404.
    std::string cache = ToBackslashes(ProgramDirectory() + "update/");
    if (!DirectoryExists(cache)) CreateDirectoryPath(cache);
    documentRoot = platform::NativePath(cache);

    if (!m_manager->Serve(documentRoot, ResourceContentTypes())) {
        m_manager->Shutdown();
        documentRoot.clear();
        return false;
    }
    port = m_manager->Port();
    // A server stopped before may run again.
    m_stopEvent.Reset();
    m_pollThread = std::thread([this] { PollUntilStopped(); });
    return true;
}

void ResourceServer::StopResourceServer() {
    if (!m_pollThread.joinable() && !m_manager->IsListening()) return;
    m_stopEvent.Set();
    m_manager->Wake();
    if (m_pollThread.joinable()) m_pollThread.join();
    m_manager->Shutdown();
    port = 0;
}

void ResourceServer::PollUntilStopped() {
    while (true) {
        m_manager->Poll(POLL_TIMEOUT_MS);
        if (m_stopEvent.IsSet()) break;
    }
    // The connections' buffers belong to this thread, so they are dropped here, not by Shutdown.
    m_manager->CloseConnections();
}
