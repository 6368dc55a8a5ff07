// The settings file as it may be found after a crash, a bad disk or another program:
// garbage, cut short, not a file, written by two copies of the program, or cut off by a
// kill in the middle of a save. The program always starts with usable options.
#include "TestMain.h"
#include "TestSupport.h"
#include "settings/modGlobals.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <cstdio>

namespace {
// Every option within its range, as the board needs it.
QString unusable() {
    using namespace modGlobals;
    for (qint32 c : {FormColor, TextColor, LEDBackColor, LEDScoreColor, LEDTimeColor})
        if (c < 0 || c > 16777215)
            return QStringLiteral("colour %1").arg(c);
    // 0 is unbound: a key cut to a reserved one ("99" to Tab's 9) leaves its command so.
    for (int k : {StartStopClockKey, ResetClockKey, ClearKey, BuzzerKey})
        if (k < 0 || k > 255)
            return QStringLiteral("key %1").arg(k);
    if (LEDType != 0 && LEDType != 1)
        return QStringLiteral("digit style %1").arg(LEDType);
    return {};
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A second copy of the program, saving as the operator would: this test in child mode.
QProcess *startChild(const QString &dir, const QString &mode, const QString &home) {
    auto p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DAREZEZ_FAULT_CHILD"), mode);
    env.insert(QStringLiteral("DAREZEZ_FAULT_DIR"), dir);
    env.insert(QStringLiteral("DAREZEZ_FAULT_HOME"), home);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("tst_settingsFaults"), QStringLiteral("childSaves")});
    return p;
}

// Reads the child's output until a line `line` comes, or the child ends without one.
bool waitForLine(QProcess &child, const char *line) {
    for (;;) {
        while (child.canReadLine())
            if (child.readLine().trimmed() == line)
                return true;
        if (child.state() != QProcess::Running)
            return false;
        child.waitForReadyRead(1000);
    }
}
} // namespace

class tst_settingsFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsSandbox> sandbox;

