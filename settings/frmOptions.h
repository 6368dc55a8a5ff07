#pragma once

#include <QDialog>

class PictureBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabBar;
class VaviZAV;

// Every option the operator can change. The dialog edits copies; only OK puts them in
// the option variables and the store.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    // owner: the window it is modal over (none from the welcome window); opener: the
    // window it is centred over.
    frmOptions(QWidget *owner, QWidget *opener);

    // How a buzzer path is shown: whole up to 50 characters, else the first 10, " ..."
    // and the file name (when the file exists).
    static QString PathDisplay(const QString &path);

    QString BuzzerTemp() const { return m_buzzerTemp; }
    // Takes a chosen file as the buzzer, or says why it cannot sound and keeps the one before.
    bool ChooseBuzzerFile(const QString &path);

    // What the live feed says of itself ("Serving at http://...", "Port 8080 is in use"),
    // shown below the Broadcast choices.
    void setFeedStateText(const QString &text);
    // The devices let in to control the board: key and what the list shows of each.
    void setDevices(const QList<std::pair<QString, QString>> &devices);

signals:
    void RemoveDevice(const QString &key);
    void RemoveAllDevices();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct KeyRow {
        QPushButton *button;
        QLabel *label;
        QString phrase;
        QChar resetValue;
    };
    struct ColorRow {
        PictureBox *swatch;
        QPushButton *button;
    };

    void Form_Load();
    void chooseKey(KeyRow &row);
    void chooseColor(ColorRow &row);
    void cmdBuzzerSound_Click();
    void resetKeys(int from, int to);
    void showAllowances();
    void cmdResetColors_Click();
    void cmbLedType_Click();
    void cmdOk_Click();
    int keyOf(const QLabel *label) const;
    void setPage(int index);

    QWidget *m_opener;
    QTabBar *m_tabs = nullptr;
    QList<QWidget *> m_pages;
    QList<KeyRow> m_keys;     // start/stop, reset, buzzer, clear, the four stoppage clocks
    QList<ColorRow> m_colors; // background, LED back, LED score, text, LED time
    QString m_buzzerTemp;
    QLabel *m_lblBuzzerSound = nullptr;
    QComboBox *m_cmbLedType = nullptr;
    VaviZAV *m_pledPreview = nullptr;
    QLineEdit *m_txtHome = nullptr;
    QLineEdit *m_txtGuest = nullptr;
    QCheckBox *m_chkFeed = nullptr;
    QSpinBox *m_txtFeedPort = nullptr;
    QRadioButton *m_optFeedLocal = nullptr;
    QRadioButton *m_optFeedNetwork = nullptr;
    QLabel *m_lblFeedState = nullptr;
    QCheckBox *m_chkFeedControl = nullptr;
    QComboBox *m_cmbDevices = nullptr;
    QComboBox *m_cmbRuleSet = nullptr;
    QLabel *m_lblAllowances = nullptr;
};
