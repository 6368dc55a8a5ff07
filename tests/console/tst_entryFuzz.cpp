// The entry readers fed whatever a keyboard, a paste or a broken driver could send:
// long strings, non-ASCII digits, control characters. Only the documented results.
#include "ConsoleFixture.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "clock/modCount.h"
#include "console/modShowDigits.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {
// The typed-time grammar as the operator is told it: ASCII digits with at most one point,
// minutes before it and seconds after it, either side possibly empty.
const QRegularExpression kGrammar(QRegularExpression::anchoredPattern(
    QStringLiteral("(?<minutes>[0-9]*)(?:\\.(?<seconds>[0-9]*))?")));

// Minutes and seconds as the match clock shows them after Enter: " 7:05" or "59.0 ".
// {-1, -1} when it shows anything else.
QPair<int, int> shownMinutesSeconds(const QString &picture) {
    static const QRegularExpression minutes(QStringLiteral("^ ?(\\d{1,2}):(\\d\\d)$"));
    static const QRegularExpression seconds(QStringLiteral("^ ?(\\d{1,2})\\.0 $"));
    if (const auto m = minutes.match(picture); m.hasMatch())
        return {m.captured(1).toInt(), m.captured(2).toInt()};
    if (const auto m = seconds.match(picture); m.hasMatch())
        return {0, m.captured(1).toInt()};
    return {-1, -1};
}

// Types `text` and Enter into the match clock; what the clock shows then.
QString typedIntoTheClock(const QString &text) {
    Match m;
    KeyConsole k(m);
    m.SetClock(fromSeconds(600), 0, 0);
    m.ShowTime(m.ClockValue(0), Match::pledClock);
    for (QChar c : text + QLatin1Char('\r'))
        k.keyPress(Match::pledClock, c.unicode());
    return timeShown(m.Shown(Match::pledClock), true);
}

// An entry as the console makes it a command: the number it gives, when it gives one.
void enter(Match &m, const QString &entry, qint16 high) {
    const std::optional<qint32> value =
        modShowDigits::EntryResult(m.Value(Match::pledHomeScore), entry, -1, high);
    MatchCommand c = command(MatchCommand::Kind::SetNumber);
    c.field = Match::pledHomeScore;
    c.value = value.value_or(0);
    if (value)
        m.apply(c);
}

QString randomText(QRandomGenerator &rng, int maxLength) {
    // Arabic-Indic and full-width digits, superscripts, an emoji, NUL, a lone surrogate.
    static const QString pool =
        QStringLiteral("0123456789....++--  cC\r\n\t\x01xyz\u0663\uff13\u00b2\u2155"
                       "\U0001F600\uFFFF") +
        QChar(0) + QChar(0xD800);
    QString s;
    const int n = int(rng.bounded(maxLength + 1));
    for (int i = 0; i < n; ++i) {
        // Mostly digits and points, so that some entries are good ones.
        s += rng.bounded(3) ? QChar(QLatin1Char("0123456789."[rng.bounded(11)]))
                            : pool[int(rng.bounded(pool.size()))];
    }
    return s;
}

// A time near the limits (parts up to 69) with leading zeros on either side, 1 to 11
// characters long: good entries and entries refused only for their length or a part.
QString paddedTime(QRandomGenerator &rng) {
    QString minutes = QString::number(rng.bounded(70)), seconds = QString::number(rng.bounded(70));
    const int length = 1 + int(rng.bounded(11));
    while (minutes.size() + 1 + seconds.size() < length)
        (rng.bounded(2) ? minutes : seconds).prepend(QLatin1Char('0'));
    return minutes + QLatin1Char('.') + seconds;
}
} // namespace

class tst_entryFuzz : public QObject {
    Q_OBJECT

private slots:
    void init() { modGlobals::SetDefaults(); }

