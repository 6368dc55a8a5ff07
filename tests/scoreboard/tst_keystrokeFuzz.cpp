// Long random sessions at the keyboard, from fixed seeds: whatever the operator hits,
// every field shows a whole number within its limits or nothing, the match clock stays
// between 0 and 59:59, a time advantage falls only on a reset or the next bout, and nothing
// crashes.
#include "BoardFixture.h"
#include "Dialogs.h"
#include "TestMain.h"
#include "TimeReading.h"
#include "startup/frmHelp.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {
struct Limit {
    const char *field;
    int high;
};
constexpr Limit kLimits[] = {{"pledHomeScore", 199}, {"pledGuestScore", 199}, {"pledHomeMatch", 99},
                             {"pledGuestMatch", 99}, {"pledMatch", 999},      {"pledPeriod", 9},
                             {"pledWeight", 999}};
const char *const kContainers[] = {"picHomeScore", "picGuestScore", "picClock",
                                   "picMatch",     "picPeriod",     "picWeight",
                                   "picHomeMatch", "picTimeAd",     "picGuestMatch"};

} // namespace

class tst_keystrokeFuzz : public QObject {
    Q_OBJECT

    // One step of the operator; its letter for a reproducing sequence.
    QString step(BoardFixture &f, QRandomGenerator &rng) {
        const int roll = int(rng.bounded(1000));
        if (roll < 420) {
            const char c = "0123456789"[rng.bounded(10)];
            f.type(QString(QLatin1Char(c)));
            return QString(QLatin1Char(c));
        }
        static const QString punctuation = QStringLiteral(".+- \r");
        if (roll < 620) {
            const QChar c = punctuation[int(rng.bounded(punctuation.size()))];
            f.type(c);
            return c == QLatin1Char('\r') ? QStringLiteral("\\r") : QString(c);
        }
        static const QString commands = QStringLiteral("srbcC");
        if (roll < 760) {
            const QChar c = commands[int(rng.bounded(commands.size()))];
            f.type(c);
            return c;
        }
        if (roll < 860) {
            static const Qt::Key arrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
            static const char *names[] = {"<L>", "<R>", "<U>", "<D>"};
            const int i = int(rng.bounded(4));
            f.key(arrows[i]);
            return QLatin1String(names[i]);
        }
        if (roll < 930) {
            const int i = int(rng.bounded(9));
            f.clickField(kContainers[i]);
            return QStringLiteral("<click %1>").arg(QLatin1String(kContainers[i]));
        }
        if (roll < 990) {
            const QChar c = QLatin1Char(char('a' + rng.bounded(26)));
            // The windows' keys below, rarely.
            if (c == QLatin1Char('o') || c == QLatin1Char('h') || c == QLatin1Char('e') ||
                c == QLatin1Char('m') || c == QLatin1Char('u'))
                return QString();
            f.type(c);
            return c;
        }
        if (roll < 995) {
            // The options, or the bout result (recorded half the time).
            const QString key = rng.bounded(2) ? QStringLiteral("o") : QStringLiteral("e");
            const bool record = key == QLatin1String("e") && rng.bounded(2);
            whileModal([record](QDialog *d) {
                if (record)
                    d->accept();
            });
            f.type(key);
            return QTest::qWaitFor([] { return !QApplication::activeModalWidget(); })
                       ? key
                       : QStringLiteral("<%1 dialog stuck>").arg(key);
        }
        f.type(rng.bounded(2) ? QStringLiteral("h") : QStringLiteral("m"));
        f.board->activateWindow();
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == f.board; })
                   ? QStringLiteral("h")
                   : QStringLiteral("<board not active again>");
    }

    // Empty when all is well, else what is wrong.
    QString check(BoardFixture &f, TimeValue &ad1, TimeValue &ad2, bool reset) {
        for (const Limit &l : kLimits) {
            const QString shown = f.number(l.field);
            if (shown.trimmed().isEmpty())
                continue;
            static const QRegularExpression number(QStringLiteral("^ *(\\d+)$"));
            const auto m = number.match(shown);
            if (!m.hasMatch() || m.captured(1).toInt() > l.high ||
                (m.captured(1).size() > 1 && m.captured(1).startsWith(QLatin1Char('0'))))
                return QStringLiteral("%1 shows \"%2\"").arg(QLatin1String(l.field), shown);
        }
        const double clock = shownSeconds(f.clockText());
        if (clock < 0 || clock > 3599)
            return QStringLiteral("the match clock shows \"%1\"").arg(f.clockText());
        if (shownSeconds(f.timeAdText()) < 0)
            return QStringLiteral("the time advantage shows \"%1\"").arg(f.timeAdText());
        const TimeValue now1 = f.board->match().ClockValue(1),
                        now2 = f.board->match().ClockValue(2);
        if (!reset && (now1 < ad1 || now2 < ad2))
            return QStringLiteral("a time advantage fell without a reset: %1 -> %2, %3 -> %4")
                .arg(ad1)
                .arg(now1)
                .arg(ad2)
                .arg(now2);
        ad1 = now1;
        ad2 = now2;
        return {};
    }

