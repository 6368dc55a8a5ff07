#pragma once

#include "clock/KeyCommands.h"
#include "led/DigitGroup.h"
#include "led/LedGroup.h"

#include <QElapsedTimer>
#include <QMap>
#include <QTimer>
#include <QWidget>
#include <memory>

class BuzzerDevice;
class PictureBox;
class QLabel;
class Shape;

// The window the spectators see and the operator types into.
class frmScoreboard : public QWidget, public KeyCommands {
    Q_OBJECT

public:
    // Takes the playback device; without one it makes the real buzzer.
    explicit frmScoreboard(BuzzerDevice *device = nullptr);
    ~frmScoreboard() override;

    // 37 home holds time advantage, 39 guest, 38 or 0 nobody.
    qint32 TimeAd = 0;
    bool BuzzerPlaying = false;

    void AllKeyDown(int KeyCode);
    void AllKeyPress(int KeyAscii) override;
    void UpdateAdStatus();
    void UpdateClocks();
    void UpdateAdColors();
    void UpdateFormColors();
    void UpdateLabels();
    void Buzzer();

    qint16 ShownAdSide() const { return m_shownAdSide; }
    LedGroup &Field(const QString &name);
    QTimer &tmrClock1() { return m_tmrClock1; }
    BuzzerDevice &mmcBuzzer() { return *m_mmcBuzzer; }

    // The design client area, in twips.
    static constexpr int kDesignWidth = 9480;
    static constexpr int kDesignHeight = 6795;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class Dots;

    void buildControls();
    PictureBox *addField(const QString &container, const QString &field, const QRectF &box,
                         const QList<QPointF> &digitPositions);
    QLabel *addLabel(const QString &name, const QString &text, const QRectF &box, double points);
    Shape *addShape(const QString &name, QWidget *parent, const QRectF &box, int kind,
                    int borderWidth);

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();
    void Form_Terminate();
    void tmrClock1_Timer();
    void mmcBuzzer_Done();
    void onKeyDown(int keyCode);
    void onFieldKeyPress(const QString &field, int keyAscii);
    void showOptions();
    void resetClocks();

    QTimer m_tmrClock1;
    std::unique_ptr<BuzzerDevice> m_mmcBuzzer;
    qint16 m_shownAdSide = 0;

    QMap<QString, LedGroup *> m_fields;
    std::vector<std::unique_ptr<LedGroup>> m_groups;
    std::unique_ptr<Dots> m_shpTime;
    std::unique_ptr<Dots> m_shpTimeAd;
    Shape *m_shpTimeAdHome = nullptr;
    Shape *m_shpTimeAdGuest = nullptr;
    QLabel *m_lblHomeScore = nullptr;
    QLabel *m_lblGuestScore = nullptr;
};
