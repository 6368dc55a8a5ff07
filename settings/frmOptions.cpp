#include "settings/frmOptions.h"

#include "appearance/Fonts.h"
#include "appearance/PictureBox.h"
#include "appearance/Twips.h"
#include "led/PackedColor.h"
#include "led/VaviZAV.h"
#include "settings/frmChooseKey.h"
#include "settings/modGlobals.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>

namespace {
enum KeyIndex { StartStop, Reset, Buzzer, Clear };
enum ColorIndex { Back, LedBack, LedScore, Text, LedTime };

// The file-name part of a path whose file exists; empty otherwise.
QString existingFileName(const QString &path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && info.isFile() ? info.fileName() : QString();
}
} // namespace

frmOptions::frmOptions(QWidget *owner, QWidget *opener)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_opener(opener) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(5625 / 15, 4635 / 15);

    auto sst = new QWidget(this);
    sst->setObjectName(QStringLiteral("sstOptions"));
    Twips::SetGeometry(sst, {120, 120, 5355, 3975});
    m_tabs = new QTabBar(sst);
    m_tabs->setObjectName(QStringLiteral("sstOptionsTabs"));
    m_tabs->addTab(QStringLiteral("Keys"));
    m_tabs->addTab(QStringLiteral("Colors"));
    m_tabs->addTab(QStringLiteral("Text Controls"));
    m_tabs->addTab(QStringLiteral("Broadcast"));
    m_tabs->setExpanding(true);
    m_tabs->setGeometry(0, 0, sst->width(), m_tabs->sizeHint().height());
    for (int i = 0; i < 4; ++i) {
        auto page = new QWidget(sst);
        page->setObjectName(QStringLiteral("sstOptionsPage%1").arg(i));
        page->setGeometry(0, 0, sst->width(), sst->height());
        m_pages.append(page);
    }
    m_tabs->raise();
    connect(m_tabs, &QTabBar::currentChanged, this, &frmOptions::setPage);

    QWidget *keys = m_pages[0];
    addKeyRow(keys, QStringLiteral("Start / Stop Key:"), {240, 480, 1455, 975},
              QStringLiteral("cmdStartStopK"), QStringLiteral("lblStartStopK"),
              QStringLiteral("start / stop the clock"), QLatin1Char('s'));
    addKeyRow(keys, QStringLiteral("Reset Clock Key:"), {1920, 480, 1455, 975},
              QStringLiteral("cmdResetK"), QStringLiteral("lblResetK"),
              QStringLiteral("reset the clock"), QLatin1Char('r'));
    addKeyRow(keys, QStringLiteral("Buzzer Key:"), {3600, 480, 1455, 975},
              QStringLiteral("cmdBuzzerK"), QStringLiteral("lblBuzzerK"),
              QStringLiteral("sound the buzzer"), QLatin1Char('b'));
    addKeyRow(keys, QStringLiteral("# Clear Key:"), {240, 1560, 1455, 975},
              QStringLiteral("cmdClearK"), QStringLiteral("lblClearK"),
              QStringLiteral("clear a number"), QLatin1Char('c'));
    QGroupBox *sound = addFrame(keys, QStringLiteral("Buzzer Sound"), {240, 2640, 4815, 735});
    connect(addButton(sound, QStringLiteral("cmdBuzzerSound"), QStringLiteral("Change"),
                      {120, 240, 735, 375}),
            &QPushButton::clicked, this, &frmOptions::cmdBuzzerSound_Click);
    m_lblBuzzerSound = new QLabel(sound);
    m_lblBuzzerSound->setObjectName(QStringLiteral("lblBuzzerSound"));
    m_lblBuzzerSound->setTextFormat(Qt::PlainText);
    m_lblBuzzerSound->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_lblBuzzerSound->setAlignment(Qt::AlignCenter);
    Twips::SetGeometry(m_lblBuzzerSound, {840, 240, 3855, 375});
    connect(addButton(keys, QStringLiteral("cmdResetKeys"), QStringLiteral("Reset Keys"),
                      {3840, 3480, 1215, 375}),
            &QPushButton::clicked, this, &frmOptions::cmdResetKeys_Click);

    QWidget *colors = m_pages[1];
    addColorRow(colors, QStringLiteral("Background:"), {240, 480, 1455, 735},
                QStringLiteral("picBackC"), QStringLiteral("cmdBackC"));
    addColorRow(colors, QStringLiteral("LED Back Color:"), {1920, 480, 1455, 735},
                QStringLiteral("picLedBackC"), QStringLiteral("cmdLedBackC"));
    addColorRow(colors, QStringLiteral("LED Score Color:"), {3600, 480, 1455, 735},
                QStringLiteral("picLedScoreC"), QStringLiteral("cmdLedScoreC"));
    addColorRow(colors, QStringLiteral("Text Color:"), {240, 1320, 1455, 735},
                QStringLiteral("picTextC"), QStringLiteral("cmdTextC"));
    addColorRow(colors, QStringLiteral("LED Time Color:"), {3600, 1320, 1455, 735},
                QStringLiteral("picLedTimeC"), QStringLiteral("cmdLedTimeC"));
    QGroupBox *digitType =
        addFrame(colors, QStringLiteral("Digit Type:"), {1920, 1320, 1455, 2055});
    m_cmbLedType = new QComboBox(digitType);
    m_cmbLedType->setObjectName(QStringLiteral("cmbLedType"));
    m_cmbLedType->addItems({QStringLiteral("Lines"), QStringLiteral("Dots")});
    Twips::SetGeometry(m_cmbLedType, {120, 240, 1215, 315});
    connect(m_cmbLedType, &QComboBox::currentIndexChanged, this, &frmOptions::cmbLedType_Click);
    auto preview = new QLabel(QStringLiteral("Preview:"), digitType);
    preview->setObjectName(QStringLiteral("lblPreview"));
    preview->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Twips::SetGeometry(preview, {360, 720, 855, 255});
    m_pledPreview = new VaviZAV(digitType);
    m_pledPreview->setObjectName(QStringLiteral("pledPreview"));
    m_pledPreview->setSize(65);
    m_pledPreview->setCaption(8);
    m_pledPreview->setFocusPolicy(Qt::NoFocus);
    Twips::Move(m_pledPreview, 480, 960);
    connect(addButton(colors, QStringLiteral("cmdResetColors"), QStringLiteral("Reset Colors"),
                      {3840, 3480, 1215, 375}),
            &QPushButton::clicked, this, &frmOptions::cmdResetColors_Click);

    QWidget *text = m_pages[2];
    const QFont entryFont = Fonts::Sans(9.75);
    const auto entry = [&](QGroupBox *frame, const QString &name) {
        auto edit = new QLineEdit(frame);
        edit->setObjectName(name);
        edit->setMaxLength(9);
        edit->setAlignment(Qt::AlignCenter);
        edit->setFont(entryFont);
        Twips::SetGeometry(edit, {120, 360, 4695, 375});
        return edit;
    };
    m_txtHome = entry(addFrame(text, QStringLiteral("Home Team:"), {240, 480, 4935, 975}),
                      QStringLiteral("txtHome"));
    m_txtGuest = entry(addFrame(text, QStringLiteral("Guest Team:"), {240, 1800, 4935, 1095}),
                       QStringLiteral("txtGuest"));

    QWidget *broadcast = m_pages[3];
    m_chkFeed = new QCheckBox(QStringLiteral("Serve the scoreboard over HTTP"), broadcast);
    m_chkFeed->setObjectName(QStringLiteral("chkFeed"));
    Twips::SetGeometry(m_chkFeed, {240, 480, 4815, 315});
    auto portCaption = new QLabel(QStringLiteral("Port:"), broadcast);
    portCaption->setObjectName(QStringLiteral("lblFeedPort"));
    Twips::SetGeometry(portCaption, {240, 960, 735, 315});
    m_txtFeedPort = new QSpinBox(broadcast);
    m_txtFeedPort->setObjectName(QStringLiteral("txtFeedPort"));
    m_txtFeedPort->setRange(1024, 65535);
    m_txtFeedPort->setGroupSeparatorShown(false);
    Twips::SetGeometry(m_txtFeedPort, {960, 900, 1215, 375});
    portCaption->setBuddy(m_txtFeedPort);
    m_optFeedLocal = new QRadioButton(QStringLiteral("This computer only"), broadcast);
    m_optFeedLocal->setObjectName(QStringLiteral("optFeedLocal"));
    Twips::SetGeometry(m_optFeedLocal, {240, 1440, 4815, 315});
    m_optFeedNetwork = new QRadioButton(QStringLiteral("Every device on the network"), broadcast);
    m_optFeedNetwork->setObjectName(QStringLiteral("optFeedNetwork"));
    Twips::SetGeometry(m_optFeedNetwork, {240, 1800, 4815, 315});
    m_lblFeedState = new QLabel(QStringLiteral("Not serving"), broadcast);
    m_lblFeedState->setObjectName(QStringLiteral("lblFeedState"));
    m_lblFeedState->setWordWrap(true);
    m_lblFeedState->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblFeedState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Twips::SetGeometry(m_lblFeedState, {240, 2280, 4815, 1455});

    connect(
        addButton(this, QStringLiteral("cmdOk"), QStringLiteral("&Ok"), {1657, 4200, 1095, 375}),
        &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
    connect(addButton(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"),
                      {2872, 4200, 1095, 375}),
            &QPushButton::clicked, this, &QDialog::reject);

    setPage(0);
    Form_Load();
}

