// The journal's bytes: every snapshot comes back as it went in, and every damaged or foreign
// file is refused with the reason.
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "journal/JournalFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>
#include <functional>

namespace {

const QDateTime kSaved = QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26, 535), Qt::UTC);

MatchSnapshot busySnapshot() {
    MatchSnapshot s;
    s.fields = {23, 17, 4, 11, 12, 3, 157};
    s.clockSet = fromSeconds(120);
    s.clockRun = fromTenths(734);
    s.clockRunning = true;
    s.clockHasRun = true;
    s.homeAd = fromTenths(388);
    s.guestAd = fromTenths(52);
    s.timeAd = Side::Home;
    s.lastClockTime = 120;
    s.shownAdSide = 1;
    return s;
}

QJsonObject validObject() {
    return QJsonDocument::fromJson(JournalFile::encode(busySnapshot(), kSaved)).object();
}

QByteArray bytesOf(const QJsonObject &o) {
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray changed(const std::function<void(QJsonObject &)> &change) {
    QJsonObject o = validObject();
    change(o);
    return bytesOf(o);
}

QByteArray withValue(const QString &key, const QJsonValue &value) {
    return changed([&](QJsonObject &o) { o.insert(key, value); });
}

QByteArray withField(int index, const QJsonValue &value) {
    return changed([&](QJsonObject &o) {
        QJsonArray a = o.value(QStringLiteral("fields")).toArray();
        a[index] = value;
        o.insert(QStringLiteral("fields"), a);
    });
}

const QStringList kKeys{
    QStringLiteral("format"),       QStringLiteral("version"),     QStringLiteral("savedAt"),
    QStringLiteral("fields"),       QStringLiteral("clockSet"),    QStringLiteral("clockRun"),
    QStringLiteral("clockRunning"), QStringLiteral("clockHasRun"), QStringLiteral("homeAd"),
    QStringLiteral("guestAd"),      QStringLiteral("timeAd"),      QStringLiteral("lastClockTime"),
    QStringLiteral("shownAdSide")};

} // namespace

class tst_JournalFile : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data() {
        QTest::addColumn<MatchSnapshot>("snapshot");
        QTest::addColumn<QDateTime>("savedAt");

        QTest::newRow("fresh board") << MatchSnapshot{} << kSaved;
        QTest::newRow("mid-match") << busySnapshot() << kSaved;

        MatchSnapshot blank;
        blank.fields = {-1, -1, -1, -1, -1, -1, -1};
        blank.clockSet = 0;
        blank.lastClockTime = 0;
        blank.timeAd.reset();
        blank.shownAdSide = 0;
        QTest::newRow("all blank, nothing set") << blank << kSaved;

        MatchSnapshot top;
        for (size_t i = 0; i < top.fields.size(); ++i)
            top.fields[i] = Match::UpperLimit(Match::Field(Match::pledHomeScore + i));
        top.clockSet = fromSeconds(Match::kLargestTime);
        top.clockRun = JournalFile::kLongestTime;
        top.homeAd = JournalFile::kLongestTime;
        top.guestAd = JournalFile::kLongestTime;
        top.timeAd = Side::Guest;
        top.lastClockTime = Match::kLargestTime;
        top.shownAdSide = 2;
        top.clockHasRun = true;
        QTest::newRow("every value at its top") << top << kSaved;

        MatchSnapshot stopped = busySnapshot();
        stopped.clockRunning = false;
        stopped.timeAd.reset();
        stopped.clockRun = 4321; // not a whole tenth: kept to the unit
        QTest::newRow("stopped, odd units") << stopped << kSaved;

