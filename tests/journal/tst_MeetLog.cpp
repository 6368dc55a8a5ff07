// The meet's log replays to the match after its last whole record, wherever a power cut cut
// it, and a running clock's progress counts only while it is the newest thing in the log.
#include "DualMeet.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/MatchFixture.h"
#include "journal/MeetLog.h"

#include <QTest>
#include <QtEndian>
#include <zlib.h>

namespace {

const QDateTime kAt = QDateTime(QDate(2026, 12, 8), QTime(19, 0), Qt::UTC);

// A log of the given matches: the first as its checkpoint, each next one a record of its kind
// (kinds[i - 1]; a change when none is given); ends[i] is where the log ends after match i.
QByteArray logOf(const std::vector<MatchSnapshot> &matches, std::vector<qint64> *ends,
                 const std::vector<MeetLog::Kind> &kinds = {}) {
    QByteArray bytes = MeetLog::start();
    for (size_t i = 0; i < matches.size(); ++i) {
        const MeetLog::Kind kind = i == 0              ? MeetLog::Kind::Checkpoint
                                   : kinds.size() >= i ? kinds[i - 1]
                                                       : MeetLog::Kind::Change;
        bytes += MeetLog::record(kind, i == 0 ? MatchSnapshot() : matches[i - 1], matches[i],
                                 kAt.addSecs(qint64(i)));
        ends->push_back(bytes.size());
    }
    return bytes;
}

void putSlot(QByteArray &log, quint64 sequence, qint64 logEnd, const MatchSnapshot &recorded,
             const MatchSnapshot &now) {
    const QByteArray slot = MeetLog::progress(sequence, logEnd, recorded, now, kAt);
    QVERIFY(!slot.isEmpty());
    log.replace(MeetLog::slotOffset(sequence), slot.size(), slot);
}

MatchSnapshot running(const MatchSnapshot &from, int tenths) {
    MatchSnapshot s = from;
    s.clockRun += fromTenths(tenths);
    s.homeAd += fromTenths(tenths);
    return s;
}

} // namespace

class tst_MeetLog : public QObject {
    Q_OBJECT

private slots:
    // Cut at every length, a short log with progress replays to its last whole record;
    // the progress counts only when nothing of the log is lost.
    void shortLogCutAtEveryLength() {
        MatchSnapshot a;
        a.fields = {3, 0, 0, 0, 1, 1, 106};
        MatchSnapshot b = a;
        b.clockRunning = b.clockHasRun = true;
        b.timeAd = Side::Home;
        MatchSnapshot c = running(b, 52);
        c.fields[0] = 5;
        std::vector<qint64> ends;
        QByteArray log = logOf({a, b, c}, &ends);
        const MatchSnapshot progressed = running(c, 13);
        putSlot(log, 1, log.size(), c, progressed);
        for (qint64 n = 0; n <= log.size(); ++n) {
            const MeetLog::Replay r = MeetLog::replay(log.left(n));
            if (n < ends[0]) {
                QVERIFY2(r.refused && !r.snapshot, qPrintable(QString::number(n)));
                continue;
            }
            const size_t whole =
                size_t(std::upper_bound(ends.begin(), ends.end(), n) - ends.begin() - 1);
            const MatchSnapshot expected =
                n == log.size() ? progressed : std::vector{a, b, c}[whole];
            QVERIFY2(r.snapshot == expected, qPrintable(QString::number(n)));
            QCOMPARE(r.end, ends[whole]);
            QCOMPARE(r.records, int(whole) + 1);
        }
    }

    // About 3 000 actions: at every record boundary, and cut inside the next record, the
    // log replays to the match after that boundary.
    void dualMeetAtEveryBoundary() {
        std::vector<MeetLog::Kind> kinds;
        const std::vector<MatchSnapshot> matches = dualMeet(&kinds);
        QVERIFY(matches.size() > 3000);
        std::vector<qint64> ends;
        const QByteArray log = logOf(matches, &ends, kinds);
        qInfo("%zu actions, %lld bytes before any checkpoint", matches.size() - 1,
              static_cast<long long>(log.size()));
        for (size_t i = 0; i < ends.size(); ++i) {
            const qint64 torn = i + 1 < ends.size() ? (ends[i] + ends[i + 1]) / 2 : ends[i];
            for (const qint64 n : {ends[i], torn}) {
                const MeetLog::Replay r = MeetLog::replay(log.left(n));
                QVERIFY2(r.snapshot == matches[i], qPrintable(QString::number(i)));
                QCOMPARE(r.end, ends[i]);
            }
        }
    }

