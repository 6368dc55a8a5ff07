#include "TestMain.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace modGlobals;

class tst_modGlobals : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsSandbox> sandbox;

    void writeRaw(const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(sandbox->fileName()).path());
        QFile f(sandbox->fileName());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readRaw() {
        QFile f(sandbox->fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString stored(const QString &key) {
        QSettings s(sandbox->fileName(), QSettings::IniFormat);
        return s.value(key).toString();
    }

private slots:
    void init() {
        sandbox = std::make_unique<SettingsSandbox>();
        SetDefaults();
    }
    void cleanup() { sandbox.reset(); }

    void emptyStoreGivesDefaultsAndStaysEmpty() {
        FormColor = 1;
        HomeText = QStringLiteral("x");
        LoadOptions();
        QCOMPARE(FormColor, 4210752);
        QCOMPARE(TextColor, 16777215);
        QCOMPARE(LEDBackColor, 0);
        QCOMPARE(LEDScoreColor, 33023);
        QCOMPARE(LEDTimeColor, 255);
        QCOMPARE(StartStopClockKey, 115);
        QCOMPARE(ResetClockKey, 114);
        QCOMPARE(ClearKey, 99);
        QCOMPARE(BuzzerKey, 98);
        QCOMPARE(BuzzerFile, QCoreApplication::applicationDirPath() + QDir::separator() +
                                 QStringLiteral("buzzer.wav"));
        QCOMPARE(HomeText, QStringLiteral("Home"));
        QCOMPARE(GuestText, QStringLiteral("Guest"));
        QCOMPARE(LEDType, qint16(0));
        QVERIFY(!QFile::exists(sandbox->fileName()));
        QVERIFY(QDir(sandbox->dir.path()).isEmpty());
    }

    // A store from before the stoppage keys: a saved binding keeps a key that is now a new
    // command's default, and that command starts unbound; the rule set reads as NFHS unless
    // it is one of the three.
    void newCommandsAgainstAnOlderStore_data() {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QList<int>>("stoppageKeys"); // injury, blood, recovery, head-neck
        QTest::addColumn<QByteArray>("ruleSet");
        QTest::addColumn<int>("expectedSet");
        QTest::addColumn<int>("takedownKey");
        const QList<int> defaults{105, 108, 118, 107};
        QTest::newRow("nothing taken") << QByteArray() << defaults << QByteArray() << 0 << 116;
        QTest::newRow("start key on i")
            << QByteArray("StartStopClockKey=105\n") << QList<int>{0, 108, 118, 107}
            << QByteArray("NCAA") << 1 << 116;
        QTest::newRow("buzzer on k, clear on l")
            << QByteArray("BuzzerKey=107\nClearKey=108\n") << QList<int>{105, 0, 118, 0}
            << QByteArray("UWW") << 2 << 116;
        QTest::newRow("saved unbound stays unbound")
            << QByteArray("InjuryKey=0\n") << QList<int>{0, 108, 118, 107} << QByteArray("nfhs")
            << 0 << 116;
        QTest::newRow("undo and redo are no binding")
            << QByteArray("BuzzerKey=26\nBloodKey=25\nInjuryKey=26\n") << QList<int>{0, 0, 118, 107}
            << QByteArray() << 0 << 116;
        QTest::newRow("Tab is no binding; a saved t keeps the takedown unbound")
            << QByteArray("InjuryKey=9\nResetClockKey=116\n") << QList<int>{0, 108, 118, 107}
            << QByteArray() << 0 << 0;
        QTest::newRow("saved binding used")
            << QByteArray("StartStopClockKey=105\nInjuryKey=106\n")
            << QList<int>{106, 108, 118, 107} << QByteArray("Olympic") << 0 << 116;
    }
    void newCommandsAgainstAnOlderStore() {
        QFETCH(QByteArray, keys);
        QFETCH(QList<int>, stoppageKeys);
        QFETCH(QByteArray, ruleSet);
        QFETCH(int, expectedSet);
        QFETCH(int, takedownKey);
        writeRaw("[KeySettings]\n" + keys + "[RuleSettings]\nRuleSet=" + ruleSet + "\n");
        LoadOptions();
        for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind)
            QCOMPARE(StoppageKey(kind), stoppageKeys[kind]);
        QCOMPARE(int(RuleSet), expectedSet);
        QCOMPARE(MoveKey(int(RuleBook::Move::Takedown)), takedownKey);
        QVERIFY(BuzzerKey != UndoKey);
    }

    void oneSaveWritesEveryOption() {
        LoadOptions();
        QVERIFY(SaveOptions());
        const QList<QPair<QString, QString>> expected = {
            {"ColorSettings/FormColor", "4210752"}, {"ColorSettings/TextColor", "16777215"},
            {"ColorSettings/LEDBackColor", "0"},    {"ColorSettings/LEDScoreColor", "33023"},
            {"ColorSettings/LEDTimeColor", "255"},  {"KeySettings/StartStopClockKey", "115"},
            {"KeySettings/ResetClockKey", "114"},   {"KeySettings/ClearKey", "99"},
            {"KeySettings/BuzzerKey", "98"},        {"KeySettings/BuzzerFile", DefaultBuzzerFile()},
            {"TextSettings/HomeText", "Home"},      {"TextSettings/GuestText", "Guest"},
            {"TextSettings/TitleText", ""},         {"PicSettings/LEDType", "0"},
            {"FeedSettings/Enabled", "0"},          {"FeedSettings/Port", "8080"},
            {"FeedSettings/Network", "0"},          {"FeedSettings/Control", "0"},
            {"KeySettings/InjuryKey", "105"},       {"KeySettings/BloodKey", "108"},
            {"KeySettings/RecoveryKey", "118"},     {"KeySettings/HeadNeckKey", "107"},
            {"RuleSettings/RuleSet", "NFHS"},       {"KeySettings/NextPeriodKey", "112"},
            {"KeySettings/NextBoutKey", "110"},     {"KeySettings/BoutResultKey", "101"},
            {"KeySettings/BoutSheetKey", "109"},    {"KeySettings/LineupKey", "117"},
            {"KeySettings/TakedownKey", "116"},     {"KeySettings/EscapeKey", "120"},
            {"KeySettings/ReversalKey", "119"},     {"KeySettings/NearFallKey", "102"},
            {"KeySettings/AmplitudeKey", "103"},    {"KeySettings/PenaltyKey", "97"},
            {"KeySettings/StallingKey", "122"},     {"KeySettings/CautionKey", "113"},
        };
        QSettings s(sandbox->fileName(), QSettings::IniFormat);
        QCOMPARE(s.allKeys().size(), expected.size());
        for (const auto &[key, value] : expected) {
            QVERIFY2(s.contains(key), qPrintable(key));
            QCOMPARE(s.value(key).toString(), value);
        }
        // Numbers are plain decimal texts in the file itself.
        const QByteArray raw = readRaw();
        QVERIFY(raw.contains("FormColor=4210752\n"));
        QVERIFY(raw.contains("[PicSettings]\nLEDType=0\n"));
    }

    void savedValuesLoadBack() {
        StartStopClockKey = 83; // "S", distinct from "s"
        BuzzerKey = 0x263A;     // beyond one byte
        LEDType = 1;
        FormColor = 123456;
        BuzzerFile = QStringLiteral("/somewhere/else/horn.wav");
        QVERIFY(SaveOptions());
        SetDefaults();
        LoadOptions();
        QCOMPARE(StartStopClockKey, 83);
        QCOMPARE(BuzzerKey, 0x263A);
        QCOMPARE(LEDType, qint16(1));
        QCOMPARE(FormColor, 123456);
        QCOMPARE(BuzzerFile, QStringLiteral("/somewhere/else/horn.wav"));
    }

    void textsRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("leading and trailing spaces") << "  Lions  ";
        QTest::newRow("equals") << "a=b";
        QTest::newRow("semicolon") << "a;b";
        QTest::newRow("comma") << "Smith, J.";
        QTest::newRow("quotes") << "\"Hawks\" 'A'";
        QTest::newRow("backslashes") << "C:\\Sounds\\horn.wav";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Mönchen Ørsted 東京 ✓");
        QTest::newRow("at sign") << "@Variant(abc)";
        QTest::newRow("hash") << "#1 team";
        QTest::newRow("brackets") << "[TextSettings]";
        QTest::newRow("newline") << "two\nlines";
        QTest::newRow("percent") << "100%";
    }
    void textsRoundTrip() {
        QFETCH(QString, text);
        HomeText = text;
        GuestText = text;
        BuzzerFile = text;
        QVERIFY(SaveOptions());
        SetDefaults();
        LoadOptions();
        QCOMPARE(HomeText, text);
        QCOMPARE(GuestText, text);
        QCOMPARE(BuzzerFile, text);
    }

    void unusableValues_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("raw");
        QTest::newRow("colour not a number") << "ColorSettings"
                                             << "FormColor"
                                             << "dark";
        QTest::newRow("colour negative") << "ColorSettings"
                                         << "TextColor"
                                         << "-1";
        QTest::newRow("colour too large") << "ColorSettings"
                                          << "LEDBackColor"
                                          << "16777216";
        QTest::newRow("colour with a unit") << "ColorSettings"
                                            << "LEDScoreColor"
                                            << "255px";
        QTest::newRow("colour in hex") << "ColorSettings"
                                       << "LEDTimeColor"
                                       << "0xFF";
        QTest::newRow("colour beyond 64 bits") << "ColorSettings"
                                               << "FormColor"
                                               << "99999999999999999999999";
        QTest::newRow("key zero") << "KeySettings"
                                  << "StartStopClockKey"
                                  << "0";
        QTest::newRow("key beyond UTF-16") << "KeySettings"
                                           << "ResetClockKey"
                                           << "65536";
        QTest::newRow("key a letter") << "KeySettings"
                                      << "ClearKey"
                                      << "c";
        QTest::newRow("key empty") << "KeySettings"
                                   << "BuzzerKey"
                                   << "";
        QTest::newRow("style 2") << "PicSettings"
                                 << "LEDType"
                                 << "2";
        QTest::newRow("style -1") << "PicSettings"
                                  << "LEDType"
                                  << "-1";
        QTest::newRow("style a list") << "PicSettings"
                                      << "LEDType"
                                      << "1,0";
    }
    void unusableValues() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, raw);
        const QByteArray file =
            "[ColorSettings]\nFormColor=1\nTextColor=2\nLEDBackColor=3\n"
            "LEDScoreColor=4\nLEDTimeColor=5\n[KeySettings]\n"
            "StartStopClockKey=65\nResetClockKey=66\nClearKey=67\nBuzzerKey=68\n"
            "[PicSettings]\nLEDType=1\n[TextSettings]\nHomeText=Lions\n";
        QByteArray text = file;
        const QByteArray line = key.toUtf8() + '=';
        const qsizetype at = text.indexOf(line);
        text.replace(at, text.indexOf('\n', at) - at, line + raw.toUtf8());
        writeRaw(text);
        LoadOptions();
        const QMap<QString, int> values = {
            {"FormColor", FormColor},         {"TextColor", TextColor},
            {"LEDBackColor", LEDBackColor},   {"LEDScoreColor", LEDScoreColor},
            {"LEDTimeColor", LEDTimeColor},   {"StartStopClockKey", StartStopClockKey},
            {"ResetClockKey", ResetClockKey}, {"ClearKey", ClearKey},
            {"BuzzerKey", BuzzerKey},         {"LEDType", LEDType}};
        const QMap<QString, int> defaults = {{"FormColor", 4210752}, {"TextColor", 16777215},
                                             {"LEDBackColor", 0},    {"LEDScoreColor", 33023},
                                             {"LEDTimeColor", 255},  {"StartStopClockKey", 115},
                                             {"ResetClockKey", 114}, {"ClearKey", 99},
                                             {"BuzzerKey", 98},      {"LEDType", 0}};
        const QMap<QString, int> inFile = {{"FormColor", 1},      {"TextColor", 2},
                                           {"LEDBackColor", 3},   {"LEDScoreColor", 4},
                                           {"LEDTimeColor", 5},   {"StartStopClockKey", 65},
                                           {"ResetClockKey", 66}, {"ClearKey", 67},
                                           {"BuzzerKey", 68},     {"LEDType", 1}};
        for (auto it = values.begin(); it != values.end(); ++it)
            QCOMPARE(it.value(), it.key() == key ? defaults[it.key()] : inFile[it.key()]);
        QCOMPARE(HomeText, QStringLiteral("Lions"));
        QCOMPARE(readRaw(), text); // left as it was
    }

    void feedSettingsLoad_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("network");
        QTest::newRow("no section is off") << QByteArray() << false << 8080 << false;
        QTest::newRow("stored") << QByteArray("Enabled=1\nPort=9000\nNetwork=1\n") << true << 9000
                                << true;
        QTest::newRow("lowest port")
            << QByteArray("Enabled=1\nPort=1024\n") << true << 1024 << false;
        QTest::newRow("highest port") << QByteArray("Port=65535\n") << false << 65535 << false;
        QTest::newRow("port too low")
            << QByteArray("Enabled=1\nPort=80\n") << true << 8080 << false;
        QTest::newRow("port too high") << QByteArray("Port=65536\n") << false << 8080 << false;
        QTest::newRow("not numbers")
            << QByteArray("Enabled=yes\nPort=x\nNetwork=all\n") << false << 8080 << false;
        QTest::newRow("out of range flags")
            << QByteArray("Enabled=2\nNetwork=-1\n") << false << 8080 << false;
    }
    void feedSettingsLoad() {
        QFETCH(QByteArray, section);
        QFETCH(bool, enabled);
        QFETCH(int, port);
        QFETCH(bool, network);
        FeedEnabled = !enabled;
        FeedPort = 1;
        FeedNetwork = !network;
        QByteArray file = "[TextSettings]\nHomeText=Lions\n";
        if (!section.isEmpty())
            file += "[FeedSettings]\n" + section;
        writeRaw(file);
        LoadOptions();
        QCOMPARE(FeedEnabled, enabled);
        QCOMPARE(FeedPort, port);
        QCOMPARE(FeedNetwork, network);
        QCOMPARE(HomeText, QStringLiteral("Lions"));
    }

    void feedSettingsRoundTrip() {
        FeedEnabled = true;
        FeedPort = 10080;
        FeedNetwork = true;
        FeedControl = true;
        QVERIFY(SaveOptions());
        QVERIFY(
            readRaw().contains("[FeedSettings]\nControl=1\nEnabled=1\nNetwork=1\nPort=10080\n"));
        SetDefaults();
        QCOMPARE(FeedEnabled, false);
        LoadOptions();
        QCOMPARE(FeedEnabled, true);
        QCOMPARE(FeedPort, 10080);
        QCOMPARE(FeedNetwork, true);
        QCOMPARE(FeedControl, true);
    }

    void fileThatIsNotIni() {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 7919 + 13) % 256));
        junk.prepend("[ColorSettings\nFormColor=1\n\x01\x02=");
        writeRaw(junk);
        LoadOptions();
        QCOMPARE(FormColor, DefaultFormColor);
        QCOMPARE(HomeText, QStringLiteral("Home"));
        QCOMPARE(readRaw(), junk);
        HomeText = QStringLiteral("Saved");
        QVERIFY(SaveOptions());
        SetDefaults();
        LoadOptions();
        QCOMPARE(HomeText, QStringLiteral("Saved"));
        QFile aside(sandbox->fileName() + QStringLiteral(".unreadable"));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), junk);
    }

    void storeThatCannotBeWritten() {
        // The store's folder is a plain file, so nothing can be created below it.
        const QString blocker = sandbox->dir.filePath(QStringLiteral("blocked"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker);
        HomeText = QStringLiteral("Tigers");
        QVERIFY(!SaveOptions());
        QCOMPARE(HomeText, QStringLiteral("Tigers"));
        QVERIFY(SettingsFileName().startsWith(blocker));
    }
};

DAREZEZ_TEST_GUILESS(tst_modGlobals)
#include "tst_modGlobals.moc"
