#include "ConsoleFixture.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "console/modShowDigits.h"

#include <QSignalSpy>
#include <QTest>

namespace {
Match::Field fieldNamed(const QString &name) {
    return Match::Field(Match::FieldFromName(name));
}

// Puts a number (or a blank, for "") on a field of the match.
void showText(Match &m, Match::Field field, const QString &text) {
    MatchCommand c =
        command(text.isEmpty() ? MatchCommand::Kind::Clear : MatchCommand::Kind::SetNumber);
    c.field = field;
    c.value = text.toInt();
    m.apply(c);
    QCOMPARE(m.ShownText(field), text);
}

// The field as a spectator reads its digits.
QString picture(const Match &m, Match::Field field) {
    return numberShown(m.Value(field), Match::DigitCount(field));
}
} // namespace

class tst_modShowDigits : public QObject {
    Q_OBJECT

private slots:
    void init() { modGlobals::SetDefaults(); }

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
        QTest::newRow("-3 on 2 blanks") << "pledGuestMatch" << 2 << 99 << "2"
                                        << "-3"
                                        << "  ";
        QTest::newRow("-5 on 2 refused") << "pledGuestMatch" << 2 << 99 << "2"
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
        QTest::newRow("+1 above the points limit") << "pledHomeMatch" << 2 << 99 << "99"
                                                   << "+1"
                                                   << "99";
        QTest::newRow("19 down to -1 blanks") << "pledHomeMatch" << 2 << 99 << "19"
                                              << "-9-9-1-1"
                                              << "  ";
        QTest::newRow("blank -1 stays blank") << "pledHomeMatch" << 2 << 99 << ""
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
        Match m;
        KeyConsole k(m);
        const Match::Field f = fieldNamed(field);
        QCOMPARE(Match::DigitCount(f), digits);
        QCOMPARE(Match::UpperLimit(f), qint16(high));
        showText(m, f, shown);
        for (QChar c : keys)
            k.keyPress(f, c.unicode());
        QCOMPARE(::picture(m, f), picture);
    }

    void anotherFieldDiscardsTheTypedText() {
        Match m;
        KeyConsole k(m);
        showText(m, Match::pledMatch, QStringLiteral("4"));
        k.keyPress(Match::pledMatch, '1');
        k.keyPress(Match::pledWeight, '2');
        k.keyPress(Match::pledWeight, '\r');
        QCOMPARE(picture(m, Match::pledWeight), QStringLiteral("  2"));
        k.keyPress(Match::pledMatch, '\r');
        QCOMPARE(picture(m, Match::pledMatch), QStringLiteral("  4"));
    }

    // The Enter that habit adds after an entry already taken is no refusal; one on nothing is.
    void enterAfterATakenEntry_data() {
        QTest::addColumn<QString>("keys"); // '|' moves to the weight field
        QTest::addColumn<int>("refused");
        QTest::newRow("period digit, Enter") << "p3\r" << 0;
        QTest::newRow("+2, Enter") << "s+2\r" << 0;
        QTest::newRow("+2, Enter, Enter") << "s+2\r\r" << 1;
        QTest::newRow("Enter on nothing") << "s\r" << 1;
        QTest::newRow("period digit, Enter on the weight") << "p3|\r" << 1;
    }
    void enterAfterATakenEntry() {
        QFETCH(QString, keys);
        QFETCH(int, refused);
        Match m;
        KeyConsole k(m);
        QSignalSpy spy(&k, &KeyConsole::Refused);
        Match::Field f = keys[0] == QLatin1Char('p') ? Match::pledPeriod : Match::pledHomeScore;
        for (QChar c : keys.mid(1)) {
            if (c == QLatin1Char('|'))
                f = Match::pledWeight;
            else
                k.keyPress(f, c.unicode());
        }
        QCOMPARE(spy.size(), refused);
    }

    void aClearKeyThatIsADigit() {
        modGlobals::ClearKey = '5';
        Match m;
        KeyConsole k(m);
        showText(m, Match::pledMatch, QStringLiteral("12"));
        k.keyPress(Match::pledMatch, '5');
        QCOMPARE(picture(m, Match::pledMatch), QStringLiteral("   "));
    }
};

DAREZEZ_TEST_GUILESS(tst_modShowDigits)
#include "tst_modShowDigits.moc"
