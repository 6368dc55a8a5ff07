// The entry readers fed whatever a keyboard, a paste or a broken driver could send:
// long strings, non-ASCII digits, control characters. Only the documented results.
#include "TestSupport.h"
#include "clock/Match.h"
#include "clock/modCount.h"
#include "clock/modShowDigits.h"

#include <QRandomGenerator>

namespace {
// What a time entry means when it means anything: "m.ss" with only ASCII digits and one
// point, at most 8 characters, minutes and seconds each at most 59.
qint32 expectedSeconds(const QString &s) {
    if (s.size() > 8)
        return -1;
    int points = 0;
    for (QChar c : s) {
        if (c == QLatin1Char('.'))
            ++points;
        else if (c.unicode() < '0' || c.unicode() > '9')
            return -1;
    }
    if (points > 1)
        return -1;
    const QStringList parts = s.split(QLatin1Char('.'));
    const qint64 m = parts[0].isEmpty() ? 0 : parts[0].toLongLong();
    const qint64 sec = parts.size() > 1 && !parts[1].isEmpty() ? parts[1].toLongLong() : 0;
    return m <= 59 && sec <= 59 ? qint32(m * 60 + sec) : -1;
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
} // namespace

class tst_entryFuzz : public QObject {
    Q_OBJECT

private slots:
    void init() { modGlobals::SetDefaults(); }

    void timeToSeconds() {
        BeepCounter beeps;
        QRandomGenerator rng(20261207);
        int good = 0;
        for (int i = 0; i < 200000; ++i) {
            const QString s = randomText(rng, i % 1000 == 0 ? 5000 : 10);
            const qint32 got = modCount::TimeToSeconds(s);
            const qint32 want = expectedSeconds(s);
            if (got != want)
                QFAIL(qPrintable(
                    QStringLiteral("\"%1\" gave %2, not %3").arg(s.left(40)).arg(got).arg(want)));
            good += got >= 0 ? 1 : 0;
        }
        QVERIFY(good > 10000); // the good entries were really tried
        QCOMPARE(beeps.count, good);
        QCOMPARE(modCount::TimeToSeconds(QString(1 << 20, QLatin1Char('9'))), -1);
    }

    void numberEntry() {
        QRandomGenerator rng(7);
        const qint16 limits[] = {9, 19, 199, 999};
        for (int i = 0; i < 100000; ++i) {
            const qint16 high = limits[rng.bounded(4)];
            Match m;
            FakeDigits digits(QStringLiteral("pledHomeScore"), 3);
            m.ShowDigits(Match::pledHomeScore, QString::number(rng.bounded(10)), -1, 9);
            modShowDigits::ShowValue(digits, m.Value(Match::pledHomeScore));
            const QString before = numberPicture(digits);
            const QString entry = randomText(rng, i % 500 == 0 ? 100000 : 12);
            m.ShowDigits(Match::pledHomeScore, entry, -1, high);
            modShowDigits::ShowValue(digits, m.Value(Match::pledHomeScore));
            const QString after = numberPicture(digits);
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

QTEST_MAIN(tst_entryFuzz)
#include "tst_entryFuzz.moc"
