// The welcome window: where it stands, what a click does, and what it hands the board.
#include "Dialogs.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "appearance/Twips.h"
#include "led/LedGroup.h"
#include "led/VaviZAV.h"
#include "scoreboard/frmScoreboard.h"
#include "settings/modGlobals.h"
#include "startup/Program.h"
#include "startup/SplashPlacement.h"
#include "startup/frmHelp.h"
#include "startup/frmSplash.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
frmScoreboard *openBoard() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto board = qobject_cast<frmScoreboard *>(w); board && board->isVisible())
            return board;
    }
    return nullptr;
}
} // namespace

class tst_frmSplash : public QObject {
    Q_OBJECT

    SettingsSandbox *sandbox = nullptr;

private slots:
    void init() {
        sandbox = new SettingsSandbox;
        modGlobals::SetDefaults();
    }
    void cleanup() {
        for (QWidget *w : QApplication::topLevelWidgets())
            delete w;
        frmHelp::DestroyInstance();
        delete sandbox;
    }

    void placement_data() {
        QTest::addColumn<QSizeF>("screen");   // pixels
        QTest::addColumn<QPointF>("topLeft"); // twips: left, top
        QTest::newRow("1024 x 768") << QSizeF(1024, 768) << QPointF(4560, 2820);
        QTest::newRow("800 x 600") << QSizeF(800, 600) << QPointF(2880, 1560);
        QTest::newRow("1920 x 1080") << QSizeF(1920, 1080) << QPointF(11280, 5160);
        // Too small for it: it stands partly off the top.
        QTest::newRow("640 x 360") << QSizeF(640, 360) << QPointF(1680, -240);
    }
    void placement() {
        QFETCH(QSizeF, screen);
        QFETCH(QPointF, topLeft);
        QCOMPARE(SplashPlacement::TopLeft(screen.width() * 15, screen.height() * 15, 6240),
                 topLeft);
    }

    void loadsPlacedWithVersionAndOptions() {
        {
            QSettings store(modGlobals::SettingsFileName(), QSettings::IniFormat);
            store.setValue(QStringLiteral("TextSettings/HomeText"), QStringLiteral("Lions"));
        }
        auto splash = Program::Welcome(nullptr);
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QCOMPARE(modGlobals::HomeText, QStringLiteral("Lions"));
        QCOMPARE(splash->findChild<QLabel *>("lblVersion")->text(),
                 QStringLiteral("Version 1.0.0"));
        QCOMPARE(splash->findChild<QLabel *>("lblSystem")->text(), QStringLiteral("Linux"));
        QCOMPARE(splash->size(), QSize(416, 216));
        QCOMPARE(Twips::Geometry(splash->findChild<QWidget *>("frameSplash")),
                 QRectF(120, 0, 6000, 3120));
        QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPointF at =
            SplashPlacement::TopLeft(screen.width() * 15.0, screen.height() * 15.0, 6240);
        QCOMPARE(splash->pos(), QPoint(qRound(at.x() / 15), qRound(at.y() / 15)));
        // Nothing is written by starting.
        QVERIFY(QFileInfo(modGlobals::SettingsFileName()).size() > 0);
        QCOMPARE(QSettings(modGlobals::SettingsFileName(), QSettings::IniFormat).allKeys().size(),
                 1);
    }