        // Saved in local time with an offset: the same instant comes back.
        QTest::newRow("saved with an offset")
            << busySnapshot()
            << QDateTime(QDate(2026, 7, 1), QTime(23, 59, 59, 999), QTimeZone(-5 * 3600));
    }

    void roundTrip() {
        QFETCH(MatchSnapshot, snapshot);
        QFETCH(QDateTime, savedAt);
        const QByteArray bytes = JournalFile::encode(snapshot, savedAt);
        QVERIFY(bytes.size() < 1024);
        const JournalFile::Parsed p = JournalFile::decode(bytes);
        QVERIFY2(p.entry.has_value(), qPrintable(p.reason));
        QVERIFY(p.entry->snapshot == snapshot);
        QCOMPARE(p.entry->savedAt, savedAt);
        QCOMPARE(p.entry->savedAt.timeSpec(), Qt::UTC);
        // Encoding is stable: a second round gives the same bytes.
        QCOMPARE(JournalFile::encode(p.entry->snapshot, p.entry->savedAt), bytes);
    }

    void rejected_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");

        QTest::newRow("empty") << QByteArray() << "empty";
        QTest::newRow("one newline") << QByteArray("\n") << "not a journal";
        QTest::newRow("plain text") << QByteArray("Home 12 Guest 9\n") << "not a journal";
        QTest::newRow("a list") << QByteArray("[1, 2, 3]\n") << "not a journal";
        QTest::newRow("empty object") << QByteArray("{}\n") << "not a journal";
        QTest::newRow("whole but no final newline")
            << QJsonDocument(validObject()).toJson(QJsonDocument::Compact) << "cut short";
        QTest::newRow("too large")
            << QByteArray(JournalFile::kMaxBytes, ' ') + bytesOf(validObject()) << "too large";
        QTest::newRow("a NUL inside") << bytesOf(validObject()).insert(20, '\0') << "not a journal";

        QTest::newRow("other format")
            << withValue(QStringLiteral("format"), QStringLiteral("some-other-file")) << "format";
        QTest::newRow("format as a number") << withValue(QStringLiteral("format"), 1) << "format";
        QTest::newRow("newer version")
            << withValue(QStringLiteral("version"), 2) << "newer version";
        QTest::newRow("much newer version")
            << withValue(QStringLiteral("version"), 4000) << "newer version";
        QTest::newRow("version 0") << withValue(QStringLiteral("version"), 0) << "version";
        QTest::newRow("version as text")
            << withValue(QStringLiteral("version"), QStringLiteral("1")) << "version";
        QTest::newRow("version 1.5") << withValue(QStringLiteral("version"), 1.5) << "version";
        QTest::newRow("unknown member")
            << withValue(QStringLiteral("homeScore"), 3) << "\"homeScore\" is not part";

        for (const QString &key : kKeys) {
            if (key == QLatin1String("format"))
                continue;
            QTest::addRow("%s missing", qPrintable(key))
                << changed([&](QJsonObject &o) { o.remove(key); }) << key;
            // Every member has a type that text is not.
            QTest::addRow("%s as text", qPrintable(key))
                << withValue(key, QStringLiteral("12")) << key;
            QTest::addRow("%s as null", qPrintable(key)) << withValue(key, QJsonValue()) << key;
        }
        QTest::newRow("clockRunning as 1")
            << withValue(QStringLiteral("clockRunning"), 1) << "clockRunning";
        QTest::newRow("clockHasRun as a list")
            << withValue(QStringLiteral("clockHasRun"), QJsonArray{true}) << "clockHasRun";
        QTest::newRow("fields as an object")
            << withValue(QStringLiteral("fields"), QJsonObject{}) << "fields";
        QTest::newRow("six fields")
            << withValue(QStringLiteral("fields"), QJsonArray{1, 2, 3, 4, 5, 6}) << "fields";
        QTest::newRow("eight fields")
            << withValue(QStringLiteral("fields"), QJsonArray{1, 2, 3, 4, 5, 6, 7, 8}) << "fields";

        for (int i = 0; i < 7; ++i) {
            const QString name = QStringLiteral("field %1").arg(i + 1);
            QTest::addRow("field %d above its limit", i + 1)
                << withField(i, Match::UpperLimit(Match::Field(Match::pledHomeScore + i)) + 1)
                << name;
            QTest::addRow("field %d below blank", i + 1) << withField(i, -2) << name;
            QTest::addRow("field %d a fraction", i + 1) << withField(i, 2.5) << name;
            QTest::addRow("field %d as text", i + 1) << withField(i, QStringLiteral("3")) << name;
        }

        struct Bad {
            const char *key;
            double value;
        };
        const double longest = double(JournalFile::kLongestTime);
        const Bad outOfRange[] = {
            {"clockSet", -1},
            {"clockSet", double(fromSeconds(Match::kLargestTime)) + 1},
            {"clockRun", -1},
            {"clockRun", longest + 1},
            {"clockRun", 1e300},
            {"homeAd", -10000},
            {"homeAd", longest + 1},
            {"guestAd", -1},
            {"guestAd", 9.2e18},
            {"timeAd", 1},
            {"timeAd", 36},
            {"timeAd", 40},
            {"timeAd", -38},
            {"lastClockTime", -1},
            {"lastClockTime", Match::kLargestTime + 1},
            {"shownAdSide", -1},
            {"shownAdSide", 3},
            {"clockSet", 0.5},
        };
        for (const Bad &b : outOfRange) {
            QTest::addRow("%s %g", b.key, b.value)
                << withValue(QLatin1String(b.key), b.value) << QString::fromLatin1(b.key);
        }

        QTest::newRow("savedAt not a date")
            << withValue(QStringLiteral("savedAt"), QStringLiteral("yesterday")) << "savedAt";
        QTest::newRow("savedAt without its zone")
            << withValue(QStringLiteral("savedAt"), QStringLiteral("2026-03-14T15:09:26.535"))
            << "savedAt";
        QTest::newRow("savedAt impossible day")
            << withValue(QStringLiteral("savedAt"), QStringLiteral("2026-02-30T15:09:26.535Z"))
            << "savedAt";

        // Random bytes, with and without the final newline a journal ends in.
        QRandomGenerator random(1818);
        for (int i = 0; i < 40; ++i) {
            QByteArray junk(int(random.bounded(1, 900)), Qt::Uninitialized);
            for (char &c : junk)
                c = char(random.bounded(256));
            if (i % 2 == 0)
                junk.back() = '\n';
            QTest::addRow("random bytes %d", i) << junk << QString();
        }
    }

    void rejected() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const JournalFile::Parsed p = JournalFile::decode(bytes);
        QVERIFY(!p.entry.has_value());
        QVERIFY(!p.reason.isEmpty());
        QVERIFY2(p.reason.contains(reason), qPrintable(p.reason));
    }

    // The rows above change one thing each; this checks they start from a file that passes.
    void variantsStartFromAGoodFile() {
        QVERIFY(JournalFile::decode(bytesOf(validObject())).entry.has_value());
    }

    void truncatedAtEveryLength_data() {
        QTest::addColumn<MatchSnapshot>("snapshot");
        QTest::newRow("fresh") << MatchSnapshot{};
        QTest::newRow("mid-match") << busySnapshot();
    }

    void truncatedAtEveryLength() {
        QFETCH(MatchSnapshot, snapshot);
        const QByteArray bytes = JournalFile::encode(snapshot, kSaved);
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            const JournalFile::Parsed p = JournalFile::decode(bytes.left(n));
            QVERIFY2(!p.entry.has_value(), qPrintable(QStringLiteral("accepted at %1").arg(n)));
            QVERIFY(!p.reason.isEmpty());
        }
        QVERIFY(JournalFile::decode(bytes).entry.has_value());
    }
};

DAREZEZ_TEST_GUILESS(tst_JournalFile)
#include "tst_JournalFile.moc"
