#include "tests/support/OperatorSimulator.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <json/json.h>

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/Process.h"
#include "tests/support/TempDir.h"

namespace test {

namespace {

constexpr auto START_TIMEOUT = std::chrono::seconds(10);
constexpr int STOP_GRACE_MS = 2000;
constexpr long CONTROL_TIMEOUT_MS = 5000;
constexpr long CONTROL_CONNECT_TIMEOUT_MS = 2000;

// The script needs only the standard library, so any Python 3 does. The system interpreter is
// preferred because a version manager's shim in PATH costs a few hundred milliseconds per start;
// TLV_PYTHON names another interpreter.
void PythonCommand(std::string* program, std::vector<std::string>* arguments) {
    if (const char* python = std::getenv("TLV_PYTHON"); python && *python) {
        *program = python;
    } else {
        std::error_code ignored;
        if (std::filesystem::exists("/usr/bin/python3", ignored)) {
            *program = "/usr/bin/python3";
        } else {
            *program = "/usr/bin/env";
            arguments->push_back("python3");
        }
    }
    arguments->push_back("-I");  // isolated: no PYTHON* variables, no user site directory
}

std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

std::string ToJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

bool ParseJson(const std::string& text, Json::Value* value, std::string* error) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    return reader->parse(text.data(), text.data() + text.size(), value, error);
}

std::string PercentEncode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}

const char* FaultName(OperatorSimulator::Fault fault) {
    switch (fault) {
        case OperatorSimulator::Fault::None: return "none";
        case OperatorSimulator::Fault::NotFound: return "notfound";
        case OperatorSimulator::Fault::ServerError: return "error500";
        case OperatorSimulator::Fault::Empty: return "empty";
        case OperatorSimulator::Fault::CutOff: return "cutoff";
        case OperatorSimulator::Fault::Stall: return "stall";
        case OperatorSimulator::Fault::Slow: return "slow";
    }
    return "none";
}

}  // namespace

OperatorSimulator::OperatorSimulator(const std::filesystem::path& root) {
    static std::once_flag curlInitialised;
    std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    m_portDir = std::make_unique<TempDir>();
    const auto portFile = m_portDir->Path() / "port";

    std::string program;
    std::vector<std::string> arguments;
    PythonCommand(&program, &arguments);
    arguments.insert(arguments.end(), {TLV_OPSIM_SCRIPT, "--root", std::filesystem::absolute(root).string(), "--port-file",
                                       portFile.string(), "--watch-pid",
                                       std::to_string(platform::CurrentProcessId())});
    m_pid = platform::StartProcess(program, arguments, {});
    if (m_pid < 0) throw std::runtime_error("operator simulator: cannot start " + program);

    // The port file appears complete (written aside, then renamed) once the server listens.
    const auto deadline = std::chrono::steady_clock::now() + START_TIMEOUT;
    for (;;) {
        int exitStatus = -1;
        if (platform::TryWaitForProcess(m_pid, &exitStatus)) {
            m_pid = -1;
            throw std::runtime_error("operator simulator: " + program + " " + TLV_OPSIM_SCRIPT +
                                     " ended with status " + std::to_string(exitStatus) +
                                     " before listening (root " + root.string() + ")");
        }
        std::ifstream file(portFile);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        int port = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), port).ec == std::errc() && port > 0) {
            m_port = port;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            Stop();
            throw std::runtime_error("operator simulator: no port after 10 s (root " + root.string() + ")");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

OperatorSimulator::~OperatorSimulator() {
    Stop();
    if (m_control) curl_easy_cleanup(m_control);
}

void OperatorSimulator::Stop() {
    if (m_pid > 0) platform::StopProcess(m_pid, STOP_GRACE_MS);
    m_pid = -1;
}

int OperatorSimulator::Port() const { return m_port; }

std::string OperatorSimulator::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

bool OperatorSimulator::Call(const std::string& method, const std::string& what, const std::string& body,
                             std::string* reply) const {
    std::lock_guard lock(m_controlMutex);
    if (!m_control) m_control = curl_easy_init();
    CURL* curl = m_control;
    if (!curl) {
        ADD_FAILURE() << "operator simulator: no curl handle";
        return false;
    }
    curl_easy_reset(curl);  // the connection stays for the next call
    const std::string url = BaseUrl() + "__sim/" + what;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, CONTROL_TIMEOUT_MS);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, CONTROL_CONNECT_TIMEOUT_MS);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, reply);
    curl_slist* headers = nullptr;
    if (method == "POST") {
        headers = curl_slist_append(headers, "Content-Type: application/json");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    reply->clear();
    CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    if (result != CURLE_OK || status != 200) {
        ADD_FAILURE() << "operator simulator: " << method << " " << url << " failed: "
                      << (result != CURLE_OK ? curl_easy_strerror(result) : "status " + std::to_string(status))
                      << " " << *reply;
        return false;
    }
    return true;
}

void OperatorSimulator::SetFault(const std::string& path, Fault fault) {
    Json::Value body(Json::objectValue);
    body["path"] = path;
    body["fault"] = FaultName(fault);
    std::string reply;
    Call("POST", "fault", ToJson(body), &reply);
}

void OperatorSimulator::SetSlow(const std::string& path, std::size_t bytesPerTick, int tickMs) {
    Json::Value body(Json::objectValue);
    body["path"] = path;
    body["fault"] = FaultName(Fault::Slow);
    body["bytes_per_tick"] = Json::UInt64(bytesPerTick);
    body["tick_ms"] = tickMs;
    std::string reply;
    Call("POST", "fault", ToJson(body), &reply);
}

void OperatorSimulator::ClearFaults() {
    std::string reply;
    Call("POST", "clear", "", &reply);
}

std::vector<OperatorSimulator::Request> OperatorSimulator::Requests() const {
    std::vector<Request> requests;
    std::string reply;
    if (!Call("GET", "requests", "", &reply)) return requests;
    Json::Value list;
    std::string error;
    if (!ParseJson(reply, &list, &error) || !list.isArray()) {
        ADD_FAILURE() << "operator simulator: request log is no JSON list: " << error;
        return requests;
    }
    for (const auto& entry : list) {
        Request request;
        request.method = entry["method"].asString();
        request.path = entry["path"].asString();
        request.query = entry["query"].asString();
        const Json::Value& headers = entry["headers"];
        for (const auto& name : headers.getMemberNames()) request.headers[name] = headers[name].asString();
        requests.push_back(std::move(request));
    }
    return requests;
}

std::size_t OperatorSimulator::RequestCount(const std::string& path) const {
    std::string reply;
    Json::Value value;
    std::string error;
    if (!Call("GET", "count?path=" + PercentEncode(path), "", &reply)) return 0;
    if (!ParseJson(reply, &value, &error) || !value["count"].isIntegral()) {
        ADD_FAILURE() << "operator simulator: bad count reply " << reply;
        return 0;
    }
    return static_cast<std::size_t>(value["count"].asUInt64());
}

int OperatorSimulator::ConnectionsAccepted() const {
    std::string reply;
    Json::Value value;
    std::string error;
    if (!Call("GET", "stats", "", &reply)) return -1;
    if (!ParseJson(reply, &value, &error) || !value["connections"].isIntegral()) {
        ADD_FAILURE() << "operator simulator: bad stats reply " << reply;
        return -1;
    }
    return value["connections"].asInt();
}

}  // namespace test