private slots:
    void cleanup() { frmHelp::DestroyInstance(); }

    void session_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("keys");
        for (quint32 seed = 1; seed <= 25; ++seed)
            QTest::addRow("seed %u", seed) << seed << 4000;
    }
    void session() {
        QFETCH(quint32, seed);
        QFETCH(int, keys);
        QRandomGenerator rng(seed);
        BoardFixture f;
        QStringList sequence;
        TimeValue ad1 = 0, ad2 = 0;
        int clockChanges = 0, fieldChanges = 0;
        QString lastClock = f.clockText(), lastFields;
        for (int i = 0; i < keys; ++i) {
            const QString key = step(f, rng);
            sequence << key;
            if (key.startsWith(QLatin1String("<options")) ||
                key.startsWith(QLatin1String("<board")))
                QFAIL(qPrintable(QStringLiteral("seed %1: %2\nkeys: %3")
                                     .arg(seed)
                                     .arg(key, sequence.join(QString()))));
            // Time passes between keys; a running clock ticks.
            f.clock.advance(rng.bounded(400));
            if (f.board->tmrClock1().isActive())
                f.board->match().UpdateClocks();
            if (rng.bounded(50) == 0)
                f.buzzer->finishPlaying();
            if (i % 200 == 0)
                QCoreApplication::processEvents();
            // Reset, and the next bout, start both time advantages from zero.
            const QString wrong =
                check(f, ad1, ad2, key == QLatin1String("r") || key == QLatin1String("n"));
            QString fields;
            for (const Limit &l : kLimits)
                fields += f.number(l.field) + QLatin1Char('|');
            clockChanges += f.clockText() != lastClock ? 1 : 0;
            fieldChanges += fields != lastFields ? 1 : 0;
            lastClock = f.clockText();
            lastFields = fields;
            if (!wrong.isEmpty())
                QFAIL(qPrintable(QStringLiteral("seed %1, after key %2: %3\nkeys: %4")
                                     .arg(seed)
                                     .arg(i + 1)
                                     .arg(wrong, sequence.join(QString()))));
        }
        // A session where the keys changed nothing would prove nothing.
        QVERIFY2(clockChanges > keys / 100 && fieldChanges > keys / 100,
                 qPrintable(QStringLiteral("%1 clock and %2 field changes")
                                .arg(clockChanges)
                                .arg(fieldChanges)));
        qInfo("seed %u: %d keys, the clock changed %d times, the fields %d; time advantages %lld, "
              "%lld",
              seed, keys, clockChanges, fieldChanges, qlonglong(ad1 / kTenth),
              qlonglong(ad2 / kTenth));
    }
};

DAREZEZ_TEST(tst_keystrokeFuzz)
#include "tst_keystrokeFuzz.moc"
