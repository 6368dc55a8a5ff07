#include "TestSupport.h"
#include "clock/modShowDigits.h"

#include <QTest>

namespace {
struct Recorder : KeyCommands {
    QList<int> keys;
    void AllKeyPress(int k) override { keys << k; }
};

void showText(FakeDigits &d, const QString &text) {
    for (int i = 0; i < d.count(); ++i)
        d.setCaption(i, i < text.size() ? text[text.size() - 1 - i].unicode() - '0' : -1);
}
} // namespace

class tst_modShowDigits : public QObject {
    Q_OBJECT

private slots:
    void init() {
        modShowDigits::Reset();
        modGlobals::SetDefaults();
    }

    void entry_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("high");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("picture");
        QTest::newRow("+3 on 12 acts at once") << "pledHomeScore" << 3 << 199 << "12"
                                               << "+3"
                                               << " 15";
        QTest::newRow("+5 on 198 refused") << "pledHomeScore" << 3 << 199 << "198"
                                           << "+5"
                                           << "198";
        QTest::newRow("-3 on 2 blanks") << "pledGuestMatch" << 2 << 19 << "2"
                                        << "-3"
                                        << "  ";
        QTest::newRow("-5 on 2 refused") << "pledGuestMatch" << 2 << 19 << "2"
                                         << "-5"
                                         << " 2";
        QTest::newRow("blank +4") << "pledMatch" << 3 << 999 << ""
                                  << "+4"
                                  << "  4";
        QTest::newRow("blank + Enter") << "pledMatch" << 3 << 999 << ""
                                       << "+\r"
                                       << "  0";
        QTest::newRow("blank - Enter") << "pledMatch" << 3 << 999 << ""
                                       << "-\r"
                                       << "  0";
        QTest::newRow("1000 on the weight") << "pledWeight" << 3 << 999 << "145"
                                            << "1000\r"
                                            << "145";
        QTest::newRow("007") << "pledWeight" << 3 << 999 << ""
                             << "007\r"
                             << "  7";
        QTest::newRow("period takes a digit at once") << "pledPeriod" << 1 << 9 << ""
                                                      << "3"
                                                      << "3";
        QTest::newRow("period +2") << "pledPeriod" << 1 << 9 << "3"
                                   << "+2"
                                   << "5";
        QTest::newRow("period +7 refused") << "pledPeriod" << 1 << 9 << "5"
                                           << "+7"
                                           << "5";
        QTest::newRow("clear key") << "pledHomeScore" << 3 << 199 << "45"
                                   << "c"
                                   << "   ";
        QTest::newRow("upper-case clear is no clear") << "pledHomeScore" << 3 << 199 << "45"
                                                      << "C"
                                                      << " 45";
        QTest::newRow("clear in a single digit") << "pledPeriod" << 1 << 9 << "4"
                                                 << "c"
                                                 << " ";
        QTest::newRow("space starts over") << "pledHomeScore" << 3 << 199 << ""
                                           << "45 6\r"
                                           << "  6";
        QTest::newRow("0 then +1") << "pledHomeScore" << 3 << 199 << ""
                                   << "0\r+1"
                                   << "  1";
        QTest::newRow("clear keeps the typed text") << "pledMatch" << 3 << 999 << "5"
                                                    << "12c\r"
                                                    << " 12";
        QTest::newRow("letters are not typed") << "pledMatch" << 3 << 999 << ""
                                               << "1x2\r"
                                               << " 12";
        QTest::newRow("Enter with nothing typed") << "pledMatch" << 3 << 999 << "88"
                                                  << "\r"
                                                  << " 88";
        QTest::newRow("digits after a sign stop at it") << "pledMatch" << 3 << 999 << ""
                                                        << "12+3\r"
                                                        << " 12";
        QTest::newRow("150 shows its half digit") << "pledHomeScore" << 3 << 199 << ""
                                                  << "150\r"
                                                  << "150";
        QTest::newRow("200 above the score limit") << "pledHomeScore" << 3 << 199 << "150"
                                                   << "200\r"
                                                   << "150";
        QTest::newRow("20 above the points limit") << "pledHomeMatch" << 2 << 19 << "19"
                                                   << "20\r"
                                                   << "19";
        QTest::newRow("19 down to -1 blanks") << "pledHomeMatch" << 2 << 19 << "19"
                                              << "-9-9-1-1"
                                              << "  ";
        QTest::newRow("blank -1 stays blank") << "pledHomeMatch" << 2 << 19 << ""
                                              << "-1"
                                              << "  ";
        QTest::newRow("twenty nines do not overflow") << "pledWeight" << 3 << 999 << "1"
                                                      << "99999999999999999999\r"
                                                      << "  1";
        QTest::newRow("sign run") << "pledWeight" << 3 << 999 << "10"
                                  << "+-3"
                                  << "  7";
    }
    void entry() {
        QFETCH(QString, field);
        QFETCH(int, digits);
        QFETCH(int, high);
        QFETCH(QString, shown);
        QFETCH(QString, keys);
        QFETCH(QString, picture);
        FakeDigits d(field, digits);
        showText(d, shown);
        Recorder r;
        for (QChar c : keys)
            modShowDigits::DigitKeyPress(r, d, c.unicode(), -1, qint16(high));
        QCOMPARE(numberPicture(d), picture);
        QCOMPARE(r.keys.size(), keys.size());
        for (int v : d.values)
            QVERIFY(v >= -1 && v <= 9);
    }

    void anotherFieldDiscardsTheTypedText() {
        FakeDigits match(QStringLiteral("pledMatch"), 3);
        FakeDigits weight(QStringLiteral("pledWeight"), 3);
        showText(match, QStringLiteral("4"));
        Recorder r;
        modShowDigits::DigitKeyPress(r, match, '1', -1, 999);
        modShowDigits::DigitKeyPress(r, weight, '2', -1, 999);
        modShowDigits::DigitKeyPress(r, weight, '\r', -1, 999);
        QCOMPARE(numberPicture(weight), QStringLiteral("  2"));
        modShowDigits::DigitKeyPress(r, match, '\r', -1, 999);
        QCOMPARE(numberPicture(match), QStringLiteral("  4"));
    }

    void aClearKeyThatIsADigit() {
        modGlobals::ClearKey = '5';
        FakeDigits d(QStringLiteral("pledMatch"), 3);
        showText(d, QStringLiteral("12"));
        Recorder r;
        modShowDigits::DigitKeyPress(r, d, '5', -1, 999);
        QCOMPARE(numberPicture(d), QStringLiteral("   "));
    }
};

QTEST_GUILESS_MAIN(tst_modShowDigits)
#include "tst_modShowDigits.moc"