    // Two slots written in turn: the newest whole one that follows the last record counts.
    void progressSlots_data() {
        QTest::addColumn<bool>("tearNewest");
        QTest::addColumn<bool>("tearOlder");
        QTest::addColumn<bool>("recordAfter");
        QTest::addColumn<int>("expected"); // 2 newest, 1 older, 0 none
        QTest::newRow("both whole") << false << false << false << 2;
        QTest::newRow("newest torn") << true << false << false << 1;
        QTest::newRow("both torn") << true << true << false << 0;
        QTest::newRow("older torn") << false << true << false << 2;
        QTest::newRow("a record after them") << false << false << true << 0;
    }
    void progressSlots() {
        QFETCH(bool, tearNewest);
        QFETCH(bool, tearOlder);
        QFETCH(bool, recordAfter);
        QFETCH(int, expected);
        MatchSnapshot base;
        base.clockRunning = base.clockHasRun = true;
        std::vector<qint64> ends;
        QByteArray log = logOf({base}, &ends);
        const MatchSnapshot older = running(base, 10), newest = running(base, 20);
        putSlot(log, 7, log.size(), base, older);
        putSlot(log, 8, log.size(), base, newest);
        // A cut in the middle of a slot's write: its second half is the old bytes.
        if (tearNewest)
            log[MeetLog::slotOffset(8) + 40] = char(log[MeetLog::slotOffset(8) + 40] ^ 1);
        if (tearOlder)
            log[MeetLog::slotOffset(7) + 20] = char(log[MeetLog::slotOffset(7) + 20] ^ 1);
        MatchSnapshot stopped = running(base, 25);
        stopped.clockRunning = false;
        if (recordAfter)
            log += MeetLog::record(MeetLog::Kind::Change, base, stopped, kAt);
        const MeetLog::Replay r = MeetLog::replay(log);
        const MatchSnapshot want =
            recordAfter ? stopped : std::vector{base, older, newest}[size_t(expected)];
        QVERIFY(r.snapshot == want);
        QCOMPARE(r.sequence, tearNewest ? (tearOlder ? 0u : 7u) : 8u);
    }

    // Every member of a match, each away from a fresh match's value, goes into a checkpoint
    // and a change and comes back.
    void everyMemberRoundTrips() {
        MatchSnapshot all;
        all.fields = {199, 198, 19, 18, 999, 9, 285};
        all.clockSet = fromSeconds(59 * 60 + 59);
        all.clockRun = fromTenths(7);
        all.clockRunning = all.clockHasRun = true;
        all.homeAd = fromTenths(11);
        all.guestAd = fromTenths(13);
        all.timeAd = Side::Guest;
        all.lastClockTime = 61;
        all.shownAdSide = 2;
        all.ruleSet = 2;
        for (size_t i = 0; i < all.stoppageUsed.size(); ++i)
            all.stoppageUsed[i] = fromTenths(qint64(i) + 1);
        all.stoppageKind = 3;
        all.stoppageSide = 2;
        all.stoppageRunning = true;
        all.stoppageSet = fromSeconds(300);
        all.stoppageRun = fromTenths(17);
        all.roundSeconds = {0, 90, 120, 120, 60, 30, 30, 30, 30, 3599};
        const BoutResult fall{7, 157, 2, 3, 0, 5, 83, 6, 1, 2, 12, 9, 1'765'000'000'000};
        const BoutResult doubleForfeit{8, 165, 0, 7, -1, -1, -1, 0, 0, 0, 12, 9, 1};
        MatchSnapshot none = all, one = all;
        one.bouts = {fall};
        all.bouts = {fall, doubleForfeit};
        std::vector<qint64> ends;
        const QByteArray log =
            logOf({MatchSnapshot{}, none, one, all}, &ends,
                  {MeetLog::Kind::Change, MeetLog::Kind::Result, MeetLog::Kind::Result});
        QVERIFY(MeetLog::replay(log.left(ends[1])).snapshot == none);
        QVERIFY(MeetLog::replay(log.left(ends[2])).snapshot == one);
        QVERIFY(MeetLog::replay(log).snapshot == all);
        // A result is one record; bouts taken away take a new log.
        QVERIFY(MeetLog::record(MeetLog::Kind::Result, one, all, kAt).size() < 300);
        QVERIFY(MeetLog::record(MeetLog::Kind::Result, all, one, kAt).isEmpty());
        QVERIFY(MeetLog::replay(MeetLog::start() +
                                MeetLog::record(MeetLog::Kind::Checkpoint, {}, all, kAt))
                    .snapshot == all);
    }