    // Every time from 0:00 to 59:59, in the spellings an operator uses: the clock shows
    // what was typed, and a later time never reads as fewer seconds.
    void everyTimeRoundTripsThroughTheClock() {
        qint32 previous = -1;
        for (int m = 0; m <= 59; ++m)
            for (int sec = 0; sec <= 59; ++sec) {
                QStringList spellings{
                    QStringLiteral("%1.%2").arg(m).arg(sec),
                    QStringLiteral("%1.%2").arg(m).arg(sec, 2, 10, QLatin1Char('0')),
                    QStringLiteral("%1.%2")
                        .arg(m, 2, 10, QLatin1Char('0'))
                        .arg(sec, 3, 10, QLatin1Char('0'))};
                if (sec == 0)
                    spellings << QString::number(m) << QStringLiteral("%1.").arg(m);
                if (m == 0)
                    spellings << QStringLiteral(".%1").arg(sec);
                const qint32 seconds = modCount::TimeToSeconds(spellings.first());
                QVERIFY2(seconds > previous, qPrintable(spellings.first()));
                previous = seconds;
                for (const QString &typed : spellings) {
                    QCOMPARE(modCount::TimeToSeconds(typed), seconds);
                    const QString shown = typedIntoTheClock(typed);
                    QVERIFY2(shownMinutesSeconds(shown) == qMakePair(m, sec),
                             qPrintable(QStringLiteral("\"%1\" shows \"%2\"").arg(typed, shown)));
                }
            }
        QCOMPARE(previous, 3599); // 3600 rising values from 0:00: each second once
    }

    // Whatever is typed: accepted exactly when it follows the grammar in at most eight
    // characters with both parts at most 59, then shown as typed; one beep per acceptance.
    void timeToSeconds() {
        BeepCounter beeps;
        QRandomGenerator rng(20261207);
        int good = 0, tooLong = 0, notInGrammar = 0, above59 = 0;
        for (int i = 0; i < 200000; ++i) {
            const QString s =
                i % 4 == 0 ? paddedTime(rng) : randomText(rng, i % 1000 == 1 ? 5000 : 10);
            const qint32 got = modCount::TimeToSeconds(s);
            const auto m = kGrammar.match(s);
            const bool inRange = m.hasMatch() && m.captured(u"minutes").toInt() <= 59 &&
                                 m.captured(u"seconds").toInt() <= 59;
            tooLong += s.size() > 8 ? 1 : 0;
            notInGrammar += s.size() <= 8 && !m.hasMatch() ? 1 : 0;
            above59 += s.size() <= 8 && m.hasMatch() && !inRange ? 1 : 0;
            const QString what = QStringLiteral("\"%1\" gave %2").arg(s.left(40)).arg(got);
            QVERIFY2((got >= 0) == (s.size() <= 8 && inRange), qPrintable(what));
            QVERIFY2(got >= -1 && got <= 3599, qPrintable(what));
            if (got < 0)
                continue;
            ++good;
            const int beepsBefore = beeps.count;
            const QString shown = typedIntoTheClock(s);
            QVERIFY2(beeps.count == beepsBefore + 1, qPrintable(what));
            QVERIFY2(shownMinutesSeconds(shown) ==
                         qMakePair(m.captured(u"minutes").toInt(), m.captured(u"seconds").toInt()),
                     qPrintable(what + QStringLiteral(", shown \"%1\"").arg(shown)));
        }
        // Each way to be refused, and acceptance, was really tried.
        QVERIFY(good > 10000);
        QVERIFY(tooLong > 100);
        QVERIFY(notInGrammar > 10000);
        QVERIFY(above59 > 1000);
        QCOMPARE(modCount::TimeToSeconds(QString(1 << 20, QLatin1Char('9'))), -1);
    }

    void numberEntry() {
        QRandomGenerator rng(7);
        const qint16 limits[] = {9, 19, 199, 999};
        for (int i = 0; i < 100000; ++i) {
            const qint16 high = limits[rng.bounded(4)];
            Match m;
            enter(m, QString::number(rng.bounded(10)), 9);
            const QString before = numberShown(m.Value(Match::pledHomeScore), 3);
            const QString entry = randomText(rng, i % 500 == 0 ? 100000 : 12);
            enter(m, entry, high);
            const QString after = numberShown(m.Value(Match::pledHomeScore), 3);
            if (after.trimmed().isEmpty())
                continue;
            bool ok = false;
            const int value = after.trimmed().toInt(&ok);
            if (!ok || value < 0 || value > high || after.trimmed().contains(QLatin1Char(' ')) ||
                (after != before && after.trimmed().size() > 1 &&
                 after.trimmed().startsWith(QLatin1Char('0'))))
                QFAIL(qPrintable(QStringLiteral("\"%1\" on \"%2\" (at most %3) shows \"%4\"")
                                     .arg(entry.left(40), before)
                                     .arg(high)
                                     .arg(after)));
        }
    }
};

DAREZEZ_TEST_GUILESS(tst_entryFuzz)
#include "tst_entryFuzz.moc"
