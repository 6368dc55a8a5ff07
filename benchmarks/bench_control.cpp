// A device's command to the changed digits on the board: the real board window (offscreen),
// its feed on 127.0.0.1 with control on, one device let in. Another thread sends typed home
// scores at 15 a second (under the device's 20); each is timed from its send to the first
// paint of the home score's digits after it. Prints the median and the 99th percentile.
// Usage: bench_control [COUNT] (default 300).
#include "feed/MatchFeed.h"
#include "led/LedGroup.h"
#include "led/VaviZAV.h"
#include "mat/Mat.h"
#include "scoreboard/BoardPicture.h"
#include "scoreboard/frmScoreboard.h"
#include "settings/modGlobals.h"

#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

qint64 NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The first paint of the watched digits after each send.
class PaintClock : public QObject {
public:
    std::vector<qint64> paints;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            paints.push_back(NowNs());
        return false;
    }
};

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, atoi(argv[1])) : 300;

    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    modGlobals::FeedEnabled = modGlobals::FeedControl = true;
    modGlobals::FeedPort = port;
    auto mat = new Mat;
    // The board takes its mat along when it goes; both live until the process ends.
    auto &board = *new frmScoreboard(mat);
    board.resize(1280, 720);
    board.show();
    MatchFeed &feed = mat->Feed(&board.Picture());
    feed.Configure();
    int status = 0;
    QString why;
    const auto asked =
        feed.Devices().Ask(QStringLiteral("Bench"), QStringLiteral("b"), &status, &why);
    QByteArray token;
    if (!asked || !feed.Devices().Allow(asked->code) ||
        feed.Devices().Collect(asked->id, &token) != 200) {
        std::fprintf(stderr, "could not pair: %s\n", qPrintable(why));
        return 1;
    }
    PaintClock paints;
    for (VaviZAV *digit : board.Field(QStringLiteral("pledHomeScore")).digits())
        digit->installEventFilter(&paints);

    std::vector<qint64> sent(size_t(count), 0);
    std::atomic<int> failed = 0;
    std::unique_ptr<QThread> sender(QThread::create([&] {
        for (int i = 0; i < count; ++i) {
            // With an id, as a phone sends it: the device's answers are written each time.
            const QByteArray body = "{\"id\":\"" + QByteArray::number(i) +
                                    R"(","command":"set","field":"homeScore","value":")" +
                                    QByteArray::number(i % 2 ? 111 : 188) + "\"}";
            QTcpSocket s;
            s.connectToHost(QStringLiteral("127.0.0.1"), port);
            if (!s.waitForConnected(5000)) {
                ++failed;
                continue;
            }
            sent[size_t(i)] = NowNs();
            s.write("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                    "\r\nContent-Type: application/json\r\nAuthorization: Bearer " + token +
                    "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            QByteArray got;
            while (s.waitForReadyRead(5000))
                got += s.readAll();
            if (!got.startsWith("HTTP/1.1 200"))
                ++failed;
            QThread::msleep(1000 / 15);
        }
    }));
    QObject::connect(sender.get(), &QThread::finished, &app, &QCoreApplication::quit);
    sender->start();
    app.exec();
    sender->wait();

    std::vector<double> ms;
    for (const qint64 at : sent) {
        const auto paint = std::ranges::upper_bound(paints.paints, at);
        if (at && paint != paints.paints.end())
            ms.push_back((*paint - at) / 1e6);
    }
    std::ranges::sort(ms);
    if (ms.empty())
        return 1;
    std::printf("command to changed digits, %zu commands (%d failed): median %.2f ms, "
                "99th percentile %.2f ms, worst %.2f ms\n",
                ms.size(), failed.load(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
    return failed ? 1 : 0;
}