QGroupBox *frmOptions::addFrame(QWidget *page, const QString &caption, const QRectF &box) {
    auto frame = new QGroupBox(caption, page);
    Twips::SetGeometry(frame, box);
    return frame;
}

QPushButton *frmOptions::addButton(QWidget *parent, const QString &name, const QString &text,
                                   const QRectF &box) {
    auto button = new QPushButton(text, parent);
    button->setObjectName(name);
    // No button answers Enter: an operator's stray Enter must not commit or discard.
    button->setAutoDefault(false);
    button->setDefault(false);
    Twips::SetGeometry(button, box);
    return button;
}

void frmOptions::addKeyRow(QWidget *page, const QString &caption, const QRectF &box,
                           const QString &button, const QString &label, const QString &phrase,
                           QChar resetValue) {
    QGroupBox *frame = addFrame(page, caption, box);
    KeyRow row;
    row.button = addButton(frame, button, QStringLiteral("Change"), {120, 240, 1215, 375});
    row.label = new QLabel(frame);
    row.label->setObjectName(label);
    row.label->setTextFormat(Qt::PlainText);
    row.label->setFrameStyle(QFrame::Box | QFrame::Plain);
    row.label->setAlignment(Qt::AlignCenter);
    Twips::SetGeometry(row.label, {120, 600, 1215, 255});
    row.phrase = phrase;
    row.resetValue = resetValue;
    const int index = int(m_keys.size());
    m_keys.append(row);
    connect(row.button, &QPushButton::clicked, this, [this, index] { chooseKey(m_keys[index]); });
}