    // Only the last record can be torn by a crash: one that fails its check with a whole
    // record after it is damage, and zeros or nothing after it a torn tail.
    void damageInTheMiddle_data() {
        QTest::addColumn<int>("offset"); // into the second record; -1 its CRC's last byte
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("zeros"); // written after the log
        QTest::addColumn<bool>("damaged");
        QTest::newRow("length") << 0 << 3 << false << true;
        QTest::newRow("kind") << 4 << 3 << false << true;
        QTest::newRow("payload") << 18 << 3 << false << true;
        QTest::newRow("CRC") << -1 << 3 << false << true;
        QTest::newRow("torn last") << 18 << 2 << false << false;
        QTest::newRow("torn, then zeros") << 18 << 2 << true << false;
    }
    void damageInTheMiddle() {
        QFETCH(int, offset);
        QFETCH(int, records);
        QFETCH(bool, zeros);
        QFETCH(bool, damaged);
        std::vector<MatchSnapshot> matches(static_cast<size_t>(records));
        for (int i = 0; i < records; ++i)
            matches[size_t(i)].fields[size_t(i)] = 9;
        std::vector<qint64> ends;
        QByteArray log = logOf(matches, &ends);
        const qint64 at = offset < 0 ? ends[1] - 1 : ends[0] + offset;
        log[at] = char(log[at] ^ 0x40);
        if (zeros)
            log += QByteArray(200, '\0');
        const MeetLog::Replay r = MeetLog::replay(log);
        QVERIFY(r.snapshot == matches[0]);
        QCOMPARE(r.damaged, damaged);
        QCOMPARE(r.end, ends[0]);
    }

