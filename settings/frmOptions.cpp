#include "settings/frmOptions.h"

#include "appearance/ControlTable.h"
#include "appearance/PictureBox.h"
#include "appearance/Twips.h"
#include "led/PackedColor.h"
#include "led/VaviZAV.h"
#include "settings/SoundFile.h"
#include "settings/frmChooseKey.h"
#include "settings/modGlobals.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>

namespace {
using namespace ControlTable;
using enum Kind;

enum KeyIndex { StartStop, Reset, Buzzer, Clear };
enum ColorIndex { Back, LedBack, LedScore, Text, LedTime };

// A frame's contents name it by its caption.
const Row kKeysTab[] = {
    {"", Frame, "", "Start / Stop Key:", 240, 480, 1455, 975},
    {"cmdStartStopK", Button, "Start / Stop Key:", "Change", 120, 240, 1215, 375},
    {"lblStartStopK", Label, "Start / Stop Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Reset Clock Key:", 1920, 480, 1455, 975},
    {"cmdResetK", Button, "Reset Clock Key:", "Change", 120, 240, 1215, 375},
    {"lblResetK", Label, "Reset Clock Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Buzzer Key:", 3600, 480, 1455, 975},
    {"cmdBuzzerK", Button, "Buzzer Key:", "Change", 120, 240, 1215, 375},
    {"lblBuzzerK", Label, "Buzzer Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "# Clear Key:", 240, 1560, 1455, 975},
    {"cmdClearK", Button, "# Clear Key:", "Change", 120, 240, 1215, 375},
    {"lblClearK", Label, "# Clear Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Buzzer Sound", 240, 2640, 4815, 735},
    {"cmdBuzzerSound", Button, "Buzzer Sound", "Change", 120, 240, 735, 375},
    {"lblBuzzerSound", Label, "Buzzer Sound", "", 840, 240, 3855, 375, Centre | Plain | Boxed},
    {"cmdResetKeys", Button, "", "Reset Keys", 3840, 3480, 1215, 375},
};

const Row kMeetKeysTab[] = {
    {"", Frame, "", "Injury Key:", 240, 480, 1455, 975},
    {"cmdInjuryK", Button, "Injury Key:", "Change", 120, 240, 1215, 375},
    {"lblInjuryK", Label, "Injury Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Blood Key:", 1920, 480, 1455, 975},
    {"cmdBloodK", Button, "Blood Key:", "Change", 120, 240, 1215, 375},
    {"lblBloodK", Label, "Blood Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Recovery Key:", 3600, 480, 1455, 975},
    {"cmdRecoveryK", Button, "Recovery Key:", "Change", 120, 240, 1215, 375},
    {"lblRecoveryK", Label, "Recovery Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Head-Neck Key:", 5280, 480, 1455, 975},
    {"cmdHeadNeckK", Button, "Head-Neck Key:", "Change", 120, 240, 1215, 375},
    {"lblHeadNeckK", Label, "Head-Neck Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Next Period Key:", 240, 1560, 1455, 975},
    {"cmdNextPeriodK", Button, "Next Period Key:", "Change", 120, 240, 1215, 375},
    {"lblNextPeriodK", Label, "Next Period Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Next Bout Key:", 1920, 1560, 1455, 975},
    {"cmdNextBoutK", Button, "Next Bout Key:", "Change", 120, 240, 1215, 375},
    {"lblNextBoutK", Label, "Next Bout Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Bout Result Key:", 3600, 1560, 1455, 975},
    {"cmdBoutResultK", Button, "Bout Result Key:", "Change", 120, 240, 1215, 375},
    {"lblBoutResultK", Label, "Bout Result Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Bout Sheet Key:", 5280, 1560, 1455, 975},
    {"cmdBoutSheetK", Button, "Bout Sheet Key:", "Change", 120, 240, 1215, 375},
    {"lblBoutSheetK", Label, "Bout Sheet Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Lineup Key:", 240, 2640, 1455, 975},
    {"cmdLineupK", Button, "Lineup Key:", "Change", 120, 240, 1215, 375},
    {"lblLineupK", Label, "Lineup Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"lblMeetKeysHelp", Label, "",
     "A stoppage key, then Left (home) or Right (guest), starts that wrestler's clock while "
     "the match clock is stopped; the key alone stops it.",
     1920, 2640, 4695, 795, TopLeft | Wrap},
    {"cmdResetMeetKeys", Button, "", "Reset Keys", 5400, 3480, 1215, 375},
};

const Row kScoringKeysTab[] = {
    {"", Frame, "", "Takedown Key:", 240, 480, 1455, 975},
    {"cmdTakedownK", Button, "Takedown Key:", "Change", 120, 240, 1215, 375},
    {"lblTakedownK", Label, "Takedown Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Escape Key:", 1920, 480, 1455, 975},
    {"cmdEscapeK", Button, "Escape Key:", "Change", 120, 240, 1215, 375},
    {"lblEscapeK", Label, "Escape Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Reversal Key:", 3600, 480, 1455, 975},
    {"cmdReversalK", Button, "Reversal Key:", "Change", 120, 240, 1215, 375},
    {"lblReversalK", Label, "Reversal Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Near Fall Key:", 5280, 480, 1455, 975},
    {"cmdNearFallK", Button, "Near Fall Key:", "Change", 120, 240, 1215, 375},
    {"lblNearFallK", Label, "Near Fall Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Amplitude Key:", 240, 1560, 1455, 975},
    {"cmdAmplitudeK", Button, "Amplitude Key:", "Change", 120, 240, 1215, 375},
    {"lblAmplitudeK", Label, "Amplitude Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Penalty Key:", 1920, 1560, 1455, 975},
    {"cmdPenaltyK", Button, "Penalty Key:", "Change", 120, 240, 1215, 375},
    {"lblPenaltyK", Label, "Penalty Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Stalling Key:", 3600, 1560, 1455, 975},
    {"cmdStallingK", Button, "Stalling Key:", "Change", 120, 240, 1215, 375},
    {"lblStallingK", Label, "Stalling Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"", Frame, "", "Caution Key:", 5280, 1560, 1455, 975},
    {"cmdCautionK", Button, "Caution Key:", "Change", 120, 240, 1215, 375},
    {"lblCautionK", Label, "Caution Key:", "", 120, 600, 1215, 255, Centre | Plain | Boxed},
    {"lblScoringKeysHelp", Label, "",
     "A scoring key, then Left (home) or Right (guest); a near fall or an amplitude then takes "
     "its points as a digit. Tab steps the selected field.",
     240, 2640, 6375, 615, TopLeft | Wrap},
    {"cmdResetScoringKeys", Button, "", "Reset Keys", 5400, 3480, 1215, 375},
};

const Row kRulesTab[] = {
    {"lblRuleSet", Label, "", "&Rule set:", 240, 540, 1095, 315},
    {"cmbRuleSet", Combo, "", "", 1440, 480, 3615, 315},
    {"lblAllowances", Label, "", "", 240, 1080, 4815, 1815, TopLeft | Wrap | Plain},
    {"lblRulesNote", Label, "", "A change applies from the next bout.", 240, 3000, 4815, 315,
     TopLeft},
};

const Row kColorsTab[] = {
    {"", Frame, "", "Background:", 240, 480, 1455, 735},
    {"picBackC", Swatch, "Background:", "", 120, 240, 495, 375},
    {"cmdBackC", Button, "Background:", "Change", 600, 240, 735, 375},
    {"", Frame, "", "LED Back Color:", 1920, 480, 1455, 735},
    {"picLedBackC", Swatch, "LED Back Color:", "", 120, 240, 495, 375},
    {"cmdLedBackC", Button, "LED Back Color:", "Change", 600, 240, 735, 375},
    {"", Frame, "", "LED Score Color:", 3600, 480, 1455, 735},
    {"picLedScoreC", Swatch, "LED Score Color:", "", 120, 240, 495, 375},
    {"cmdLedScoreC", Button, "LED Score Color:", "Change", 600, 240, 735, 375},
    {"", Frame, "", "Text Color:", 240, 1320, 1455, 735},
    {"picTextC", Swatch, "Text Color:", "", 120, 240, 495, 375},
    {"cmdTextC", Button, "Text Color:", "Change", 600, 240, 735, 375},
    {"", Frame, "", "LED Time Color:", 3600, 1320, 1455, 735},
    {"picLedTimeC", Swatch, "LED Time Color:", "", 120, 240, 495, 375},
    {"cmdLedTimeC", Button, "LED Time Color:", "Change", 600, 240, 735, 375},
    {"", Frame, "", "Digit Type:", 1920, 1320, 1455, 2055},
    {"cmbLedType", Combo, "Digit Type:", "Lines|Dots", 120, 240, 1215, 315},
    {"lblPreview", Label, "Digit Type:", "Preview:", 360, 720, 855, 255, TopCentre},
    {"pledPreview", Led, "Digit Type:", "", 480, 960, 540, 975},
    {"cmdResetColors", Button, "", "Reset Colors", 3840, 3480, 1215, 375},
};

const Row kTextTab[] = {
    {"", Frame, "", "Home Team:", 240, 480, 4935, 975},
    {"txtHome", Entry, "Home Team:", "", 120, 360, 4695, 375, Centre, Sans(9.75)},
    {"", Frame, "", "Guest Team:", 240, 1800, 4935, 1095},
    {"txtGuest", Entry, "Guest Team:", "", 120, 360, 4695, 375, Centre, Sans(9.75)},
};

const Row kBroadcastTab[] = {
    {"chkFeed", Check, "", "Serve the scoreboard over HTTP", 240, 480, 4815, 315},
    {"lblFeedPort", Label, "", "Port:", 240, 960, 735, 315},
    {"txtFeedPort", Spin, "", "", 960, 900, 1215, 375},
    {"optFeedLocal", Option, "", "This computer only", 240, 1440, 4815, 315},
    {"optFeedNetwork", Option, "", "Every device on the network", 240, 1800, 4815, 315},
    {"chkFeedControl", Check, "", "Allow control from other devices", 240, 2280, 4815, 315},
    {"lblFeedState", Label, "", "Not serving", 240, 2760, 4815, 975, TopLeft | Wrap | Selectable},
    {"lblDevices", Label, "", "Devices let in:", 5280, 480, 2880, 315},
    {"cmbDevices", Combo, "", "", 5280, 840, 2880, 375},
    {"cmdRemoveDevice", Button, "", "&Remove", 5280, 1320, 1335, 375},
    {"cmdRemoveAllDevices", Button, "", "Remove a&ll", 6825, 1320, 1335, 375},
};

struct Tab {
    const char *caption;
    std::span<const Row> rows;
};
const Tab kTabs[] = {
    {"Keys", kKeysTab},           {"Colors", kColorsTab},      {"Text Controls", kTextTab},
    {"Broadcast", kBroadcastTab}, {"Meet Keys", kMeetKeysTab}, {"Scoring Keys", kScoringKeysTab},
    {"Rules", kRulesTab},
};

// Below the tab container.
const Row kButtons[] = {
    {"cmdOk", Button, "", "&Ok", 3157, 4200, 1095, 375},
    {"cmdCancel", Button, "", "&Cancel", 4372, 4200, 1095, 375},
};

// In KeyIndex order.
struct KeyBinding {
    const char *button;
    const char *label;
    const char *phrase;
    int resetValue;
};
const KeyBinding kKeyBindings[] = {
    {"cmdStartStopK", "lblStartStopK", "start / stop the clock",
     modGlobals::DefaultStartStopClockKey},
    {"cmdResetK", "lblResetK", "reset the clock", modGlobals::DefaultResetClockKey},
    {"cmdBuzzerK", "lblBuzzerK", "sound the buzzer", modGlobals::DefaultBuzzerKey},
    {"cmdClearK", "lblClearK", "clear a number", modGlobals::DefaultClearKey},
    {"cmdInjuryK", "lblInjuryK", "start or stop an injury clock",
     modGlobals::DefaultMeetKeys[RuleBook::Injury]},
    {"cmdBloodK", "lblBloodK", "start or stop a blood clock",
     modGlobals::DefaultMeetKeys[RuleBook::Blood]},
    {"cmdRecoveryK", "lblRecoveryK", "start or stop a recovery clock",
     modGlobals::DefaultMeetKeys[RuleBook::Recovery]},
    {"cmdHeadNeckK", "lblHeadNeckK", "start or stop a head-neck clock",
     modGlobals::DefaultMeetKeys[RuleBook::HeadNeck]},
    {"cmdNextPeriodK", "lblNextPeriodK", "go to the next period",
     modGlobals::DefaultMeetKeys[modGlobals::kNextPeriodCommand]},
    {"cmdNextBoutK", "lblNextBoutK", "go to the next bout",
     modGlobals::DefaultMeetKeys[modGlobals::kNextBoutCommand]},
    {"cmdBoutResultK", "lblBoutResultK", "record a bout's result",
     modGlobals::DefaultMeetKeys[modGlobals::kBoutResultCommand]},
    {"cmdBoutSheetK", "lblBoutSheetK", "show the bout sheet",
     modGlobals::DefaultMeetKeys[modGlobals::kBoutSheetCommand]},
    {"cmdLineupK", "lblLineupK", "edit the lineup",
     modGlobals::DefaultMeetKeys[modGlobals::kLineupCommand]},
    {"cmdTakedownK", "lblTakedownK", "score a takedown",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 0]},
    {"cmdEscapeK", "lblEscapeK", "score an escape or a step out",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 1]},
    {"cmdReversalK", "lblReversalK", "score a reversal",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 2]},
    {"cmdNearFallK", "lblNearFallK", "score a near fall or an exposure",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 3]},
    {"cmdAmplitudeK", "lblAmplitudeK", "score a grand amplitude",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 4]},
    {"cmdPenaltyK", "lblPenaltyK", "call a penalty",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 5]},
    {"cmdStallingK", "lblStallingK", "call stalling",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 6]},
    {"cmdCautionK", "lblCautionK", "call a caution",
     modGlobals::DefaultMeetKeys[modGlobals::kFirstMoveCommand + 7]},
};
// The rows of the Meet Keys tab start here, in the order of modGlobals' meet commands.
constexpr int kFirstMeetKey = 4;

