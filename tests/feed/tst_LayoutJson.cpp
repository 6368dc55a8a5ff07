#include "TestMain.h"
#include "appearance/Twips.h"
#include "appearance/modStretch.h"
#include "feed/FeedState.h"
#include "feed/LayoutJson.h"
#include "scoreboard/BoardFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainterPath>
#include <QRegularExpression>

namespace {

QJsonObject Control(const QJsonArray &controls, const QString &name) {
    for (const QJsonValue &c : controls) {
        if (c[QLatin1String("name")].toString() == name)
            return c.toObject();
    }
    return {};
}

QRectF Rect(const QJsonValue &c) {
    return {c[QLatin1String("x")].toDouble(), c[QLatin1String("y")].toDouble(),
            c[QLatin1String("width")].toDouble(), c[QLatin1String("height")].toDouble()};
}

// Twips of a control relative to the window.
QRectF InWindow(QWidget *control, QWidget *window) {
    const QRectF own = Twips::Geometry(control);
    QPointF at = own.topLeft();
    for (QWidget *p = control->parentWidget(); p && p != window; p = p->parentWidget())
        at += Twips::Geometry(p).topLeft();
    return {at, own.size()};
}

QList<double> Numbers(const QString &path) {
    QList<double> out;
    static const QRegularExpression number(QStringLiteral("-?[0-9.]+"));
    for (auto it = number.globalMatch(path); it.hasNext();)
        out.append(it.next().captured().toDouble());
    return out;
}

} // namespace

class tst_LayoutJson : public QObject {
    Q_OBJECT

    QJsonObject layoutOf(frmScoreboard *board) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(LayoutJson(&board->Picture()), &error);
        [&] { QCOMPARE(error.error, QJsonParseError::NoError); }();
        return doc.object();
    }

