#include "ui/remote/control_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>

#include "base/identity.h"
#include "base/log.h"
#include "core/equalizer_manager.h"
#include "core/value_table.h"
#include "ui/remote/item_json.h"

namespace dvdsp::ui {
namespace {

QJsonObject Error(const char* code, const QString& message) {
    return QJsonObject{{"code", code}, {"message", message}};
}

// The numbers of a value's text ("1000 1.00 0.0").
QJsonArray Numbers(const std::string& text) {
    QJsonArray out;
    for (const QString& word : QString::fromStdString(text).split(' ', Qt::SkipEmptyParts)) out.append(word.toDouble());
    return out;
}

// The indexes of a request: numbers, or "hp" and "lp" for a filter's side.
bool Indexes(const QJsonValue& v, core::ValueDef::Args& out) {
    if (v.isUndefined()) return true;
    if (!v.isArray()) return false;
    for (const QJsonValue& x : v.toArray()) {
        if (x.isDouble()) out.push_back(x.toDouble());
        else if (x.toString() == QLatin1String("hp")) out.push_back(0);
        else if (x.toString() == QLatin1String("lp")) out.push_back(1);
        else return false;
    }
    return true;
}

bool Numbers(const QJsonValue& v, core::ValueDef::Args& out) {
    if (!v.isArray()) return false;
    for (const QJsonValue& x : v.toArray()) {
        if (!x.isDouble()) return false;
        out.push_back(x.toDouble());
    }
    return true;
}

}  // namespace

ControlServer::ControlServer(core::EqualizerManager& controller, QObject* parent)
    : QObject(parent), controller_(controller), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &ControlServer::Accept);
    controller_.Editor().SetItemObserver([this](const std::vector<core::ItemChange>& items) { Publish(items); });
}

ControlServer::~ControlServer() {
    controller_.Editor().SetItemObserver(nullptr);
    for (Client& c : clients_) c.socket->disconnect(this);
}

bool ControlServer::Listen(const QString& path, QString* why) {
    {
        // A program that serves there already keeps its socket; one that is gone left a
        // file nobody answers on.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(200)) {
            if (why) *why = QStringLiteral("another program serves %1").arg(path);
            return false;
        }
    }
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        if (why) *why = server_->errorString();
        return false;
    }
    LogWriteNarrow("control interface on %s\n", path.toLocal8Bit().constData());
    return true;
}

QString ControlServer::Path() const { return server_->fullServerName(); }

void ControlServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (static_cast<int>(clients_.size()) >= kMaxClients) {
            Send(socket, {{"error", Error("too-many-clients", QStringLiteral("at most %1 clients at once").arg(kMaxClients))}});
            socket->disconnectFromServer();
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        clients_.push_back({socket, {}, false, false});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
    }
}

ControlServer::Client* ControlServer::Find(QLocalSocket* socket) {
    auto it = std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.socket == socket; });
    return it == clients_.end() ? nullptr : &*it;
}

void ControlServer::Drop(QLocalSocket* socket) {
    std::erase_if(clients_, [&](const Client& c) { return c.socket == socket; });
    socket->deleteLater();
}

void ControlServer::Read(QLocalSocket* socket) {
    // Each complete line is answered before the next is read, so a fast client waits for
    // the unit's queue and nothing it sent is dropped.
    while (Client* client = Find(socket)) {
        client->pending += socket->read(kMaxLine + 1 - client->pending.size());
        const qsizetype end = client->pending.indexOf('\n');
        if (end < 0) {
            if (client->pending.size() > kMaxLine) {
                Send(socket, {{"error", Error("too-long", QStringLiteral("a message is at most %1 bytes").arg(kMaxLine))}});
                client->pending.clear();
                socket->disconnect(this);
                std::erase_if(clients_, [&](const Client& c) { return c.socket == socket; });
                socket->disconnectFromServer();
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                return;
            }
            if (socket->bytesAvailable() == 0) return;
            continue;
        }
        const QByteArray line = client->pending.left(end);
        client->pending.remove(0, end + 1);
        const QJsonObject answer = Handle(*client, line);
        if (!answer.isEmpty()) Send(socket, answer);
    }
}

QJsonObject ControlServer::Handle(Client& client, const QByteArray& line) {
    if (line.trimmed().isEmpty()) return {};
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parse);
    if (parse.error != QJsonParseError::NoError)
        return {{"error", Error("bad-json", parse.errorString())}};
    if (!doc.isObject()) return {{"error", Error("bad-request", QStringLiteral("a message is a JSON object"))}};
    const QJsonObject msg = doc.object();
    QJsonObject answer;
    if (msg.contains("id")) answer["id"] = msg["id"];
    if (msg.contains("hello")) {
        const QJsonValue api = msg["hello"].toObject()["api"];
        if (!api.isDouble() || api.toDouble() != kApi) {
            answer["error"] = Error("api-version", QStringLiteral("this program speaks api %1").arg(kApi));
            return answer;
        }
        client.greeted = true;
        answer["hello"] = Hello();
        return answer;
    }
    if (!client.greeted) {
        answer["error"] = Error("hello-first", QStringLiteral("the first message is {\"hello\": {\"api\": %1}}").arg(kApi));
        return answer;
    }
    if (!msg["method"].isString()) {
        answer["error"] = Error("bad-request", QStringLiteral("a request has a method"));
        return answer;
    }
    const QString method = msg["method"].toString();
    QJsonObject error;
    QJsonObject result;
    if (method == QLatin1String("subscribe") || method == QLatin1String("unsubscribe")) {
        client.subscribed = method == QLatin1String("subscribe");
        result["subscribed"] = client.subscribed;
    } else {
        result = Call(method, msg["params"].toObject(), error);
    }
    if (!error.isEmpty()) answer["error"] = error;
    else answer["result"] = result;
    return answer;
}

