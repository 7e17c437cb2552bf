// Commands through the control interface of the running program that holds the unit.
#include <cjson/cJSON.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"
#include "platform/control_socket.h"

namespace dvdsp::cli {

namespace {
std::string Text(cJSON* json) {
    char* text = cJSON_PrintUnformatted(json);
    std::string s = text ? text : "";
    cJSON_free(text);
    return s;
}
}  // namespace

platform::ControlClient* Session::Remote() {
    if (remoteTried_ || options_.direct) return remote_.get();
    remoteTried_ = true;
    // An in-memory virtual unit is this run's own.
    if (options_.virtualUnit && options_.stateFile.empty()) return nullptr;
    const std::string path = platform::ControlSocketPath(options_.stateFile);
    auto client = std::make_unique<platform::ControlClient>();
    if (path.empty() || !client->Connect(path, nullptr)) return nullptr;
    std::string line;
    if (!client->WriteLine(R"({"hello": {"api": 1}})") || !client->ReadLine(line)) return nullptr;
    cJSON* answer = cJSON_Parse(line.c_str());
    const bool greeted = cJSON_GetObjectItemCaseSensitive(answer, "hello") != nullptr;
    if (!greeted) {
        const cJSON* message = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(answer, "error"), "message");
        std::fprintf(stderr, "the dvdsp program holds the unit and refused this program: %s\n",
                     cJSON_IsString(message) ? message->valuestring : line.c_str());
    }
    cJSON_Delete(answer);
    if (greeted) remote_ = std::move(client);
    return remote_.get();
}

cJSON* Session::RemoteCall(const char* method, cJSON* params, int& code) {
    platform::ControlClient* remote = Remote();
    cJSON* request = cJSON_CreateObject();
    const int id = nextId_++;
    cJSON_AddNumberToObject(request, "id", id);
    cJSON_AddStringToObject(request, "method", method);
    if (params) cJSON_AddItemToObject(request, "params", params);
    const std::string text = Text(request);
    cJSON_Delete(request);
    std::string line;
    if (!remote || !remote->WriteLine(text)) {
        std::fprintf(stderr, "the dvdsp program's control interface is gone\n");
        code = kLocked;
        return nullptr;
    }
    // Events of other requests are passed over; the answer carries this id.
    for (;;) {
        if (!remote->ReadLine(line)) {
            std::fprintf(stderr, "the dvdsp program closed its control interface\n");
            code = kLocked;
            return nullptr;
        }
        cJSON* answer = cJSON_Parse(line.c_str());
        const cJSON* got = cJSON_GetObjectItemCaseSensitive(answer, "id");
        if (!cJSON_IsNumber(got) || got->valueint != id) {
            cJSON_Delete(answer);
            continue;
        }
        if (cJSON* result = cJSON_DetachItemFromObjectCaseSensitive(answer, "result")) {
            cJSON_Delete(answer);
            return result;
        }
        const cJSON* error = cJSON_GetObjectItemCaseSensitive(answer, "error");
        const cJSON* c = cJSON_GetObjectItemCaseSensitive(error, "code");
        const cJSON* m = cJSON_GetObjectItemCaseSensitive(error, "message");
        const std::string errorCode = cJSON_IsString(c) ? c->valuestring : "";
        std::fprintf(stderr, "%s%s\n", errorCode == "no-unit" ? "dvdsp: " : "",
                     cJSON_IsString(m) ? m->valuestring : line.c_str());
        code = errorCode == "no-unit"                                                     ? kNoUnit
               : errorCode == "bad-params" || errorCode == "unknown-value" ? kUsage
                                                                                          : kUnitError;
        cJSON_Delete(answer);
        return nullptr;
    }
}

}  // namespace dvdsp::cli
