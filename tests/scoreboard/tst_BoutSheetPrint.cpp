// The printed bout sheet, read back from its PDF as a league's secretary would copy it.
#include "TestMain.h"
#include "clock/RuleBook.h"
#include "scoreboard/BoutSheetPrint.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A dual of `count` bouts, each home's by decision on a takedown and a near fall against
// an escape, the last one guest's by a fall with a point deducted from guest.
BoutSheetPrint::Sheet dual(int count, const QString &longName = {}) {
    BoutSheetPrint::Sheet s{QStringLiteral("Tigers"),
                            QStringLiteral("Bears"),
                            QStringLiteral("High school (NFHS)"),
                            QDate(2026, 12, 9),
                            {},
                            {},
                            {}};
    int home = 0, guest = 0;
    for (int i = 0; i < count; ++i) {
        const bool fall = i == count - 1;
        BoutResult b;
        b.match = i + 1;
        b.weight = 100 + i;
        b.serial = i;
        b.winner = fall ? 2 : 1;
        b.result = int(fall ? RuleBook::Result::Fall : RuleBook::Result::Decision);
        b.homePoints = fall ? -1 : 5;
        b.guestPoints = fall ? -1 : 1;
        b.fallSeconds = fall ? 83 : -1;
        b.teamPoints = fall ? 6 : 3;
        (fall ? guest : home) += b.teamPoints;
        if (fall) {
            b.deductionSide = 2;
            b.deduction = 1;
            guest -= 1;
        }
        b.homeScore = home;
        b.guestScore = guest;
        s.bouts << b;
        const auto move = [&](int period, int side, RuleBook::Move m, int points) {
            s.moves << ScoredMove{i, period, 0, side, int(m), points, 0, false, false};
        };
        move(1, 1, RuleBook::Move::Takedown, 3);
        move(2, 2, RuleBook::Move::Escape, 1);
        move(2, 1, RuleBook::Move::NearFall, 2);
    }
    s.wrestlers = [longName](qsizetype bout, int side) {
        if (bout == 0 && side == 2 && !longName.isEmpty())
            return longName;
        return QStringLiteral("%1 %2").arg(side == 1 ? u"Peña" : u"Okafor").arg(bout + 1);
    };
    return s;
}

QString run(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class tst_BoutSheetPrint : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString save(const BoutSheetPrint::Sheet &sheet) {
        const QString path = m_dir.filePath(QStringLiteral("sheet.pdf"));
        QString why;
        if (!BoutSheetPrint::SavePdf(path, sheet, &why))
            qWarning("not saved: %s", qPrintable(why));
        return path;
    }
    static QString page(const QString &pdf, int number) {
        const QString n = QString::number(number);
        return run(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), QStringLiteral("-f"), n, QStringLiteral("-l"), n,
                    pdf, QStringLiteral("-")});
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // What the league reads off a three-bout dual: the final score, the date and the rules,
    // names, marks by period, results, a deduction and the signature lines.
    void threeBouts() {
        const QString text = page(save(dual(3)), 1);
        for (const char *wanted :
             {"Tigers 6 v Bears 5", "High school (NFHS)", "2026", "Peña 1", "Okafor 3", "T3 | N2",
              "E1", "Tigers: Decision 5-1", "Bears: Fall", "1:23", "-1 Bears", "6-5", "Referee",
              "Tigers scorer", "Bears scorer", "Page 1 of 1"})
            QVERIFY2(text.contains(QString::fromUtf8(wanted)),
                     qPrintable(wanted + QLatin1Char('\n') + text));
    }

    // A 14-bout dual takes one page on either paper; more bouts go on under the same header.
    void pages_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("bouts");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<int>("pages");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("14 on letter") << us << 14 << "letter" << 1;
        QTest::newRow("14 on A4") << de << 14 << "A4" << 1;
        QTest::newRow("20 on letter") << us << 20 << "letter" << 2;
        QTest::newRow("31 on A4") << de << 31 << "A4" << 3;
    }
    void pages() {
        QFETCH(QLocale, locale);
        QFETCH(int, bouts);
        QFETCH(QString, paper);
        QFETCH(int, pages);
        QLocale::setDefault(locale);
        const QString pdf = save(dual(bouts));
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QStringLiteral("Pages:           %1\n").arg(pages)),
                 qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("(%1)").arg(paper)), qPrintable(info));
        const QString last = page(pdf, pages);
        QVERIFY(last.contains(QStringLiteral("Tigers %1 v Bears 5").arg(3 * (bouts - 1))));
        QVERIFY(last.contains(QStringLiteral("Page %1 of %1").arg(pages)));
        QVERIFY(last.contains(QStringLiteral("Peña %1").arg(bouts)));
        QVERIFY(last.contains(QStringLiteral("Referee")));
    }

    // A name too long for its column is shortened, never drawn over the next one.
    void longNameShortened() {
        const QString name = QStringLiteral("Maximilian-Alexander Wolfeschlegel");
        const QString text = page(save(dual(3, name)), 1);
        QVERIFY2(text.contains(QStringLiteral("Maximilian")), qPrintable(text));
        QVERIFY(!text.contains(name));
        QVERIFY(text.contains(QStringLiteral("…")));
    }

    void failedSaveSaysWhy() {
        const QString path = m_dir.filePath(QStringLiteral("no such folder/sheet.pdf"));
        QString why;
        QVERIFY(!BoutSheetPrint::SavePdf(path, dual(3), &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(!QFile::exists(path));
    }
};

DAREZEZ_TEST(tst_BoutSheetPrint)
#include "tst_BoutSheetPrint.moc"
