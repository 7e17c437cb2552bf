// The control interface against the window on the virtual unit: a real local-socket client
// sets and reads values, sees the change events, undoes, and meets clear errors for what
// it must not send; the unit and the window follow.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <memory>

#include "session_fixture.h"
#include "ui/remote/control_server.h"

using namespace dvdsp;
using uitest::SessionTest;

namespace {

// One client of the interface: sends a line, waits for the next message.
class Client {
public:
    explicit Client(const QString& path) { socket_.connectToServer(path); }
    bool Connected() { return dvdsp::tk::WaitUntil([&] { return socket_.state() == QLocalSocket::ConnectedState; }, 5000); }
    void SendRaw(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }
    void Send(const QJsonObject& o) { SendRaw(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n'); }
    // The next message; an empty object when none came or the connection closed.
    QJsonObject Next() {
        dvdsp::tk::WaitUntil([&] { return socket_.canReadLine() || socket_.state() != QLocalSocket::ConnectedState; },
                             10000);
        if (!socket_.canReadLine()) return {};
        return QJsonDocument::fromJson(socket_.readLine()).object();
    }
    // The answer to a request (events before it are kept for Event()).
    QJsonObject Call(int id, const QString& method, const QJsonObject& params = {}) {
        Send({{"id", id}, {"method", method}, {"params", params}});
        for (;;) {
            QJsonObject m = Next();
            if (m.isEmpty() || m.contains("id")) return m;
            events_.push_back(m);
        }
    }
    QJsonObject Event() {
        if (!events_.empty()) {
            QJsonObject e = events_.front();
            events_.erase(events_.begin());
            return e;
        }
        return Next();
    }
    bool Closed() {
        return dvdsp::tk::WaitUntil([&] { return socket_.state() == QLocalSocket::UnconnectedState; }, 10000);
    }

private:
    QLocalSocket socket_;
    std::vector<QJsonObject> events_;
};

QJsonObject Hello() { return {{"hello", QJsonObject{{"api", 1}}}}; }

class ControlTest : public SessionTest {
protected:
    void OpenServed() {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("control.sock");
        wnd = std::make_unique<ui::CMainWnd>(backend.get(), [&] {
            auto o = Options(false);
            o.controlSocket = path;
            return o;
        }());
        ASSERT_TRUE(wnd->Create());
        ASSERT_NE(wnd->Control(), nullptr);
        ConnectAndWait();
    }
    int Trim100(int ch) {
        return unit->WithState([&](emu::UnitState& s) { return int(s.scenes[0].out[size_t(ch)].trim100); });
    }
    QTemporaryDir dir;
    QString path;
};

}  // namespace

TEST_F(ControlTest, ASetReachesTheUnitTheWindowAndTheSubscribersAndUndoes) {
    OpenServed();
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0)
        << "the socket is the user's alone";
    Client a(path), b(path);
    ASSERT_TRUE(a.Connected() && b.Connected());
    a.Send(Hello());
    const QJsonObject hello = a.Next()["hello"].toObject();
    EXPECT_EQ(hello["api"].toInt(), 1);
    EXPECT_EQ(hello["model"].toString(), QStringLiteral("VTR50"));
    EXPECT_FALSE(hello["version"].toString().isEmpty());
    b.Send(Hello());
    b.Next();
    EXPECT_EQ(b.Call(1, "subscribe")["result"].toObject()["subscribed"].toBool(), true);

    QJsonObject r = a.Call(7, "set", {{"name", "trim"}, {"indexes", QJsonArray{2}}, {"values", QJsonArray{-6.5}}});
    EXPECT_EQ(r["id"].toInt(), 7);
    EXPECT_EQ(r["result"].toObject()["text"].toString(), QStringLiteral("-6.50")) << r["error"].toObject()["message"].toString().toStdString();
    ASSERT_TRUE(WaitFor([&] { return Trim100(2) == 650; }));
    EXPECT_NE(C("edit_ch_volume_2")->Text().indexOf("-6.5"), -1) << "the window follows at once";

    const QJsonObject event = b.Event();
    EXPECT_EQ(event["event"].toString(), QStringLiteral("change"));
    const QJsonObject item = event["items"].toArray().first().toObject();
    EXPECT_EQ(item["field"].toString(), QStringLiteral("trim"));
    EXPECT_EQ(item["indexes"].toArray().first().toInt(), 2);
    EXPECT_EQ(item["old"].toDouble(), 0.0);
    EXPECT_EQ(item["new"].toDouble(), -6.5);

    // A band: the unit and the model hold it, get reads it back.
    r = a.Call(8, "set", {{"name", "eq"}, {"indexes", QJsonArray{0, 3}}, {"values", QJsonArray{1250, 2.5, -4}}});
    EXPECT_EQ(r["result"].toObject()["text"].toString(), QStringLiteral("1250 2.50 -4.0"));
    ASSERT_TRUE(WaitFor([&] {
        return unit->WithState([](emu::UnitState& s) { return s.scenes[0].out[0].bands[3]; }) == emu::Band{1250, 250, 140};
    }));
    EXPECT_EQ(a.Call(9, "get", {{"name", "eq"}, {"indexes", QJsonArray{0, 3}}})["result"].toObject()["values"].toArray(),
              (QJsonArray{1250, 2.5, -4}));

