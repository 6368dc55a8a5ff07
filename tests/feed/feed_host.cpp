// A feed for the browser test: a real board window (offscreen) gives the layout, and the
// state comes from lines on standard input ("clock 9:58", "home.score 12", ...), each
// published at once. Prints "PORT n" when serving.
#include "TestSupport.h"
#include "feed/FeedServer.h"
#include "feed/LayoutJson.h"
#include "scoreboard/BoardPicture.h"
#include "scoreboard/frmScoreboard.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SettingsSandbox sandbox;
    modGlobals::SetDefaults();
    modGlobals::LEDType = qint16(qEnvironmentVariableIntValue("FEED_LED_TYPE"));
    // The board may delete itself (it does on close): held by a guarded pointer.
    QPointer<frmScoreboard> board = new frmScoreboard(new FakeBuzzer());
    board->show();

    FeedServer feed;
    feed.setLayoutJson(LayoutJson(&board->Picture()));
    if (!feed.start(0, false)) {
        std::fprintf(stderr, "%s\n", qPrintable(feed.stateText()));
        return 1;
    }
    FeedState state;
    state.clock = QStringLiteral("10:00");
    state.home = {modGlobals::HomeText, QStringLiteral("0"), QStringLiteral("0")};
    state.guest = {modGlobals::GuestText, QStringLiteral("0"), QStringLiteral("0")};
    state.timeAdvantage.shown = QStringLiteral("0.0");
    state.ledType = modGlobals::LEDType;
    state.colors = {FeedText::Color(modGlobals::FormColor), FeedText::Color(modGlobals::TextColor),
                    FeedText::Color(modGlobals::LEDBackColor),
                    FeedText::Color(modGlobals::LEDScoreColor),
                    FeedText::Color(modGlobals::LEDTimeColor)};
    feed.publish(state);
    std::printf("PORT %d\n", feed.port());
    std::fflush(stdout);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            const QString key = line.section(QLatin1Char(' '), 0, 0);
            const QString value = line.section(QLatin1Char(' '), 1);
            QString *fields[] = {&state.clock,
                                 &state.home.score,
                                 &state.guest.score,
                                 &state.home.match,
                                 &state.guest.match,
                                 &state.period,
                                 &state.matchNumber,
                                 &state.weight,
                                 &state.timeAdvantage.shown,
                                 &state.timeAdvantage.holder};
            const char *names[] = {"clock",
                                   "home.score",
                                   "guest.score",
                                   "home.match",
                                   "guest.match",
                                   "period",
                                   "matchNumber",
                                   "weight",
                                   "timeAdvantage.shown",
                                   "timeAdvantage.holder"};
            for (int i = 0; i < 10; ++i) {
                if (key == QLatin1String(names[i]))
                    *fields[i] = value;
            }
            feed.publish(state);
            std::printf("PUBLISHED %s\n", qPrintable(line));
            std::fflush(stdout);
        }
    });
    const int rc = app.exec();
    delete board.data();
    return rc;
}