private slots:
    void designIsTheRecordedReference() {
        BoardFixture f;
        const QJsonObject layout = layoutOf(f.board);
        QCOMPARE(layout[QLatin1String("design")][QLatin1String("width")].toInt(),
                 modStretch::LayoutWidth(&f.board->Picture()));
        QCOMPARE(layout[QLatin1String("design")][QLatin1String("height")].toInt(),
                 modStretch::LayoutHeight(&f.board->Picture()));
    }

    // At the size it was recorded at, every control of the layout lies where the window
    // shows it, digits and dots included.
    void controlsLieWhereTheWindowShowsThem() {
        BoardFixture f;
        f.board->resize(BoardPicture::kDesignWidth / 15, BoardPicture::kDesignHeight / 15);
        f.board->Picture().RecordLayout();
        const QJsonArray controls = layoutOf(f.board)[QLatin1String("controls")].toArray();
        QCOMPARE(controls.size(), 9 + 11 + 3 + 4); // fields, labels, frame and lamps, dots
        int digits = 0;
        for (const QJsonValue &c : controls) {
            const QString name = c[QLatin1String("name")].toString();
            auto widget = f.board->findChild<QWidget *>(name);
            QVERIFY2(widget, qPrintable(name));
            const QRectF live = InWindow(widget, &f.board->Picture());
            const QRectF json = Rect(c);
            QVERIFY2(qAbs(json.x() - live.x()) <= 1 && qAbs(json.y() - live.y()) <= 1 &&
                         qAbs(json.width() - live.width()) <= 1 &&
                         qAbs(json.height() - live.height()) <= 1,
                     qPrintable(name));
            if (c[QLatin1String("kind")] != QLatin1String("field"))
                continue;
            const QList<VaviZAV *> live_digits =
                widget->findChildren<VaviZAV *>(Qt::FindDirectChildrenOnly);
            const QJsonArray d = c[QLatin1String("digits")].toArray();
            QCOMPARE(d.size(), live_digits.size());
            for (int i = 0; i < d.size(); ++i) {
                const QRectF cell = Twips::Geometry(live_digits.at(i));
                QCOMPARE(Rect(d.at(i)), cell);
                QCOMPARE(d.at(i)[QLatin1String("size")].toInt(), live_digits.at(i)->Size());
                ++digits;
            }
        }
        QCOMPARE(digits, 3 + 3 + 4 + 3 + 1 + 3 + 2 + 4 + 2);
    }

    // Element 0 is the ones digit of a number and the leftmost digit of a time.
    void elementOrder_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("bind");
        QTest::addColumn<bool>("time");
        QTest::addColumn<QString>("lit");
        QTest::newRow("clock") << "picClock"
                               << "clock" << true << "ledTime";
        QTest::newRow("time advantage") << "picTimeAd"
                                        << "timeAdvantage.shown" << true << "ledTime";
        QTest::newRow("home score") << "picHomeScore"
                                    << "home.score" << false << "ledScore";
        QTest::newRow("guest match") << "picGuestMatch"
                                     << "guest.match" << false << "ledScore";
        QTest::newRow("period") << "picPeriod"
                                << "period" << false << "ledTime";
        QTest::newRow("weight") << "picWeight"
                                << "weight" << false << "ledScore";
        QTest::newRow("match number") << "picMatch"
                                      << "matchNumber" << false << "ledScore";
    }
    void elementOrder() {
        QFETCH(QString, field);
        QFETCH(QString, bind);
        QFETCH(bool, time);
        QFETCH(QString, lit);
        BoardFixture f;
        const QJsonObject c =
            Control(layoutOf(f.board)[QLatin1String("controls")].toArray(), field);
        QCOMPARE(c[QLatin1String("bind")].toString(), bind);
        QCOMPARE(c[QLatin1String("time")].toBool(), time);
        QCOMPARE(c[QLatin1String("lit")].toString(), lit);
        const QJsonArray d = c[QLatin1String("digits")].toArray();
        for (int i = 1; i < d.size(); ++i) {
            const double before = d.at(i - 1)[QLatin1String("x")].toDouble();
            const double now = d.at(i)[QLatin1String("x")].toDouble();
            QVERIFY2(time ? now > before : now < before, qPrintable(field));
        }
    }

    void dotsBelongToTheirTimeField() {
        BoardFixture f;
        const QJsonArray controls = layoutOf(f.board)[QLatin1String("controls")].toArray();
        for (const char *field : {"picClock", "picTimeAd"}) {
            QList<QJsonObject> dots;
            for (const QJsonValue &c : controls) {
                if (c[QLatin1String("kind")] == QLatin1String("dots") &&
                    c[QLatin1String("field")] == QLatin1String(field))
                    dots.append(c.toObject());
            }
            QCOMPARE(dots.size(), 2);
            QCOMPARE(dots.at(0)[QLatin1String("index")].toInt(), 0);
            QCOMPARE(dots.at(1)[QLatin1String("index")].toInt(), 1);
            QVERIFY(dots.at(0)[QLatin1String("y")].toDouble() <
                    dots.at(1)[QLatin1String("y")].toDouble());
        }
    }

    void labelsCarryTextsAndNamesTheirBinding() {
        BoardFixture f;
        modGlobals::HomeText = QStringLiteral("Tigers");
        f.board->UpdateLabels();
        const QJsonArray controls = layoutOf(f.board)[QLatin1String("controls")].toArray();
        const QJsonObject home = Control(controls, QStringLiteral("lblHomeScore"));
        QCOMPARE(home[QLatin1String("text")].toString(), QStringLiteral("Tigers"));
        QCOMPARE(home[QLatin1String("bind")].toString(), QStringLiteral("home.name"));
        QVERIFY(home[QLatin1String("points")].toInt() > 0);
        const QJsonObject period = Control(controls, QStringLiteral("lblPeriod"));
        QCOMPARE(period[QLatin1String("text")].toString(), QStringLiteral("Period"));
        QVERIFY(!period.contains(QLatin1String("bind")));
        const QJsonObject frame = Control(controls, QStringLiteral("shpTimeHolder"));
        QCOMPARE(frame[QLatin1String("shape")].toString(), QStringLiteral("roundedRectangle"));
        QCOMPARE(frame[QLatin1String("borderColor")].toString(), FeedText::Color(0xC0C0C0));
        QCOMPARE(
            Control(controls, QStringLiteral("shpTimeAdGuest"))[QLatin1String("bind")].toString(),
            QStringLiteral("guest"));
    }

    // The digit shapes are the control's own: as many parts, in the same cell; the digit 1
    // lights only the right half in both styles.
    void segmentsAreTheDigitsOwn_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("lines") << 0;
        QTest::newRow("dots") << 1;
    }
    void segmentsAreTheDigitsOwn() {
        QFETCH(int, style);
        BoardFixture f;
        const QJsonObject seg = layoutOf(f.board)[QLatin1String("segments")].toObject();
        const QString name = style == 0 ? QStringLiteral("lines") : QStringLiteral("dots");
        const QJsonArray digits = seg[name].toArray();
        QCOMPARE(digits.size(), 10);
        for (int d = 0; d <= 9; ++d) {
            const QJsonArray paths = digits.at(d).toArray();
            QCOMPARE(paths.size(), VaviZAV::LitParts(d, style).size());
            for (const QJsonValue &p : paths) {
                const QList<double> n = Numbers(p.toString());
                for (int i = 0; i + 1 < n.size(); i += 2) {
                    QVERIFY(n.at(i) >= 0 && n.at(i) <= VaviZAV::kCellWidth);
                    QVERIFY(n.at(i + 1) >= 0 && n.at(i + 1) <= VaviZAV::kCellHeight);
                    if (d == 1)
                        QVERIFY(n.at(i) >= VaviZAV::kCellWidth / 2);
                }
            }
        }
        QCOMPARE(seg[name + QStringLiteral("All")].toArray().size(),
                 VaviZAV::AllParts(style).size());
        if (style == 0)
            QCOMPARE(digits.at(8).toArray().size(), 7);
    }
};

DAREZEZ_TEST(tst_LayoutJson)
#include "tst_LayoutJson.moc"