    // Undo from the interface: one step per set, the window and the unit follow.
    EXPECT_TRUE(a.Call(10, "undo")["result"].toObject()["done"].toBool());
    EXPECT_TRUE(a.Call(11, "undo")["result"].toObject()["done"].toBool());
    ASSERT_TRUE(WaitFor([&] { return Trim100(2) == 0; }));
    EXPECT_EQ(a.Call(12, "get", {{"name", "trim"}, {"indexes", QJsonArray{2}}})["result"].toObject()["text"].toString(),
              QStringLiteral("0.00"));
    EXPECT_EQ(C("edit_ch_volume_2")->Text().indexOf("-6.5"), -1);
    EXPECT_EQ(a.Call(13, "state")["result"].toObject()["canRedo"].toBool(), true);
}

TEST_F(ControlTest, BadMessagesAreAnsweredWithACodeAndChangeNothing) {
    OpenServed();
    Client c(path);
    ASSERT_TRUE(c.Connected());
    EXPECT_EQ(c.Call(1, "get", {{"name", "trim"}, {"indexes", QJsonArray{0}}})["error"].toObject()["code"].toString(),
              QStringLiteral("hello-first"));
    c.Send({{"hello", QJsonObject{{"api", 2}}}});
    EXPECT_EQ(c.Next()["error"].toObject()["code"].toString(), QStringLiteral("api-version"));
    c.Send(Hello());
    c.Next();
    c.SendRaw("{not json\n");
    EXPECT_EQ(c.Next()["error"].toObject()["code"].toString(), QStringLiteral("bad-json"));
    c.SendRaw("[1,2]\n");
    EXPECT_EQ(c.Next()["error"].toObject()["code"].toString(), QStringLiteral("bad-request"));
    const auto code = [&](const QJsonObject& answer) { return answer["error"].toObject()["code"].toString().toStdString(); };
    EXPECT_EQ(code(c.Call(2, "fly")), "unknown-method");
    EXPECT_EQ(code(c.Call(3, "get", {{"name", "nothing"}})), "unknown-value");
    EXPECT_EQ(code(c.Call(4, "set", {{"name", "trim"}, {"indexes", QJsonArray{10}}, {"values", QJsonArray{-1}}})),
              "bad-params") << "channel 10 does not exist";
    EXPECT_EQ(code(c.Call(5, "set", {{"name", "trim"}, {"indexes", QJsonArray{1}}, {"values", QJsonArray{3}}})),
              "bad-params") << "above the trim's range";
    EXPECT_EQ(code(c.Call(6, "set", {{"name", "trim"}, {"indexes", QJsonArray{1}}, {"values", QJsonArray{"x"}}})),
              "bad-params");
    EXPECT_EQ(code(c.Call(7, "set", {{"name", "eq"}, {"indexes", QJsonArray{0}}, {"values", QJsonArray{100, 1, 1}}})),
              "bad-params") << "a band needs two indexes";
    EXPECT_FALSE(wnd->Controller().CanUndo()) << "nothing was changed";
    EXPECT_EQ(Trim100(1), 0);
    // The connection is kept after each of those.
    EXPECT_EQ(c.Call(8, "get", {{"name", "trim"}, {"indexes", QJsonArray{1}}})["result"].toObject()["text"].toString(),
              QStringLiteral("0.00"));

    // An endless line closes that connection, and only that one.
    Client other(path);
    ASSERT_TRUE(other.Connected());
    c.SendRaw(QByteArray(ui::ControlServer::kMaxLine + 10, 'x'));
    EXPECT_EQ(c.Next()["error"].toObject()["code"].toString(), QStringLiteral("too-long"));
    EXPECT_TRUE(c.Closed());
    other.Send(Hello());
    EXPECT_EQ(other.Next()["hello"].toObject()["api"].toInt(), 1);

    // At most kMaxClients at once: the next one is told and closed.
    std::vector<std::unique_ptr<Client>> many;
    while (wnd->Control()->Clients() < ui::ControlServer::kMaxClients) {
        many.push_back(std::make_unique<Client>(path));
        ASSERT_TRUE(many.back()->Connected());
        ASSERT_TRUE(WaitFor([&] { return wnd->Control()->Clients() >= int(many.size()) + 1 ||
                                          wnd->Control()->Clients() == ui::ControlServer::kMaxClients; }));
    }
    Client extra(path);
    EXPECT_EQ(extra.Next()["error"].toObject()["code"].toString(), QStringLiteral("too-many-clients"));
    EXPECT_TRUE(extra.Closed());
    other.Send({{"id", 1}, {"method", "state"}});
    EXPECT_TRUE(other.Next()["result"].toObject()["connected"].toBool()) << "the others go on";
}

#ifdef DVDSP_CLI_PATH
#include <QProcess>
#include <QProcessEnvironment>

namespace {
struct CliRun {
    int code = -1;
    QString out, err;
};
}  // namespace

// dvdsp-cli while the window holds the unit: get and set go through the interface with the
// same output and exit codes; --direct keeps the refusal.
TEST_F(ControlTest, TheCommandLineRunsGetAndSetThroughTheRunningWindow) {
    OpenServed();
    const auto run = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DVDSP_CONTROL_SOCKET", path);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(DVDSP_CLI_PATH), args);
        // The window answers from this event loop: wait for the process without blocking it.
        EXPECT_TRUE(WaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000));
        return CliRun{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };
    CliRun r = run({"set", "trim", "4", "-4.5"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_TRUE(WaitFor([&] { return Trim100(4) == 450; }));
    EXPECT_NE(C("edit_ch_volume_4")->Text().indexOf("-4.5"), -1) << "the window follows";
    EXPECT_TRUE(wnd->Controller().CanUndo()) << "one undo step of the window";
    r = run({"get", "trim", "4"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("-4.50\n"));
    r = run({"set", "trim", "4", "5"});
    EXPECT_EQ(r.code, 1) << "refused before anything is sent, as without the window";
    // Not connected: the window says so, exit 2.
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return Disconnected(); }));
    r = run({"get", "trim", "4"});
    EXPECT_EQ(r.code, 2) << r.err.toStdString();
}
#endif