void frmOptions::addColorRow(QWidget *page, const QString &caption, const QRectF &box,
                             const QString &swatch, const QString &button) {
    QGroupBox *frame = addFrame(page, caption, box);
    ColorRow row;
    row.swatch = new PictureBox(frame);
    row.swatch->setObjectName(swatch);
    Twips::SetGeometry(row.swatch, {120, 240, 495, 375});
    row.button = addButton(frame, button, QStringLiteral("Change"), {600, 240, 735, 375});
    const int index = int(m_colors.size());
    m_colors.append(row);
    connect(row.button, &QPushButton::clicked, this,
            [this, index] { chooseColor(m_colors[index]); });
}

void frmOptions::setPage(int index) {
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
    m_tabs->raise();
}

void frmOptions::Form_Load() {
    const auto keyText = [](int code) { return QString(QChar(char16_t(code))); };
    m_keys[StartStop].label->setText(keyText(modGlobals::StartStopClockKey));
    m_keys[Reset].label->setText(keyText(modGlobals::ResetClockKey));
    m_keys[Clear].label->setText(keyText(modGlobals::ClearKey));
    m_keys[Buzzer].label->setText(keyText(modGlobals::BuzzerKey));
    m_buzzerTemp = modGlobals::BuzzerFile;
    m_colors[Back].swatch->setBackColor(modGlobals::FormColor);
    m_colors[Text].swatch->setBackColor(modGlobals::TextColor);
    m_colors[LedBack].swatch->setBackColor(modGlobals::LEDBackColor);
    m_colors[LedScore].swatch->setBackColor(modGlobals::LEDScoreColor);
    m_colors[LedTime].swatch->setBackColor(modGlobals::LEDTimeColor);
    m_txtHome->setText(modGlobals::HomeText);
    m_txtGuest->setText(modGlobals::GuestText);
    m_cmbLedType->setCurrentIndex(modGlobals::LEDType);
    cmbLedType_Click();
    m_lblBuzzerSound->setText(modGlobals::BuzzerFile.isEmpty()
                                  ? QStringLiteral("[No File Selected]")
                                  : PathDisplay(modGlobals::BuzzerFile));
    m_chkFeed->setChecked(modGlobals::FeedEnabled);
    m_txtFeedPort->setValue(modGlobals::FeedPort);
    (modGlobals::FeedNetwork ? m_optFeedNetwork : m_optFeedLocal)->setChecked(true);
}

