#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef void CURL;

namespace test {

class TempDir;

// The operator simulator (tools/opsim/opsim.py) as a child process: an HTTP server on 127.0.0.1
// serving the files below a root, with faults set per URL path and a log of the requests it got.
// Paths are URL paths without the query, as the client sends them (percent-encoding kept); a fault
// set for the decoded form of a path applies too.
class OperatorSimulator {
public:
    enum class Fault { None, NotFound, ServerError, Empty, CutOff, Stall, Slow };
    struct Request {
        std::string method;
        std::string path;    // without the query
        std::string query;   // without the "?"
        std::map<std::string, std::string> headers;  // names lower-cased
    };

    // Starts the simulator serving the files below `root`; waits (bounded, ~10 s) until it listens.
    // A failure to start throws std::runtime_error saying why, which fails the current test.
    explicit OperatorSimulator(const std::filesystem::path& root);
    ~OperatorSimulator();  // stops the process (SIGTERM, then SIGKILL after a short grace) and reaps it
    OperatorSimulator(const OperatorSimulator&) = delete;
    OperatorSimulator& operator=(const OperatorSimulator&) = delete;

    int Port() const;
    std::string BaseUrl() const;  // "http://127.0.0.1:<port>/"
    // Applies to every later request of `path` until changed; Fault::None clears it.
    void SetFault(const std::string& path, Fault fault);
    // Fault::Slow with its pace: `bytesPerTick` bytes every `tickMs` milliseconds.
    void SetSlow(const std::string& path, std::size_t bytesPerTick, int tickMs);
    void ClearFaults();  // also clears the request log
    // Every request except the control calls, in arrival order.
    std::vector<Request> Requests() const;
    std::size_t RequestCount(const std::string& path) const;  // requests whose path equals `path`
    // TCP connections that carried at least one request (the control calls' own are not counted).
    int ConnectionsAccepted() const;

private:
    // A control call; failures are reported with ADD_FAILURE and give false.
    bool Call(const std::string& method, const std::string& what, const std::string& body,
              std::string* reply) const;
    void Stop();

    std::unique_ptr<TempDir> m_portDir;
    int m_pid { -1 };
    int m_port { 0 };
    mutable std::mutex m_controlMutex;
    mutable CURL* m_control { nullptr };  // the control calls' own handle, kept for its connection
};

}  // namespace test
