#pragma once
// The control interface of the running program: a local socket on which other programs
// of the same user (dvdsp-cli, scripts, measurement programs) read and change the unit's
// values through the window's controller, one JSON message per line (docs/API.md).
// Every change goes the window's own way (value operations, one undo step, the window
// follows at once); subscribers are sent every change of the model, whoever made it.

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <vector>

#include "core/model_items.h"

class QLocalServer;
class QLocalSocket;

namespace dvdsp::core {
class EqualizerManager;
}

namespace dvdsp::ui {

class ControlServer : public QObject {
public:
    static constexpr int kApi = 1;
    static constexpr int kMaxClients = 8;
    static constexpr qsizetype kMaxLine = 64 * 1024;  // a longer message closes the connection

    explicit ControlServer(core::EqualizerManager& controller, QObject* parent = nullptr);
    ~ControlServer() override;
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Serves on the socket at `path`, readable by this user alone; a socket left by a
    // program that is gone is replaced, one that another program serves is not. False with
    // the reason.
    bool Listen(const QString& path, QString* why);
    QString Path() const;
    int Clients() const { return static_cast<int>(clients_.size()); }

private:
    struct Client {
        QLocalSocket* socket;
        QByteArray pending;
        bool greeted = false;
        bool subscribed = false;
    };

    void Accept();
    void Read(QLocalSocket* socket);
    void Drop(QLocalSocket* socket);
    Client* Find(QLocalSocket* socket);
    // The answer to one line, or an empty object when nothing is answered.
    QJsonObject Handle(Client& client, const QByteArray& line);
    QJsonObject Call(const QString& method, const QJsonObject& params, QJsonObject& error);
    QJsonObject Hello() const;
    QJsonObject State() const;
    void Publish(const std::vector<core::ItemChange>& items);
    static void Send(QLocalSocket* socket, const QJsonObject& message);

    core::EqualizerManager& controller_;
    QLocalServer* server_;
    std::vector<Client> clients_;
};

}  // namespace dvdsp::ui