    // Undo's history and the scorebook go with the log: each action, undo and redo one record,
    // every length replaying to its match, and a checkpoint bringing it all back; resumed, the
    // match undoes on as the first would.
    void historyReplays() {
        FakeClock clock;
        Match first;
        first.Load();
        std::vector<MatchSnapshot> matches{first.Snapshot()};
        std::vector<MeetLog::Kind> kinds;
        // A roster of 28 long names, one action: an edit too long for a first-version record.
        QStringList roster;
        for (int weight = 1; weight <= 14; ++weight)
            for (const char *side : {"home", "guest"})
                roster << QStringLiteral("%1:%2:%3")
                              .arg(QLatin1String(side))
                              .arg(weight)
                              .arg(QStringLiteral("🤼").repeated(39) + QChar(u'A' + weight));
        const QStringList steps =
            QStringLiteral("names:home:120:Peña,guest:120:Okafor names:home:120: undo names:%1 "
                           "tablet>takedown:home phone>undo tablet>undo tablet>redo undo "
                           "homeScore:3 takedown:home penalty:guest undo redo stalling:home "
                           "advantage:home startStop wait:2000 startStop homeMatch:6 result undo "
                           "undo redo blood:guest wait:1000 stop:blood undo guestScore:4 undo")
                .arg(roster.join(QLatin1Char(',')))
                .split(QLatin1Char(' '));
        for (const QString &step : steps) {
            kinds.push_back(MeetLog::KindOf(play(first, clock, step).step));
            matches.push_back(first.Snapshot());
        }
        std::vector<qint64> ends;
        const QByteArray log = logOf(matches, &ends, kinds);
        for (size_t i = 0; i < ends.size(); ++i)
            QVERIFY2(MeetLog::replay(log.left(ends[i])).snapshot == matches[i],
                     qPrintable(QString::number(i)));
        const MeetLog::Replay r = MeetLog::replay(
            MeetLog::start() + MeetLog::record(MeetLog::Kind::Checkpoint, {}, matches.back(), kAt));
        QVERIFY(r.snapshot == matches.back());

        Match resumed;
        resumed.Load();
        resumed.Restore(*r.snapshot);
        for (Match *m : {&first, &resumed})
            play(*m, clock, QStringLiteral("undo undo"));
        QCOMPARE(resumed.StoppageKind(), -1);
        QCOMPARE(resumed.Value(Match::pledHomeMatch), 4); // T3 and a guest's P1
        QCOMPARE(resumed.Value(Match::pledHomeScore), 3);
        QCOMPARE(resumed.Bouts().size(), 0);
        QVERIFY(resumed.Moves() == first.Moves() && resumed.Moves().size() == 3);
        // Peña's name taken away, and that undone; then the roster.
        QCOMPARE(resumed.Texts(), first.Texts());
        QCOMPARE(resumed.Texts().value(Lineup::TextId(1, 120)), QStringLiteral("Peña"));
        QCOMPARE(resumed.Texts().size(), 30);
        for (int f = Match::pledHomeScore; f < Match::kFieldCount; ++f)
            QCOMPARE(resumed.Value(Match::Field(f)), first.Value(Match::Field(f)));
    }

    // Names go with the match in the record of the change that made them: a checkpoint of 28
    // names of 40 four-byte characters is no damage, a record cut anywhere loses its names with
    // the rest of it, and a record with no text changed is written as before names came.
    void textsGoWithTheirRecord() {
        MatchSnapshot named;
        for (quint16 id = 0; id < 28; ++id)
            named.texts.insert(id, QStringLiteral("🤼").repeated(39) + QChar(u'A' + id));
        MatchSnapshot renamed = named;
        renamed.fields[4] = 2;
        renamed.texts[3] = QStringLiteral("Ørjan Nygård");
        renamed.texts.remove(27);
        renamed.texts.insert(900, QStringLiteral("x"));
        MatchSnapshot scored = renamed;
        scored.fields[0] = 3;
        std::vector<qint64> ends;
        const QByteArray log = logOf({named, renamed, scored}, &ends);
        QVERIFY(ends[0] - MeetLog::kFirstRecord > MeetLog::kMaxRecordBytes);
        for (qint64 n = ends[0]; n <= ends[2]; ++n) {
            const MeetLog::Replay r = MeetLog::replay(log.left(n));
            const MatchSnapshot &expected = n < ends[1] ? named : n < ends[2] ? renamed : scored;
            QVERIFY2(r.snapshot == expected && !r.damaged, qPrintable(QString::number(n)));
        }
        QCOMPARE(qFromLittleEndian<quint16>(log.constData() + ends[1] + 6), quint16(1));
    }

    // A kind a newer program added is refused, not skipped or misread.
    void unknownKindRefused() {
        std::vector<qint64> ends;
        QByteArray log = logOf({MatchSnapshot{}}, &ends);
        QByteArray newer = MeetLog::record(MeetLog::Kind::Change, {}, MatchSnapshot{}, kAt);
        newer[4] = 9;
        newer.chop(4);
        const quint32 crc = qToLittleEndian(quint32(
            ::crc32(0, reinterpret_cast<const Bytef *>(newer.constData()), uInt(newer.size()))));
        newer.append(reinterpret_cast<const char *>(&crc), 4);
        const MeetLog::Replay r = MeetLog::replay(log + newer);
        QVERIFY(r.refused && !r.snapshot);
        QVERIFY2(r.reason.contains(QStringLiteral("kind 9")), qPrintable(r.reason));
    }
};

DAREZEZ_TEST_GUILESS(tst_MeetLog)
#include "tst_MeetLog.moc"
