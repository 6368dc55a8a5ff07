// The options dialog and the key chooser, driven as the operator drives them: buttons
// clicked, keys pressed, the colour and file choosers answered or cancelled.
#include "Dialogs.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "appearance/PictureBox.h"
#include "appearance/Twips.h"
#include "led/VaviZAV.h"
#include "scoreboard/BoardFixture.h"
#include "settings/frmChooseKey.h"
#include "settings/frmOptions.h"
#include "settings/modGlobals.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>

namespace {
QString text(QWidget *dialog, const char *label) {
    return dialog->findChild<QLabel *>(label)->text();
}
void press(QWidget *dialog, const char *button) {
    QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
}
qint32 swatch(QWidget *dialog, const char *name) {
    return dialog->findChild<PictureBox *>(name)->BackColor();
}
QString stored(const char *key) {
    return QSettings(modGlobals::SettingsFileName(), QSettings::IniFormat)
        .value(QLatin1String(key))
        .toString();
}
// Presses keys into the key chooser that the next Change opens.
void inChooser(const QString &keys, QStringList *shownMessage = nullptr) {
    whileModal([keys, shownMessage](QDialog *d) {
        QPushButton *cancel = d->findChild<QPushButton *>("cmdCancel");
        for (QChar c : keys) {
            if (!d->isVisible())
                break;
            if (c == QLatin1Char('\x1b'))
                QTest::keyClick(cancel, Qt::Key_Escape);
            else
                QTest::keyClick(cancel, c.toLatin1());
            if (shownMessage && d->isVisible())
                *shownMessage << (d->findChild<QLabel *>("lblUsed")->isVisible() ? "shown"
                                                                                 : "hidden");
        }
    });
}
} // namespace

class tst_frmOptions : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsSandbox> sandbox;
    std::unique_ptr<BeepCounter> beeps;

    std::unique_ptr<frmOptions> open() {
        auto d = std::make_unique<frmOptions>(nullptr, nullptr);
        d->show();
        return d;
    }

