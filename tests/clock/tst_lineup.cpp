// Wrestlers' names on the match with a fake clock: what a name may be, and the lineup's
// changes as actions.
#include "MatchFixture.h"
#include "TestMain.h"
#include "clock/Lineup.h"
#include "clock/Match.h"
#include "clock/RosterCsv.h"

#include <QTemporaryDir>

class tst_lineup : public QObject, MatchFixture {
    Q_OBJECT

    QString names() const {
        QStringList out;
        for (auto it = m->Texts().cbegin(); it != m->Texts().cend(); ++it)
            out << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        return out.join(QLatin1Char(' '));
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void clean_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // "!" refused
        QTest::newRow("spaces at the ends") << "  Peña  "
                                            << "Peña";
        QTest::newRow("decomposed, composed") << QStringLiteral("Pen\u0303a") << "Peña";
        QTest::newRow("blank: no wrestler") << "   "
                                            << "";
        QTest::newRow("40 characters")
            << QString(40, QLatin1Char('x')) << QString(40, QLatin1Char('x'));
        QTest::newRow("41") << QString(41, QLatin1Char('x')) << "!";
        // Each of these is one character to a reader, of two or three units.
        QTest::newRow("40 clusters") << QStringLiteral("e\u0301\u0323").repeated(40)
                                     << QStringLiteral("e\u0301\u0323")
                                            .normalized(QString::NormalizationForm_C)
                                            .repeated(40);
        QTest::newRow("a tab") << "Peña\tOkafor"
                               << "!";
        QTest::newRow("an override") << QStringLiteral("Pe\u202Eña") << "!";
        QTest::newRow("an isolate") << QStringLiteral("Pe\u2067ña") << "!";
    }
    void clean() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QString why;
        const std::optional<QString> name = Lineup::Clean(typed, &why);
        QCOMPARE(name.value_or(QStringLiteral("!")), kept);
        QCOMPARE(why.isEmpty(), bool(name));
    }

    // A change of names is one action: undo takes it all back, redo brings it again; one bad
    // name refuses the whole change.
    void namesAreActions_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("refused");
        QTest::newRow("set") << "names:home:120:Peña,guest:120:Okafor"
                             << "1120=Peña 2120=Okafor" << false;
        QTest::newRow("undo") << "names:home:120:Peña names:home:120:Ruiz,guest:126:Ode undo"
                              << "1120=Peña" << false;
        QTest::newRow("redo") << "names:home:120:Peña undo redo"
                              << "1120=Peña" << false;
        QTest::newRow("blank takes a wrestler away")
            << "names:home:120:Peña,home:126:Ruiz names:home:120:"
            << "1126=Ruiz" << false;
        QTest::newRow("one bad name, none")
            << "names:home:120:Peña names:home:126:Ruiz,guest:126:x\tx"
            << "1120=Peña" << true;
        QTest::newRow("no such weight") << "names:home:0:Peña"
                                        << "" << true;
    }
    void namesAreActions() {
        QFETCH(QString, steps);
        QFETCH(QString, names);
        QFETCH(bool, refused);
        QStringList each = steps.split(QLatin1Char(' '));
        const QString last = each.takeLast();
        play(each.join(QLatin1Char(' ')));
        const qsizetype history = m->Snapshot().undoable.size();
        QCOMPARE(!::play(*m, *clock, last).ok(), refused);
        QCOMPARE(this->names(), names);
        // A refused change leaves undo nothing to take back.
        if (refused)
            QCOMPARE(m->Snapshot().undoable.size(), history);
    }

    // A roster file as coaches bring them, or its refusal with the line that caused it.
    void rosterFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("read"); // "H120=Peña G120=Okafor", or "!line: why"
        QTest::newRow("semicolons, BOM, any order and case")
            << QByteArray("\xEF\xBB\xBFGuest; weight ;HOME\r\nOkafor;120;Pe\xC3\xB1"
                          "a\r\n")
            << "H G H120=Peña G120=Okafor";
        QTest::newRow("one side; blank lines, other columns")
            << QByteArray("Team,Weight,Home\n\nX,106,A\nX,113,\n") << "H H106=A";
        QTest::newRow("quotes") << QByteArray("Weight,Home\n120,\"Ruiz, \"\"Jr.\"\"\"\n")
                                << "H H120=Ruiz, \"Jr.\"";
        QTest::newRow("the export's guard")
            << QByteArray("Weight,Home\n120,'=Cmd\n126,'Neil\n") << "H H120==Cmd H126='Neil";
        QTest::newRow("not UTF-8") << QByteArray("Weight,Home\n120,Pe\xF1"
                                                 "a\n")
                                   << "!2: bytes that are not UTF-8 (save the file as CSV UTF-8)";
        QTest::newRow("no such class") << QByteArray("Weight,Home\n121,A\n")
                                       << "!2: weight 121 is no weight class of High school (NFHS)";
        QTest::newRow("not whole") << QByteArray("Weight,Home\n120.5,A\n")
                                   << "!2: the weight \"120.5\" is not a whole number";
        QTest::newRow("twice") << QByteArray("Weight,Home\n120,A\n120,B\n")
                               << "!3: weight 120 a second time";
        QTest::newRow("short row") << QByteArray("Weight,Home,Guest\n120,A\n") << "!2: a short row";
        QTest::newRow("column twice")
            << QByteArray("Weight,Home,home \n") << "!1: the column home named twice";
        QTest::newRow("quote never closed")
            << QByteArray("Weight,Home\n120,A\n126,\"B\n") << "!3: a quote that is never closed";
        QTest::newRow("a line in quotes counts")
            << QByteArray("Weight,Home,Note\n120,A,\"two\nlines\"\n121,C,\n")
            << "!4: weight 121 is no weight class of High school (NFHS)";
    }
    void rosterFiles() {
        QFETCH(QByteArray, file);
        QFETCH(QString, read);
        RosterCsv::Refusal refused;
        const std::optional<RosterCsv::Roster> roster =
            RosterCsv::Parse(file, RuleBook::Set::NFHS, &refused);
        QStringList out;
        if (!roster)
            out << QStringLiteral("!%1: %2").arg(refused.line).arg(refused.why);
        for (int side : {1, 2}) {
            if (roster && roster->sides[size_t(side)])
                out << (side == 1 ? QStringLiteral("H") : QStringLiteral("G"));
        }
        for (int side : {1, 2}) {
            const auto &names = roster ? roster->names[size_t(side)] : QMap<int, QString>();
            for (auto it = names.cbegin(); it != names.cend(); ++it)
                out << QStringLiteral("%1%2=%3")
                           .arg(side == 1 ? "H" : "G")
                           .arg(it.key())
                           .arg(it.value());
        }
        QCOMPARE(out.join(QLatin1Char(' ')), read);
    }

    // What the export writes, the import reads back; an import replaces only the sides its
    // file names, as one change.
    void exportReadsBack() {
        play(QStringLiteral("names:home:120:=Cmd,home:126:Ruiz_Jr.,guest:120:Peña"));
        const QByteArray file = RosterCsv::Write(m->Texts(), RuleBook::Set::NFHS);
        QVERIFY(file.startsWith("\xEF\xBB\xBFWeight,Home,Guest\r\n106,,\r\n"));
        RosterCsv::Refusal refused;
        const std::optional<RosterCsv::Roster> back =
            RosterCsv::Parse(file, RuleBook::Set::NFHS, &refused);
        QVERIFY2(back, qPrintable(refused.Text()));
        MatchCommand c = command(MatchCommand::Kind::Names);
        c.names = RosterCsv::Names(*back, {});
        Match other;
        QVERIFY(other.apply(c).ok());
        QCOMPARE(other.Texts(), m->Texts());

        const std::optional<RosterCsv::Roster> guests =
            RosterCsv::Parse("Weight,Guest\n132,Ode\n", RuleBook::Set::NFHS, &refused);
        c.names = RosterCsv::Names(*guests, m->Texts());
        QVERIFY(m->apply(c).ok());
        QCOMPARE(this->names(), QStringLiteral("1120==Cmd 1126=Ruiz Jr. 2132=Ode"));
    }

    void rosterFileRefusedWhole_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("why");
        QTest::newRow("over 256 KB") << RosterCsv::kLargestFile + 1 << "a file over 256 KB";
        QTest::newRow("no file at all") << qint64(-1) << "is no regular file";
    }
    void rosterFileRefusedWhole() {
        QFETCH(qint64, size);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("roster.csv"));
        if (size >= 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Weight,Home\n" + QByteArray(size - 12, '\n'));
        }
        RosterCsv::Refusal refused;
        QVERIFY(!RosterCsv::Read(size >= 0 ? path : dir.path(), RuleBook::Set::NFHS, &refused));
        QVERIFY2(refused.why.contains(why), qPrintable(refused.why));
        QCOMPARE(refused.line, 0);
    }

    // A recorded bout keeps the names it had; undone, they go with it.
    void recordedBoutKeepsItsNames() {
        play(QStringLiteral("names:home:106:Peña,guest:106:Okafor weight:106 result "
                            "names:home:106:Ruiz"));
        QCOMPARE(m->BoutWrestler(0, 1) + m->BoutWrestler(0, 2), QStringLiteral("PeñaOkafor"));
        QCOMPARE(m->Wrestler(1), QStringLiteral("Ruiz"));
        play(QStringLiteral("undo undo"));
        QVERIFY(m->Bouts().isEmpty());
        QCOMPARE(this->names(), QStringLiteral("1106=Peña 2106=Okafor"));
    }

    // The bout on the board is the lineup's row for the weight shown.
    void wrestlersOfTheWeightShown() {
        play(QStringLiteral("names:home:120:Peña,guest:126:Okafor weight:120"));
        QCOMPARE(m->Wrestler(1), QStringLiteral("Peña"));
        QCOMPARE(m->Wrestler(2), QString());
        play(QStringLiteral("weight:126"));
        QCOMPARE(m->Wrestler(2), QStringLiteral("Okafor"));
        play(QStringLiteral("weight:"));
        QCOMPARE(m->Wrestler(1) + m->Wrestler(2), QString());
    }
};

DAREZEZ_TEST_GUILESS(tst_lineup)
#include "tst_lineup.moc"