// In ColorIndex order: swatch, button.
const char *const kColorRows[][2] = {
    {"picBackC", "cmdBackC"}, {"picLedBackC", "cmdLedBackC"}, {"picLedScoreC", "cmdLedScoreC"},
    {"picTextC", "cmdTextC"}, {"picLedTimeC", "cmdLedTimeC"},
};

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
    // Wide enough for every tab's caption side by side.
    setFixedSize(Twips::Pixels(8625), Twips::Pixels(4635));

    auto sst = new QWidget(this);
    sst->setObjectName(QStringLiteral("sstOptions"));
    Twips::SetGeometry(sst, {120, 120, 8355, 3975});
    m_tabs = new QTabBar(sst);
    m_tabs->setObjectName(QStringLiteral("sstOptionsTabs"));
    for (const Tab &tab : kTabs)
        m_tabs->addTab(QLatin1String(tab.caption));
    m_tabs->setExpanding(true);
    m_tabs->setGeometry(0, 0, sst->width(), m_tabs->sizeHint().height());
    for (const Tab &tab : kTabs) {
        auto page = new QWidget(sst);
        page->setObjectName(QStringLiteral("sstOptionsPage%1").arg(m_pages.size()));
        page->setGeometry(0, 0, sst->width(), sst->height());
        m_pages.append(page);
        Build(page, tab.rows);
    }
    m_tabs->raise();
    connect(m_tabs, &QTabBar::currentChanged, this, &frmOptions::setPage);
    Build(this, kButtons);

    const auto button = [this](const char *name) {
        return findChild<QPushButton *>(QLatin1String(name));
    };
    // No button answers Enter: an operator's stray Enter must not commit or discard.
    for (QPushButton *b : findChildren<QPushButton *>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    for (const KeyBinding &k : kKeyBindings) {
        const int index = int(m_keys.size());
        m_keys.append({button(k.button), findChild<QLabel *>(QLatin1String(k.label)),
                       QLatin1String(k.phrase), QChar(char16_t(k.resetValue))});
        connect(m_keys[index].button, &QPushButton::clicked, this,
                [this, index] { chooseKey(m_keys[index]); });
    }
    for (const auto &names : kColorRows) {
        const int index = int(m_colors.size());
        m_colors.append({findChild<PictureBox *>(QLatin1String(names[0])), button(names[1])});
        connect(m_colors[index].button, &QPushButton::clicked, this,
                [this, index] { chooseColor(m_colors[index]); });
    }
    connect(button("cmdBuzzerSound"), &QPushButton::clicked, this,
            &frmOptions::cmdBuzzerSound_Click);
    connect(button("cmdResetKeys"), &QPushButton::clicked, this,
            [this] { resetKeys(0, kFirstMeetKey); });
    constexpr int kFirstScoringKey = kFirstMeetKey + modGlobals::kFirstMoveCommand;
    connect(button("cmdResetMeetKeys"), &QPushButton::clicked, this,
            [this] { resetKeys(kFirstMeetKey, kFirstScoringKey); });
    connect(button("cmdResetScoringKeys"), &QPushButton::clicked, this,
            [this] { resetKeys(kFirstScoringKey, int(m_keys.size())); });
    connect(button("cmdResetColors"), &QPushButton::clicked, this,
            &frmOptions::cmdResetColors_Click);
    connect(button("cmdOk"), &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
    connect(button("cmdCancel"), &QPushButton::clicked, this, &QDialog::reject);

    m_lblBuzzerSound = findChild<QLabel *>(QStringLiteral("lblBuzzerSound"));
    m_cmbLedType = findChild<QComboBox *>(QStringLiteral("cmbLedType"));
    connect(m_cmbLedType, &QComboBox::currentIndexChanged, this, &frmOptions::cmbLedType_Click);
    m_pledPreview = findChild<VaviZAV *>(QStringLiteral("pledPreview"));
    m_pledPreview->setCaption(8);
    m_pledPreview->setFocusPolicy(Qt::NoFocus);
    m_txtHome = findChild<QLineEdit *>(QStringLiteral("txtHome"));
    m_txtGuest = findChild<QLineEdit *>(QStringLiteral("txtGuest"));
    m_txtHome->setMaxLength(9);
    m_txtGuest->setMaxLength(9);
    m_chkFeed = findChild<QCheckBox *>(QStringLiteral("chkFeed"));
    m_txtFeedPort = findChild<QSpinBox *>(QStringLiteral("txtFeedPort"));
    m_txtFeedPort->setRange(1024, 65535);
    m_txtFeedPort->setGroupSeparatorShown(false);
    findChild<QLabel *>(QStringLiteral("lblFeedPort"))->setBuddy(m_txtFeedPort);
    m_optFeedLocal = findChild<QRadioButton *>(QStringLiteral("optFeedLocal"));
    m_optFeedNetwork = findChild<QRadioButton *>(QStringLiteral("optFeedNetwork"));
    m_lblFeedState = findChild<QLabel *>(QStringLiteral("lblFeedState"));
    m_chkFeedControl = findChild<QCheckBox *>(QStringLiteral("chkFeedControl"));
    m_cmbDevices = findChild<QComboBox *>(QStringLiteral("cmbDevices"));
    findChild<QLabel *>(QStringLiteral("lblDevices"))->setBuddy(m_cmbDevices);
    // A removal ends the device's access at once, whatever becomes of the dialog.
    connect(button("cmdRemoveDevice"), &QPushButton::clicked, this, [this] {
        if (m_cmbDevices->currentIndex() >= 0)
            emit RemoveDevice(m_cmbDevices->currentData().toString());
    });
    connect(button("cmdRemoveAllDevices"), &QPushButton::clicked, this,
            &frmOptions::RemoveAllDevices);
    setDevices({});
    m_cmbRuleSet = findChild<QComboBox *>(QStringLiteral("cmbRuleSet"));
    // By the rule book's order, which the stored index follows.
    for (int set = 0; set < RuleBook::kSetCount; ++set)
        m_cmbRuleSet->addItem(QLatin1String(RuleBook::Of(RuleBook::Set(set)).name));
    findChild<QLabel *>(QStringLiteral("lblRuleSet"))->setBuddy(m_cmbRuleSet);
    m_lblAllowances = findChild<QLabel *>(QStringLiteral("lblAllowances"));
    connect(m_cmbRuleSet, &QComboBox::currentIndexChanged, this, &frmOptions::showAllowances);

    setPage(0);
    Form_Load();
}

void frmOptions::setPage(int index) {
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
    m_tabs->raise();
}

void frmOptions::Form_Load() {
    // An unbound command shows an empty box.
    const auto keyText = [](int code) {
        return code == 0 ? QString() : QString(QChar(char16_t(code)));
    };
    m_keys[StartStop].label->setText(keyText(modGlobals::StartStopClockKey));
    m_keys[Reset].label->setText(keyText(modGlobals::ResetClockKey));
    m_keys[Clear].label->setText(keyText(modGlobals::ClearKey));
    m_keys[Buzzer].label->setText(keyText(modGlobals::BuzzerKey));
    for (int command = 0; command < modGlobals::kMeetCommandCount; ++command)
        m_keys[kFirstMeetKey + command].label->setText(keyText(modGlobals::MeetKey(command)));
    m_cmbRuleSet->setCurrentIndex(int(modGlobals::RuleSet));
    showAllowances();
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
    m_chkFeedControl->setChecked(modGlobals::FeedControl);
}

void frmOptions::setDevices(const QList<std::pair<QString, QString>> &devices) {
    m_cmbDevices->clear();
    for (const auto &[key, text] : devices)
        m_cmbDevices->addItem(text, key);
    m_cmbDevices->setEnabled(!devices.isEmpty());
    findChild<QPushButton *>(QStringLiteral("cmdRemoveDevice"))->setEnabled(!devices.isEmpty());
    findChild<QPushButton *>(QStringLiteral("cmdRemoveAllDevices"))->setEnabled(!devices.isEmpty());
    if (devices.isEmpty())
        m_cmbDevices->addItem(QStringLiteral("None"));
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
    ChooseBuzzerFile(path);
}

bool frmOptions::ChooseBuzzerFile(const QString &path) {
    // A file that would leave the buzzer silent is refused now, not found out at zero.
    QString why;
    if (!SoundFile::Read(path, &why)) {
        QMessageBox box(
            QMessageBox::Warning, windowTitle(),
            QStringLiteral("%1 cannot be the buzzer. %2").arg(existingFileName(path), why),
            QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgBadSound"));
        box.exec();
        return false;
    }
    m_buzzerTemp = path;
    m_lblBuzzerSound->setText(PathDisplay(path));
    return true;
}

void frmOptions::resetKeys(int from, int to) {
    for (int i = from; i < to; ++i) {
        // A default another tab's binding holds stays with it; this one is unbound.
        bool taken = false;
        for (int other = 0; other < m_keys.size(); ++other) {
            if ((other < from || other >= to) &&
                keyOf(m_keys[other].label) == m_keys[i].resetValue.unicode())
                taken = true;
        }
        m_keys[i].label->setText(taken ? QString() : QString(m_keys[i].resetValue));
    }
}

void frmOptions::showAllowances() {
    const RuleBook::Rules &rules = RuleBook::Of(RuleBook::Set(m_cmbRuleSet->currentIndex()));
    QStringList lines{QStringLiteral("Stoppage clocks, for each wrestler in a bout:")};
    for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind) {
        const RuleBook::Allowance a = rules.stoppage[kind];
        const QString time = QStringLiteral("%1:%2")
                                 .arg(a.seconds / 60)
                                 .arg(a.seconds % 60, 2, 10, QLatin1Char('0'));
        lines << RuleBook::StoppageName(kind) + QStringLiteral(": ") +
                     (a.seconds == 0     ? QStringLiteral("none")
                      : a.eachOccurrence ? time + QStringLiteral(" each time")
                                         : time + QStringLiteral(" in all"));
    }
    // The margins the result window proposes from, and the international clocks.
    QString margins = QStringLiteral("%1 at %2")
                          .arg(RuleBook::ResultName(rules.technical))
                          .arg(rules.technicalMargin);
    if (rules.breakSeconds > 0)
        margins += QStringLiteral("; break 0:%1; activity period 0:%2")
                       .arg(rules.breakSeconds, 2, 10, QLatin1Char('0'))
                       .arg(rules.scoring.activitySeconds, 2, 10, QLatin1Char('0'));
    lines << margins;
    m_lblAllowances->setText(lines.join(QLatin1Char('\n')));
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
    for (int command = 0; command < modGlobals::kMeetCommandCount; ++command)
        modGlobals::MeetKey(command) = keyOf(m_keys[kFirstMeetKey + command].label);
    modGlobals::RuleSet = RuleBook::Set(m_cmbRuleSet->currentIndex());
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
    modGlobals::FeedControl = m_chkFeedControl->isChecked();
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