void frmOptions::setFeedStateText(const QString &text) {
    // One address to a line, so each can be read off and typed.
    QString shown = text;
    shown.replace(QStringLiteral(", http"), QStringLiteral("\nhttp"));
    m_lblFeedState->setText(shown);
}

QString frmOptions::PathDisplay(const QString &path) {
    if (path.size() <= 50)
        return path;
    return path.left(10) + QStringLiteral(" ...") + QDir::separator() + existingFileName(path);
}

int frmOptions::keyOf(const QLabel *label) const {
    const QString text = label->text();
    return text.isEmpty() ? 0 : text.front().unicode();
}

void frmOptions::chooseKey(KeyRow &row) {
    modGlobals::KeyAction = row.phrase;
    modGlobals::KeyCurrent = keyOf(row.label);
    QList<int> pending;
    for (const KeyRow &k : std::as_const(m_keys))
        pending.append(keyOf(k.label));
    {
        frmChooseKey chooser(this, pending);
        chooser.exec();
    }
    const int chosen = modGlobals::KeyChosen.toInt();
    if (chosen != 0)
        row.label->setText(QString(QChar(char16_t(chosen))));
}

void frmOptions::chooseColor(ColorRow &row) {
    const QColor color =
        QColorDialog::getColor(QColor(), this, QString(), QColorDialog::DontUseNativeDialog);
    if (color.isValid())
        row.swatch->setBackColor(PackedColor::FromQColor(color));
}

void frmOptions::cmdBuzzerSound_Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), QString(), QStringLiteral("Sounds *.wav (*.wav)"), nullptr,
        QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    if (path.isEmpty() || existingFileName(path).isEmpty())
        return;
    m_buzzerTemp = path;
    m_lblBuzzerSound->setText(PathDisplay(path));
}

void frmOptions::cmdResetKeys_Click() {
    for (KeyRow &row : m_keys)
        row.label->setText(QString(row.resetValue));
}

void frmOptions::cmdResetColors_Click() {
    m_colors[Back].swatch->setBackColor(modGlobals::DefaultFormColor);
    m_colors[Text].swatch->setBackColor(modGlobals::DefaultTextColor);
    m_colors[LedBack].swatch->setBackColor(modGlobals::DefaultLEDBackColor);
    m_colors[LedScore].swatch->setBackColor(modGlobals::DefaultLEDScoreColor);
    m_colors[LedTime].swatch->setBackColor(modGlobals::DefaultLEDTimeColor);
}

void frmOptions::cmbLedType_Click() {
    m_pledPreview->setLedType(m_cmbLedType->currentIndex());
}

void frmOptions::cmdOk_Click() {
    modGlobals::StartStopClockKey = keyOf(m_keys[StartStop].label);
    modGlobals::ResetClockKey = keyOf(m_keys[Reset].label);
    modGlobals::ClearKey = keyOf(m_keys[Clear].label);
    modGlobals::BuzzerKey = keyOf(m_keys[Buzzer].label);
    modGlobals::FormColor = m_colors[Back].swatch->BackColor();
    modGlobals::TextColor = m_colors[Text].swatch->BackColor();
    modGlobals::LEDBackColor = m_colors[LedBack].swatch->BackColor();
    modGlobals::LEDScoreColor = m_colors[LedScore].swatch->BackColor();
    modGlobals::LEDTimeColor = m_colors[LedTime].swatch->BackColor();
    modGlobals::HomeText = m_txtHome->text();
    modGlobals::GuestText = m_txtGuest->text();
    modGlobals::BuzzerFile = m_buzzerTemp;
    modGlobals::LEDType = qint16(m_cmbLedType->currentIndex());
    modGlobals::FeedEnabled = m_chkFeed->isChecked();
    modGlobals::FeedPort = m_txtFeedPort->value();
    modGlobals::FeedNetwork = m_optFeedNetwork->isChecked();
    if (!modGlobals::SaveOptions()) {
        QMessageBox::warning(
            this, QStringLiteral("Options"),
            QStringLiteral("The options could not be saved to\n%1\n\nThey apply until Darezez "
                           "is closed.")
                .arg(QDir::toNativeSeparators(modGlobals::SettingsFileName())));
    }
    accept();
}

void frmOptions::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (m_opener)
        move(m_opener->frameGeometry().center() - rect().center());
}

void frmOptions::keyPressEvent(QKeyEvent *event) {
    // Esc does not close the dialog; only its buttons and close control do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