private slots:
    void init() {
        sandbox = std::make_unique<SettingsSandbox>();
        beeps = std::make_unique<BeepCounter>();
        modGlobals::SetDefaults();
    }
    void cleanup() {
        beeps.reset();
        sandbox.reset();
    }

    void theDialog() {
        auto d = open();
        QCOMPARE(d->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QCOMPARE(text(d.get(), "lblStartStopK"), QStringLiteral("s"));
        QCOMPARE(text(d.get(), "lblBuzzerK"), QStringLiteral("b"));
        auto combo = d->findChild<QComboBox *>("cmbLedType");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Lines"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Dots"));
        QCOMPARE(d->findChild<VaviZAV *>("pledPreview")->Caption(), 8);
        for (const char *b : {"cmdOk", "cmdCancel"}) {
            auto button = d->findChild<QPushButton *>(b);
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
        // Neither Enter nor Esc closes it.
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QTest::keyClick(d.get(), Qt::Key_Return);
        QVERIFY(d->isVisible());
    }

    // Every control of the layout tables, where the tables put it: on its tab page (-1:
    // the dialog), in the frame of that caption, at that rectangle. A frame is named by
    // its caption.
    void layout_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text"); // empty: not checked
        QTest::addColumn<QRectF>("rect");
        const auto row = [](int tab, const char *frame, const char *control, const char *text,
                            QRectF rect) {
            QTest::addRow("%s", control) << tab << frame << control << text << rect;
        };
        const char *keys[][3] = {{"Start / Stop Key:", "cmdStartStopK", "lblStartStopK"},
                                 {"Reset Clock Key:", "cmdResetK", "lblResetK"},
                                 {"Buzzer Key:", "cmdBuzzerK", "lblBuzzerK"},
                                 {"# Clear Key:", "cmdClearK", "lblClearK"}};
        const QPointF keyAt[] = {{240, 480}, {1920, 480}, {3600, 480}, {240, 1560}};
        for (int i = 0; i < 4; ++i) {
            row(0, "", keys[i][0], "", {keyAt[i], QSizeF(1455, 975)});
            row(0, keys[i][0], keys[i][1], "Change", {120, 240, 1215, 375});
            row(0, keys[i][0], keys[i][2], "", {120, 600, 1215, 255});
        }
        row(0, "", "Buzzer Sound", "", {240, 2640, 4815, 735});
        row(0, "Buzzer Sound", "cmdBuzzerSound", "Change", {120, 240, 735, 375});
        row(0, "Buzzer Sound", "lblBuzzerSound", "", {840, 240, 3855, 375});
        row(0, "", "cmdResetKeys", "Reset Keys", {3840, 3480, 1215, 375});
        const char *colors[][3] = {{"Background:", "picBackC", "cmdBackC"},
                                   {"LED Back Color:", "picLedBackC", "cmdLedBackC"},
                                   {"LED Score Color:", "picLedScoreC", "cmdLedScoreC"},
                                   {"Text Color:", "picTextC", "cmdTextC"},
                                   {"LED Time Color:", "picLedTimeC", "cmdLedTimeC"}};
        const QPointF colorAt[] = {{240, 480}, {1920, 480}, {3600, 480}, {240, 1320}, {3600, 1320}};
        for (int i = 0; i < 5; ++i) {
            row(1, "", colors[i][0], "", {colorAt[i], QSizeF(1455, 735)});
            row(1, colors[i][0], colors[i][1], "", {120, 240, 495, 375});
            row(1, colors[i][0], colors[i][2], "Change", {600, 240, 735, 375});
        }
        row(1, "", "Digit Type:", "", {1920, 1320, 1455, 2055});
        row(1, "Digit Type:", "cmbLedType", "", {120, 240, 1215, 315});
        row(1, "Digit Type:", "lblPreview", "Preview:", {360, 720, 855, 255});
        row(1, "Digit Type:", "pledPreview", "", {480, 960, 540, 975});
        row(1, "", "cmdResetColors", "Reset Colors", {3840, 3480, 1215, 375});
        row(2, "", "Home Team:", "", {240, 480, 4935, 975});
        row(2, "Home Team:", "txtHome", "", {120, 360, 4695, 375});
        row(2, "", "Guest Team:", "", {240, 1800, 4935, 1095});
        row(2, "Guest Team:", "txtGuest", "", {120, 360, 4695, 375});
        row(3, "", "chkFeed", "Serve the scoreboard over HTTP", {240, 480, 4815, 315});
        row(3, "", "txtFeedPort", "", {960, 900, 1215, 375});
        row(3, "", "optFeedNetwork", "Every device on the network", {240, 1800, 4815, 315});
        row(-1, "", "sstOptions", "", {120, 120, 8355, 3975});
        row(-1, "", "cmdOk", "&Ok", {3157, 4200, 1095, 375});
        row(-1, "", "cmdCancel", "&Cancel", {4372, 4200, 1095, 375});
    }
    void layout() {
        QFETCH(int, tab);
        QFETCH(QString, frame);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QRectF, rect);
        auto d = open();
        const auto find = [&d](const QString &name) -> QWidget * {
            if (auto w = d->findChild<QWidget *>(name))
                return w;
            for (auto box : d->findChildren<QGroupBox *>())
                if (box->title() == name)
                    return box;
            return nullptr;
        };
        QWidget *w = find(control);
        QVERIFY(w);
        QWidget *holder = !frame.isEmpty() ? find(frame)
                          : tab >= 0
                              ? d->findChild<QWidget *>(QStringLiteral("sstOptionsPage%1").arg(tab))
                              : d.get();
        QCOMPARE(w->parentWidget(), holder);
        if (qobject_cast<VaviZAV *>(w)) {
            // The digit sizes itself within its place.
            QCOMPARE(Twips::Geometry(w).topLeft(), rect.topLeft());
            QVERIFY(rect.contains(Twips::Geometry(w)));
        } else {
            QCOMPARE(Twips::Geometry(w), rect);
        }
        if (auto button = qobject_cast<QAbstractButton *>(w); button && !text.isEmpty())
            QCOMPARE(button->text(), text);
        if (auto label = qobject_cast<QLabel *>(w); label && !text.isEmpty())
            QCOMPARE(label->text(), text);
    }

    void broadcastIsTheFourthTab() {
        auto d = open();
        auto tabs = d->findChild<QTabBar *>("sstOptionsTabs");
        QCOMPARE(tabs->count(), 7);
        // Every caption whole, side by side: no tab behind a scroll button.
        QVERIFY(tabs->tabRect(tabs->count() - 1).right() < tabs->width());
        QCOMPARE(tabs->tabText(3), QStringLiteral("Broadcast"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(!d->findChild<QCheckBox *>("chkFeed")->isVisible());
        tabs->setCurrentIndex(3);
        auto check = d->findChild<QCheckBox *>("chkFeed");
        QVERIFY(check->isVisible());
        QCOMPARE(check->text(), QStringLiteral("Serve the scoreboard over HTTP"));
        QCOMPARE(d->findChild<QRadioButton *>("optFeedLocal")->text(),
                 QStringLiteral("This computer only"));
        QCOMPARE(d->findChild<QRadioButton *>("optFeedNetwork")->text(),
                 QStringLiteral("Every device on the network"));
        auto port = d->findChild<QSpinBox *>("txtFeedPort");
        QCOMPARE(port->minimum(), 1024);
        QCOMPARE(port->maximum(), 65535);
        // Defaults: off, 8080, this computer only.
        QVERIFY(!check->isChecked());
        QCOMPARE(port->value(), 8080);
        QVERIFY(d->findChild<QRadioButton *>("optFeedLocal")->isChecked());
        // The addresses below the choices, one to a line.
        d->setFeedStateText(
            QStringLiteral("Serving at http://192.168.1.5:8080/, http://127.0.0.1:8080/"));
        QCOMPARE(text(d.get(), "lblFeedState"),
                 QStringLiteral("Serving at http://192.168.1.5:8080/\nhttp://127.0.0.1:8080/"));
        d->setFeedStateText(QStringLiteral("Port 8080 is in use"));
        QCOMPARE(text(d.get(), "lblFeedState"), QStringLiteral("Port 8080 is in use"));
    }

    void broadcastChoicesSavedByOkOnly_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("cancel") << false;
        QTest::newRow("ok") << true;
    }
    void broadcastChoicesSavedByOkOnly() {
        QFETCH(bool, ok);
        {
            auto d = open();
            d->findChild<QTabBar *>("sstOptionsTabs")->setCurrentIndex(3);
            QTest::mouseClick(d->findChild<QCheckBox *>("chkFeed"), Qt::LeftButton);
            auto port = d->findChild<QSpinBox *>("txtFeedPort");
            port->selectAll();
            QTest::keyClicks(port, "9090");
            QTest::mouseClick(d->findChild<QRadioButton *>("optFeedNetwork"), Qt::LeftButton, {},
                              QPoint(5, 5));
            QVERIFY(!d->findChild<QRadioButton *>("optFeedLocal")->isChecked());
            press(d.get(), ok ? "cmdOk" : "cmdCancel");
        }
        QCOMPARE(modGlobals::FeedEnabled, ok);
        QCOMPARE(modGlobals::FeedPort, ok ? 9090 : 8080);
        QCOMPARE(modGlobals::FeedNetwork, ok);
        QCOMPARE(stored("FeedSettings/Enabled"), ok ? QStringLiteral("1") : QString());
        QCOMPARE(stored("FeedSettings/Port"), ok ? QStringLiteral("9090") : QString());
        QCOMPARE(stored("FeedSettings/Network"), ok ? QStringLiteral("1") : QString());
        if (ok) {
            // The fourteen keys are written as before beside them.
            QCOMPARE(stored("PicSettings/LEDType"), QStringLiteral("0"));
            QCOMPARE(stored("TextSettings/TitleText"), QString());
            // Opened again, the dialog shows what was stored.
            auto d = open();
            QVERIFY(d->findChild<QCheckBox *>("chkFeed")->isChecked());
            QCOMPARE(d->findChild<QSpinBox *>("txtFeedPort")->value(), 9090);
            QVERIFY(d->findChild<QRadioButton *>("optFeedNetwork")->isChecked());
        }
    }

    void resetKeysThenCancelThenOk() {
        modGlobals::StartStopClockKey = 'x';
        modGlobals::ResetClockKey = 'y';
        modGlobals::ClearKey = 'z';
        modGlobals::BuzzerKey = 'q';
        QVERIFY(modGlobals::SaveOptions());
        {
            auto d = open();
            press(d.get(), "cmdResetKeys");
            QCOMPARE(text(d.get(), "lblStartStopK"), QStringLiteral("s"));
            press(d.get(), "cmdCancel");
        }
        QCOMPARE(modGlobals::StartStopClockKey, int('x'));
        QCOMPARE(stored("KeySettings/StartStopClockKey"), QStringLiteral("120"));
        auto d = open();
        QCOMPARE(text(d.get(), "lblStartStopK"), QStringLiteral("x"));
        press(d.get(), "cmdResetKeys");
        press(d.get(), "cmdOk");
        QCOMPARE(stored("KeySettings/StartStopClockKey"), QStringLiteral("115"));
        QCOMPARE(stored("KeySettings/ResetClockKey"), QStringLiteral("114"));
        QCOMPARE(stored("KeySettings/ClearKey"), QStringLiteral("99"));
        QCOMPARE(stored("KeySettings/BuzzerKey"), QStringLiteral("98"));
        QCOMPARE(modGlobals::BuzzerKey, 98);
    }

    void colourChooser() {
        auto d = open();
        // Cancelled on first use: unchanged.
        whileModal([](QDialog *c) {
            QVERIFY(qobject_cast<QColorDialog *>(c));
            static_cast<QColorDialog *>(c)->setCurrentColor(Qt::green);
            c->reject();
        });
        press(d.get(), "cmdLedTimeC");
        QCOMPARE(swatch(d.get(), "picLedTimeC"), 255);
        whileModal([](QDialog *c) {
            static_cast<QColorDialog *>(c)->setCurrentColor(QColor(0, 255, 0));
            c->accept();
        });
        press(d.get(), "cmdLedTimeC");
        QCOMPARE(swatch(d.get(), "picLedTimeC"), 65280);
        QCOMPARE(modGlobals::LEDTimeColor, 255); // only OK applies it
        press(d.get(), "cmdResetColors");
        QCOMPARE(swatch(d.get(), "picLedTimeC"), 255);
        QCOMPARE(swatch(d.get(), "picBackC"), 4210752);
    }

    void buzzerFilePaths_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("whole");
        QTest::newRow("50") << 50 << true;
        QTest::newRow("51") << 51 << false;
    }
    void buzzerFilePaths() {
        QFETCH(int, length);
        QFETCH(bool, whole);
        QTemporaryDir dir(QStringLiteral("/tmp/dz-XXXXXX"));
        const QString folder = dir.path() + QLatin1Char('/');
        const QString name =
            QString(length - int(folder.size()) - 4, QLatin1Char('h')) + QStringLiteral(".wav");
        const QString path = folder + name;
        QCOMPARE(path.size(), length);
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/../buzzer.wav", path));
        auto d = open();
        QString filter;
        whileModal([&](QDialog *c) {
            auto chooser = qobject_cast<QFileDialog *>(c);
            QVERIFY(chooser);
            filter = chooser->nameFilters().join(QLatin1Char(';'));
            chooser->setDirectory(dir.path());
            chooser->selectFile(name);
            c->accept(); // the chooser's own accept, through QDialog
        });
        press(d.get(), "cmdBuzzerSound");
        QVERIFY(filter.startsWith(QStringLiteral("Sounds *.wav")));
        const QString shown = whole ? path : path.left(10) + QStringLiteral(" .../") + name;
        QCOMPARE(text(d.get(), "lblBuzzerSound"), shown);
        QCOMPARE(d->BuzzerTemp(), path);
        // Cancelled: nothing changes.
        whileModal([](QDialog *c) { c->reject(); });
        press(d.get(), "cmdBuzzerSound");
        QCOMPARE(text(d.get(), "lblBuzzerSound"), shown);
        QCOMPARE(d->BuzzerTemp(), path);
        press(d.get(), "cmdOk");
        QCOMPARE(modGlobals::BuzzerFile, path);
        QCOMPARE(stored("KeySettings/BuzzerFile"), path);
    }

    // A file that cannot sound is refused with the reason; the buzzer stays as it was.
    void silentBuzzerFileRefused() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notes.wav"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("These are the team's notes, not a sound.");
        f.close();
        modGlobals::BuzzerFile = QStringLiteral("/horns/old.wav");
        auto d = open();
        QString said;
        whileModal([&](QDialog *c) {
            QCOMPARE(c->objectName(), QStringLiteral("msgBadSound"));
            said = qobject_cast<QMessageBox *>(c)->text();
        });
        QVERIFY(!d->ChooseBuzzerFile(path));
        QVERIFY2(said.startsWith(QStringLiteral("notes.wav cannot be the buzzer. It is not a "
                                                "sound file that can be read (")),
                 qPrintable(said));
        QCOMPARE(d->BuzzerTemp(), QStringLiteral("/horns/old.wav"));
        press(d.get(), "cmdOk");
        QCOMPARE(modGlobals::BuzzerFile, QStringLiteral("/horns/old.wav"));
    }

    void noBuzzerFile() {
        modGlobals::BuzzerFile.clear();
        auto d = open();
        QCOMPARE(text(d.get(), "lblBuzzerSound"), QStringLiteral("[No File Selected]"));
        press(d.get(), "cmdOk");
        QCOMPARE(modGlobals::BuzzerFile, QString());
        QVERIFY(QSettings(modGlobals::SettingsFileName(), QSettings::IniFormat)
                    .contains("KeySettings/BuzzerFile"));
        QCOMPARE(stored("KeySettings/BuzzerFile"), QString());
    }

    void teamNamesTakeNineCharacters() {
        auto d = open();
        auto home = d->findChild<QLineEdit *>("txtHome");
        home->selectAll();
        QTest::keyClicks(home, QStringLiteral("Wildcats1X"));
        QCOMPARE(home->text(), QStringLiteral("Wildcats1"));
        press(d.get(), "cmdOk");
        QCOMPARE(modGlobals::HomeText, QStringLiteral("Wildcats1"));
        QCOMPARE(stored("TextSettings/HomeText"), QStringLiteral("Wildcats1"));
    }

    void dotsPreviewAtOnceBoardAfterOk() {
        BoardFixture f;
        VaviZAV *digit = f.field("pledClock").at(1);
        whileModal([&](QDialog *d) {
            d->findChild<QComboBox *>("cmbLedType")->setCurrentIndex(1);
            QCOMPARE(d->findChild<VaviZAV *>("pledPreview")->LedType(), 1);
            QCOMPARE(digit->LedType(), 0);
            press(d, "cmdOk");
        });
        f.type(QStringLiteral("o"));
        QCOMPARE(digit->LedType(), 1);
        QCOMPARE(stored("PicSettings/LEDType"), QStringLiteral("1"));
        QTRY_COMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));
    }

    void reopenAfterCancelShowsTheSavedValues() {
        {
            auto d = open();
            d->findChild<QLineEdit *>("txtGuest")->setText(QStringLiteral("Nobody"));
            d->findChild<QComboBox *>("cmbLedType")->setCurrentIndex(1);
            press(d.get(), "cmdResetKeys");
            press(d.get(), "cmdCancel");
        }
        QVERIFY(!QFileInfo::exists(modGlobals::SettingsFileName()));
        auto d = open();
        QCOMPARE(d->findChild<QLineEdit *>("txtGuest")->text(), QStringLiteral("Guest"));
        QCOMPARE(d->findChild<QComboBox *>("cmbLedType")->currentIndex(), 0);
        QCOMPARE(d->findChild<VaviZAV *>("pledPreview")->LedType(), 0);
    }

    void keyChooserFromTheDialog() {
        auto d = open();
        // Own key accepted.
        inChooser(QStringLiteral("b"));
        press(d.get(), "cmdBuzzerK");
        QCOMPARE(text(d.get(), "lblBuzzerK"), QStringLiteral("b"));
        QCOMPARE(beeps->count, 0);
        // A taken key: message and beep; then the capital letter is free.
        QStringList message;
        inChooser(QStringLiteral("sS"), &message);
        press(d.get(), "cmdBuzzerK");
        QCOMPARE(message, QStringList{"shown"});
        QCOMPARE(beeps->count, 1);
        QCOMPARE(text(d.get(), "lblBuzzerK"), QStringLiteral("S"));
        // "j" chosen but not saved still counts as taken for the other keys.
        inChooser(QStringLiteral("j"));
        press(d.get(), "cmdStartStopK");
        QCOMPARE(text(d.get(), "lblStartStopK"), QStringLiteral("j"));
        message.clear();
        inChooser(QStringLiteral("j\x1b"), &message);
        press(d.get(), "cmdBuzzerK");
        QCOMPARE(message, QStringList{"shown"});
        QCOMPARE(text(d.get(), "lblBuzzerK"), QStringLiteral("S"));
        // The next showing starts with the message hidden.
        bool hiddenAtStart = false;
        whileModal([&](QDialog *c) {
            hiddenAtStart = !c->findChild<QLabel *>("lblUsed")->isVisible();
            QTest::mouseClick(c->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
        });
        press(d.get(), "cmdClearK");
        QVERIFY(hiddenAtStart);
        QCOMPARE(text(d.get(), "lblClearK"), QStringLiteral("c"));
        press(d.get(), "cmdOk");
        QCOMPARE(modGlobals::StartStopClockKey, int('j'));
        QCOMPARE(modGlobals::BuzzerKey, int('S'));
    }

    void keyChooserKeys_data() {
        QTest::addColumn<QChar>("key");
        QTest::addColumn<bool>("accepted");
        for (char c : {'o', 'O', 'h', 'H', '+', '-', '.', '=', ' '})
            QTest::addRow("'%c'", c) << QChar(QLatin1Char(c)) << false;
        for (char c : {'s', 'r', 'c'})
            QTest::addRow("taken '%c'", c) << QChar(QLatin1Char(c)) << false;
        for (char c : {'5', '0', 'b', 'B', 'z', '*', '#'})
            QTest::addRow("'%c'", c) << QChar(QLatin1Char(c)) << true;
    }
    void keyChooserKeys() {
        QFETCH(QChar, key);
        QFETCH(bool, accepted);
        modGlobals::KeyAction = QStringLiteral("sound the buzzer");
        modGlobals::KeyCurrent = 'b';
        frmChooseKey chooser(nullptr, {'s', 'r', 'c', 'b'});
        chooser.show();
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Choose Key"));
        QCOMPARE(chooser.findChild<QLabel *>("lblChoose")->text(),
                 QStringLiteral("Press the key you would like to sound the buzzer."));
        QLabel *used = chooser.findChild<QLabel *>("lblUsed");
        QCOMPARE(used->text(),
                 QStringLiteral("This key is already in use, please choose another."));
        QVERIFY(!used->isVisible());
        QTest::keyClick(chooser.findChild<QPushButton *>("cmdCancel"), key.toLatin1());
        QCOMPARE(chooser.isVisible(), !accepted);
        QCOMPARE(used->isVisible(), !accepted);
        QCOMPARE(beeps->count, accepted ? 0 : 1);
        QCOMPARE(modGlobals::KeyChosen,
                 accepted ? QString::number(key.unicode()) : QStringLiteral("0"));
    }

    void keyChooserLayout_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QString>("family"); // empty: the dialog's own font
        QTest::addColumn<double>("points");
        QTest::newRow("lblChoose")
            << "lblChoose" << QRectF(120, 120, 4335, 855) << "Times New Roman" << 18.0;
        QTest::newRow("lblUsed") << "lblUsed" << QRectF(53, 1080, 4575, 855) << "Arial" << 18.0;
        QTest::newRow("cmdCancel")
            << "cmdCancel" << QRectF(1733, 2160, 1215, 375) << QString() << 0.0;
    }
    void keyChooserLayout() {
        QFETCH(QString, control);
        QFETCH(QRectF, rect);
        QFETCH(QString, family);
        QFETCH(double, points);
        frmChooseKey chooser(nullptr, {'s', 'r', 'c', 'b'});
        QWidget *w = chooser.findChild<QWidget *>(control);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), &chooser);
        QCOMPARE(Twips::Geometry(w), rect);
        if (family.isEmpty()) {
            QCOMPARE(w->font(), chooser.font());
        } else {
            QCOMPARE(w->font().families().value(0), family);
            QCOMPARE(w->font().pixelSize(), qRound(points * 96 / 72));
        }
    }

    void keyChooserEnterAndEscCancel_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void keyChooserEnterAndEscCancel() {
        QFETCH(int, key);
        modGlobals::KeyAction = QStringLiteral("reset the clock");
        modGlobals::KeyCurrent = 'r';
        frmChooseKey chooser(nullptr, {'s', 'r', 'c', 'b'});
        chooser.show();
        QTest::keyClick(chooser.findChild<QPushButton *>("cmdCancel"), Qt::Key(key));
        QVERIFY(!chooser.isVisible());
        QCOMPARE(chooser.result(), int(QDialog::Rejected));
        QCOMPARE(modGlobals::KeyChosen, QStringLiteral("0"));
    }

    void unwritableStoreAtOk() {
        const QString blocker = sandbox->dir.filePath(QStringLiteral("blocked"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker);
        auto d = open();
        d->findChild<QLineEdit *>("txtHome")->setText(QStringLiteral("Eagles"));
        QString message;
        int boxes = 0;
        whileModal([&](QDialog *c) {
            if (auto box = qobject_cast<QMessageBox *>(c)) {
                ++boxes;
                message = box->text();
                box->accept();
            }
        });
        press(d.get(), "cmdOk");
        QCOMPARE(boxes, 1);
        QVERIFY2(message.contains(QDir::toNativeSeparators(modGlobals::SettingsFileName())),
                 qPrintable(message));
        QVERIFY(message.contains(QStringLiteral("could not be saved")));
        // Applied for this run all the same.
        QCOMPARE(modGlobals::HomeText, QStringLiteral("Eagles"));
        QVERIFY(!d->isVisible());
    }
};

DAREZEZ_TEST(tst_frmOptions)
#include "tst_frmOptions.moc"