    // Every element of the welcome window's table, after loading.
    void layout_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<int>("alignment"); // horizontal; 0 for buttons
        QTest::addColumn<double>("points"); // Times New Roman; 0: the window's own font
        const auto row = [](const char *control, const char *holder, const char *text, QRectF rect,
                            Qt::Alignment alignment, double points) {
            QTest::newRow(control) << control << holder << text << rect << int(alignment) << points;
        };
        row("picLogo", "frmSplash", "", {360, 900, 2100, 2100}, Qt::AlignHCenter, 0);
        row("frameSplash", "frmSplash", "", {120, 0, 6000, 3120}, {}, 0);
        row("lblName", "frameSplash", "Darezez", {653, 240, 4935, 735}, Qt::AlignHCenter, 27.75);
        row("lblSystem", "frameSplash", "Linux", {4200, 960, 1455, 375}, Qt::AlignRight, 15.75);
        row("lblClick", "frameSplash", "Click to continue.", {2520, 960, 1335, 255}, Qt::AlignLeft,
            0);
        row("Label1", "frameSplash", "Press ' h ' on the scoreboard to view help.",
            {2520, 1200, 1815, 495}, Qt::AlignLeft, 0);
        row("lblVersion", "frameSplash", "Version 1.0.0", {3480, 1680, 2175, 375}, Qt::AlignRight,
            15.75);
        row("cmdHelp", "frameSplash", "&Help", {3120, 2160, 1215, 375}, {}, 0);
        row("cmdOptions", "frameSplash", "&Options", {4560, 2160, 1215, 375}, {}, 0);
        row("lblMadeBy", "frameSplash", "Created by Quenlith", {3120, 2760, 2655, 255},
            Qt::AlignRight, 0);
    }
    void layout() {
        QFETCH(QString, control);
        QFETCH(QString, holder);
        QFETCH(QString, text);
        QFETCH(QRectF, rect);
        QFETCH(int, alignment);
        QFETCH(double, points);
        auto splash = Program::Welcome(nullptr);
        auto w = splash->findChild<QWidget *>(control);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->objectName(), holder);
        QCOMPARE(Twips::Geometry(w), rect);
        if (auto button = qobject_cast<QPushButton *>(w))
            QCOMPARE(button->text(), text);
        if (auto label = qobject_cast<QLabel *>(w)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
        }
        if (points > 0) {
            QCOMPARE(w->font().families().value(0), QStringLiteral("Times New Roman"));
            QCOMPARE(w->font().pixelSize(), qRound(points * 96 / 72));
        } else {
            QCOMPARE(w->font(), splash->font());
        }
    }

    void logoInFrontOfTheFrame() {
        auto splash = Program::Welcome(nullptr);
        const QPoint logo = splash->findChild<QWidget *>("picLogo")->geometry().center();
        QCOMPARE(splash->childAt(logo)->objectName(), QStringLiteral("picLogo"));
    }

    void clicks_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("continues");
        for (const char *name : {"frmSplash", "frameSplash", "picLogo", "lblName", "lblSystem",
                                 "lblClick", "Label1", "lblVersion", "lblMadeBy"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("cmdHelp") << "cmdHelp" << false;
        QTest::newRow("cmdOptions") << "cmdOptions" << false;
    }
    void clicks() {
        QFETCH(QString, target);
        QFETCH(bool, continues);
        QPointer<frmSplash> splash = Program::Welcome(nullptr);
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QWidget *w = target == QLatin1String("frmSplash") ? splash.data()
                                                          : splash->findChild<QWidget *>(target);
        QVERIFY(w);
        // An empty spot: the window's own left margin, the frame's lower left corner.
        const QPoint at = target == QLatin1String("frmSplash")     ? QPoint(3, 100)
                          : target == QLatin1String("frameSplash") ? QPoint(170, 200)
                                                                   : w->rect().center();
        if (target == QLatin1String("frameSplash"))
            QCOMPARE(w->childAt(at), nullptr);
        bool modal = false;
        if (target == QLatin1String("cmdOptions"))
            whileModal([&](QDialog *d) { modal = d->objectName() == QLatin1String("frmOptions"); });
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        if (continues) {
            QTRY_VERIFY(!splash);
            QVERIFY(openBoard());
        } else {
            // A closed window would be deleted later: let that happen now.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(splash && splash->isVisible());
            QVERIFY(!openBoard());
            if (target == QLatin1String("cmdHelp"))
                QVERIFY(frmHelp::Instance() && frmHelp::Instance()->isVisible());
            else
                QVERIFY(modal);
        }
    }

    void emptyStoreGivesEveryDefault() {
        auto splash = Program::Welcome(nullptr);
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        splash->GoScore();
        frmScoreboard *board = openBoard();
        QVERIFY(board);
        QCOMPARE(board->findChild<QLabel *>("lblHomeScore")->text(), QStringLiteral("Home"));
        QCOMPARE(board->findChild<QLabel *>("lblGuestScore")->text(), QStringLiteral("Guest"));
        QCOMPARE(board->palette().color(QPalette::Window), QColor(64, 64, 64));
        const VaviZAV *clock = board->Field(QStringLiteral("pledClock")).at(0);
        QCOMPARE(clock->LitColor(), 255);
        QCOMPARE(clock->BackColor(), 0);
        QCOMPARE(clock->LedType(), 0);
        QCOMPARE(board->Field(QStringLiteral("pledHomeScore")).at(0)->LitColor(), 33023);
        QCOMPARE(modGlobals::StartStopClockKey, 115);
        QCOMPARE(modGlobals::BuzzerFile, modGlobals::DefaultBuzzerFile());
        QVERIFY(!QFileInfo::exists(modGlobals::SettingsFileName()));
    }

    void optionsFromTheWelcomeWindowShowOnTheBoard() {
        QPointer<frmSplash> splash = Program::Welcome(nullptr);
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        whileModal([](QDialog *d) {
            d->findChild<QLineEdit *>("txtHome")->setText(QStringLiteral("Tigers"));
            d->findChild<QLineEdit *>("txtGuest")->setText(QStringLiteral("Bears"));
            d->findChild<QComboBox *>("cmbLedType")->setCurrentIndex(1);
            QTest::mouseClick(d->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
        });
        QTest::mouseClick(splash->findChild<QPushButton *>("cmdOptions"), Qt::LeftButton);
        QVERIFY(splash && splash->isVisible());
        QTest::mouseClick(splash->findChild<QWidget *>("lblClick"), Qt::LeftButton);
        QTRY_VERIFY(!splash);
        frmScoreboard *board = openBoard();
        QVERIFY(board);
        QCOMPARE(board->findChild<QLabel *>("lblHomeScore")->text(), QStringLiteral("Tigers"));
        QCOMPARE(board->findChild<QLabel *>("lblGuestScore")->text(), QStringLiteral("Bears"));
        QCOMPARE(board->Field(QStringLiteral("pledWeight")).at(2)->LedType(), 1);
        QCOMPARE(QSettings(modGlobals::SettingsFileName(), QSettings::IniFormat)
                     .value(QStringLiteral("TextSettings/HomeText"))
                     .toString(),
                 QStringLiteral("Tigers"));
    }
};

DAREZEZ_TEST(tst_frmSplash)
#include "tst_frmSplash.moc"