QJsonObject ControlServer::Call(const QString& method, const QJsonObject& params, QJsonObject& error) {
    if (method == QLatin1String("state")) return State();
    if (method == QLatin1String("values")) {
        QJsonArray list;
        for (const core::ValueDef& d : core::ValueDefs())
            list.append(QJsonObject{{"name", d.name}, {"indexes", d.indexes}, {"values", d.values}, {"help", d.help}});
        return {{"values", list}};
    }
    const bool get = method == QLatin1String("get"), set = method == QLatin1String("set");
    const bool undo = method == QLatin1String("undo"), redo = method == QLatin1String("redo");
    const bool ab = method == QLatin1String("ab-switch"), store = method == QLatin1String("ab-store");
    if (!get && !set && !undo && !redo && !ab && !store) {
        error = Error("unknown-method", QStringLiteral("unknown method '%1'").arg(method));
        return {};
    }
    if (!controller_.IsConnected()) {
        error = Error("no-unit", QStringLiteral("the program is not connected to a unit"));
        return {};
    }
    if (undo || redo) {
        const bool done = undo ? controller_.Undo() : controller_.Redo();
        return {{"done", done}, {"undo", QString::fromStdString(controller_.UndoName())},
                {"redo", QString::fromStdString(controller_.RedoName())}};
    }
    if (ab) return {{"done", controller_.SwitchAb()}};
    if (store) {
        const QJsonValue slot = params["slot"];
        if (!slot.isDouble() || (slot.toDouble() != 0 && slot.toDouble() != 1)) {
            error = Error("bad-params", QStringLiteral("slot is 0 (A) or 1 (B)"));
            return {};
        }
        controller_.StoreAb(slot.toInt());
        return {{"stored", slot.toInt()}};
    }
    const std::string name = params["name"].toString().toStdString();
    const core::ValueDef* def = core::FindValueDef(name);
    if (!def) {
        error = Error("unknown-value", QStringLiteral("unknown value '%1'").arg(QString::fromStdString(name)));
        return {};
    }
    core::ValueDef::Args idx, val;
    if (!Indexes(params["indexes"], idx) || (set && !Numbers(params["values"], val))) {
        error = Error("bad-params", QStringLiteral("indexes and values are arrays of numbers"));
        return {};
    }
    const std::string problem = core::ValueArgsProblem(*def, idx, val, set);
    if (!problem.empty()) {
        error = Error("bad-params", QString::fromStdString(problem));
        return {};
    }
    if (set) controller_.SetValue(*def, idx, val);  // checked above: nothing half done
    const std::string text = def->read(controller_.Model().current, idx);
    QJsonArray indexes;
    for (double v : idx) indexes.append(v);
    return {{"name", def->name}, {"indexes", indexes}, {"values", Numbers(text)}, {"text", QString::fromStdString(text)}};
}

QJsonObject ControlServer::Hello() const {
    return {{"api", kApi},
            {"program", "dvdsp"},
            {"version", kSoftwareVersion},
            {"model", kModelName},
            {"connected", controller_.IsConnected()}};
}

QJsonObject ControlServer::State() const {
    return {{"connected", controller_.IsConnected()},
            {"model", controller_.Info().model},
            {"mainVersion", controller_.Info().mainVersion},
            {"slaveVersion", controller_.Info().slaveVersion},
            {"channels", controller_.Model().current.channelCount},
            {"canUndo", controller_.CanUndo()},
            {"canRedo", controller_.CanRedo()},
            {"undo", QString::fromStdString(controller_.UndoName())},
            {"redo", QString::fromStdString(controller_.RedoName())}};
}

void ControlServer::Publish(const std::vector<core::ItemChange>& items) {
    if (std::none_of(clients_.begin(), clients_.end(), [](const Client& c) { return c.subscribed; })) return;
    QJsonArray list;
    for (const core::ItemChange& item : items) list.append(ItemChangeToJson(item));
    const QJsonObject event{{"event", "change"}, {"items", list}};
    for (const Client& c : clients_)
        if (c.subscribed) Send(c.socket, event);
}

void ControlServer::Send(QLocalSocket* socket, const QJsonObject& message) {
    socket->write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n');
}

}  // namespace dvdsp::ui