private slots:
    void init() {
        if (qEnvironmentVariableIsEmpty("DAREZEZ_FAULT_CHILD"))
            sandbox = std::make_unique<SettingsSandbox>();
        modGlobals::SetDefaults();
    }
    void cleanup() { sandbox.reset(); }

    void randomBytes() {
        QRandomGenerator rng(42);
        for (int i = 0; i < 300; ++i) {
            QByteArray junk(int(rng.bounded(4096)), Qt::Uninitialized);
            for (char &c : junk)
                c = char(rng.bounded(256));
            writeFile(sandbox->fileName(), junk);
            modGlobals::LoadOptions();
            QVERIFY2(unusable().isEmpty(), qPrintable(unusable()));
        }
        // Saving over junk writes a good file, the junk kept aside when it is not INI.
        modGlobals::HomeText = QStringLiteral("Owls");
        const bool saved = modGlobals::SaveOptions();
        if (!saved) {
            QSettings probe(sandbox->fileName(), QSettings::IniFormat);
            qWarning("status %d; file %s", int(probe.status()),
                     readFile(sandbox->fileName()).toHex().left(200).constData());
        }
        QVERIFY(saved);
        modGlobals::SetDefaults();
        modGlobals::LoadOptions();
        QCOMPARE(modGlobals::HomeText, QStringLiteral("Owls"));
        QCOMPARE(QSettings(sandbox->fileName(), QSettings::IniFormat).status(), QSettings::NoError);
        QVERIFY(readFile(sandbox->fileName()).contains("HomeText=Owls"));
    }

    void cutShort() {
        modGlobals::HomeText = QStringLiteral("Hawks");
        modGlobals::LEDScoreColor = 65280;
        modGlobals::BuzzerKey = 'j';
        QVERIFY(modGlobals::SaveOptions());
        const QByteArray whole = readFile(sandbox->fileName());
        for (int n = 0; n < whole.size(); ++n) {
            writeFile(sandbox->fileName(), whole.left(n));
            modGlobals::LoadOptions();
            QVERIFY2(unusable().isEmpty(), qPrintable(unusable()));
            // Each option is what was saved or, when cut away, its default: never a part.
            QVERIFY(modGlobals::HomeText == QLatin1String("Hawks") ||
                    modGlobals::HomeText == QLatin1String("Home") ||
                    QStringLiteral("Hawks").startsWith(modGlobals::HomeText));
            // A number cut short is still a number: "106" may read as 1 or 10.
            QVERIFY(QStringLiteral("106").startsWith(QString::number(modGlobals::BuzzerKey)) ||
                    modGlobals::BuzzerKey == 98);
        }
    }

    void notAFile() {
        QDir().mkpath(sandbox->fileName()); // a folder where the file should be
        modGlobals::LoadOptions();
        QVERIFY(unusable().isEmpty());
        QCOMPARE(modGlobals::HomeText, QStringLiteral("Home"));
        QVERIFY(!modGlobals::SaveOptions()); // reported, so the dialog can say so
        QVERIFY(QFileInfo(sandbox->fileName()).isDir());
    }

    void killedWhileSaving() {
        for (int round = 0; round < 15; ++round) {
            std::unique_ptr<QProcess> child(
                startChild(sandbox->dir.path(), QStringLiteral("loop"),
                           round % 2 ? QStringLiteral("Lions") : QStringLiteral("Tigers")));
            QVERIFY(child->waitForStarted());
            // Killed only once a whole save is on disk, at a different point of a later
            // save in each round.
            QVERIFY2(waitForLine(*child, "saved"), qPrintable(child->readAll()));
            QThread::msleep(7 * round);
            ::kill(pid_t(child->processId()), SIGKILL);
            child->waitForFinished();
            QVERIFY(QFileInfo::exists(sandbox->fileName()));
            QSettings store(sandbox->fileName(), QSettings::IniFormat);
            QCOMPARE(store.status(), QSettings::NoError);
            modGlobals::LoadOptions();
            QVERIFY(unusable().isEmpty());
            const QString home = modGlobals::HomeText;
            QVERIFY2(home == QLatin1String("Tigers") || home == QLatin1String("Lions"),
                     qPrintable(home));
            // Every option is there: no save is half written.
            QCOMPARE(store.allKeys().size(), 36);
        }
    }

    void twoCopiesSaveInTurn() {
        for (const char *home : {"Cougars", "Wolves", "Cougars"}) {
            std::unique_ptr<QProcess> child(
                startChild(sandbox->dir.path(), QStringLiteral("once"), QLatin1String(home)));
            QVERIFY(child->waitForFinished(20000));
            QCOMPARE(child->exitCode(), 0);
            modGlobals::LoadOptions();
            QCOMPARE(modGlobals::HomeText, QLatin1String(home));
            QCOMPARE(modGlobals::GuestText, QStringLiteral("Guest of ") + QLatin1String(home));
        }
    }

    // The other copy of the program (only when started by the tests above).
    void childSaves() {
        const QString mode = qEnvironmentVariable("DAREZEZ_FAULT_CHILD");
        if (mode.isEmpty())
            QSKIP("runs only as the second copy started by the fault tests");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           qEnvironmentVariable("DAREZEZ_FAULT_DIR"));
        modGlobals::HomeText = qEnvironmentVariable("DAREZEZ_FAULT_HOME");
        modGlobals::GuestText = QStringLiteral("Guest of ") + modGlobals::HomeText;
        QVERIFY(modGlobals::SaveOptions());
        std::fputs("saved\n", stdout);
        std::fflush(stdout);
        while (mode == QLatin1String("loop"))
            QVERIFY(modGlobals::SaveOptions());
    }
};

DAREZEZ_TEST(tst_settingsFaults)
#include "tst_settingsFaults.moc"
