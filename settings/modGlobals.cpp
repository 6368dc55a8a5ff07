#include "settings/modGlobals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <array>
#include <memory>

namespace modGlobals {

qint32 FormColor = DefaultFormColor;
qint32 TextColor = DefaultTextColor;
qint32 LEDBackColor = DefaultLEDBackColor;
qint32 LEDScoreColor = DefaultLEDScoreColor;
qint32 LEDTimeColor = DefaultLEDTimeColor;
int StartStopClockKey = DefaultStartStopClockKey;
int ResetClockKey = DefaultResetClockKey;
int ClearKey = DefaultClearKey;
int BuzzerKey = DefaultBuzzerKey;
int InjuryKey = DefaultMeetKeys[RuleBook::Injury];
int BloodKey = DefaultMeetKeys[RuleBook::Blood];
int RecoveryKey = DefaultMeetKeys[RuleBook::Recovery];
int HeadNeckKey = DefaultMeetKeys[RuleBook::HeadNeck];
int NextPeriodKey = DefaultMeetKeys[kNextPeriodCommand];
int NextBoutKey = DefaultMeetKeys[kNextBoutCommand];
int BoutResultKey = DefaultMeetKeys[kBoutResultCommand];
int BoutSheetKey = DefaultMeetKeys[kBoutSheetCommand];
int LineupKey = DefaultMeetKeys[kLineupCommand];

QString BuzzerFile;
QString HomeText = QStringLiteral("Home");
QString GuestText = QStringLiteral("Guest");
qint16 LEDType = 0;
RuleBook::Set RuleSet = RuleBook::Set::NFHS;
bool FeedEnabled = false;
int FeedPort = DefaultFeedPort;
bool FeedNetwork = false;
bool FeedControl = false;

QString KeyAction;
int KeyCurrent = 0;
QString KeyChosen = QStringLiteral("0");

namespace {

const QString kApplication = QStringLiteral("Darezez");

// The last load found a file that is not INI.
bool storeUnreadable = false;

std::unique_ptr<QSettings> openStore() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kApplication,
                                       kApplication);
}

// A stored number is used only when it is a plain decimal within range; anything else
// gives that one option its default.
qint64 readNumber(QSettings &store, const QString &key, qint64 fallback, qint64 low, qint64 high) {
    const QVariant raw = store.value(key);
    if (!raw.isValid() || raw.typeId() != QMetaType::QString)
        return fallback;
    const QString text = raw.toString();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return fallback;
    if (value < low || value > high)
        return fallback;
    return value;
}

QString readText(QSettings &store, const QString &key, const QString &fallback) {
    const QVariant raw = store.value(key);
    if (!raw.isValid())
        return fallback;
    // A list (an unquoted comma in a hand-edited file) is not one of our texts.
    if (raw.typeId() != QMetaType::QString)
        return fallback;
    return raw.toString();
}

constexpr qint64 kColorMax = 16777215;
constexpr qint64 kKeyMax = 65535;

const QString kMeetKeyNames[kMeetCommandCount] = {
    QStringLiteral("InjuryKey"),     QStringLiteral("BloodKey"),      QStringLiteral("RecoveryKey"),
    QStringLiteral("HeadNeckKey"),   QStringLiteral("NextPeriodKey"), QStringLiteral("NextBoutKey"),
    QStringLiteral("BoutResultKey"), QStringLiteral("BoutSheetKey"),  QStringLiteral("LineupKey"),
    QStringLiteral("TakedownKey"),   QStringLiteral("EscapeKey"),     QStringLiteral("ReversalKey"),
    QStringLiteral("NearFallKey"),   QStringLiteral("AmplitudeKey"),  QStringLiteral("PenaltyKey"),
    QStringLiteral("StallingKey"),   QStringLiteral("CautionKey")};

} // namespace

namespace {
std::array<int, kMoveKeyCount> ScoringKeys = [] {
    std::array<int, kMoveKeyCount> keys{};
    for (int move = 0; move < kMoveKeyCount; ++move)
        keys[size_t(move)] = DefaultMeetKeys[kFirstMoveCommand + move];
    return keys;
}();
} // namespace

int &MeetKey(int command) {
    if (command >= kFirstMoveCommand)
        return ScoringKeys[size_t(command - kFirstMoveCommand)];
    int *const keys[kFirstMoveCommand] = {&InjuryKey,     &BloodKey,      &RecoveryKey,
                                          &HeadNeckKey,   &NextPeriodKey, &NextBoutKey,
                                          &BoutResultKey, &BoutSheetKey,  &LineupKey};
    return *keys[command];
}

QString DefaultBuzzerFile() {
    return QCoreApplication::applicationDirPath() + QDir::separator() +
           QStringLiteral("buzzer.wav");
}

void SetDefaults() {
    FormColor = DefaultFormColor;
    TextColor = DefaultTextColor;
    LEDBackColor = DefaultLEDBackColor;
    LEDScoreColor = DefaultLEDScoreColor;
    LEDTimeColor = DefaultLEDTimeColor;
    StartStopClockKey = DefaultStartStopClockKey;
    ResetClockKey = DefaultResetClockKey;
    ClearKey = DefaultClearKey;
    BuzzerKey = DefaultBuzzerKey;
    for (int command = 0; command < kMeetCommandCount; ++command)
        MeetKey(command) = DefaultMeetKeys[command];
    BuzzerFile = DefaultBuzzerFile();
    HomeText = QStringLiteral("Home");
    GuestText = QStringLiteral("Guest");
    LEDType = 0;
    RuleSet = RuleBook::Set::NFHS;
    FeedEnabled = false;
    FeedPort = DefaultFeedPort;
    FeedNetwork = false;
    FeedControl = false;
}

void LoadOptions() {
    SetDefaults();
    auto store = openStore();
    // A file that is not INI at all reads as an empty store; it is left alone until a save.
    storeUnreadable = store->status() == QSettings::FormatError;
    if (store->status() != QSettings::NoError)
        return;

    store->beginGroup(QStringLiteral("ColorSettings"));
    FormColor = qint32(readNumber(*store, QStringLiteral("FormColor"), FormColor, 0, kColorMax));
    LEDBackColor =
        qint32(readNumber(*store, QStringLiteral("LEDBackColor"), LEDBackColor, 0, kColorMax));
    TextColor = qint32(readNumber(*store, QStringLiteral("TextColor"), TextColor, 0, kColorMax));
    LEDScoreColor =
        qint32(readNumber(*store, QStringLiteral("LEDScoreColor"), LEDScoreColor, 0, kColorMax));
    LEDTimeColor =
        qint32(readNumber(*store, QStringLiteral("LEDTimeColor"), LEDTimeColor, 0, kColorMax));
    store->endGroup();

    store->beginGroup(QStringLiteral("KeySettings"));
    StartStopClockKey =
        int(readNumber(*store, QStringLiteral("StartStopClockKey"), StartStopClockKey, 1, kKeyMax));
    ResetClockKey =
        int(readNumber(*store, QStringLiteral("ResetClockKey"), ResetClockKey, 1, kKeyMax));
    ClearKey = int(readNumber(*store, QStringLiteral("ClearKey"), ClearKey, 1, kKeyMax));
    BuzzerKey = int(readNumber(*store, QStringLiteral("BuzzerKey"), BuzzerKey, 1, kKeyMax));
    BuzzerFile = readText(*store, QStringLiteral("BuzzerFile"), BuzzerFile);
    // Undo and redo have their keys for good: a binding of either (a file edited by hand)
    // starts unbound.
    for (int *key : {&StartStopClockKey, &ResetClockKey, &ClearKey, &BuzzerKey}) {
        if (Reserved(*key))
            *key = 0;
    }
    // A command newer than the store: its default goes to it only while no binding the
    // operator saved holds that key.
    for (int command = 0; command < kMeetCommandCount; ++command) {
        int &key = MeetKey(command);
        if (store->contains(kMeetKeyNames[command])) {
            key = int(readNumber(*store, kMeetKeyNames[command], key, 0, kKeyMax));
        }
        // One key, one command: a meet command whose key an earlier binding holds (a default
        // newer than the store, or a file edited by hand) starts unbound.
        bool taken = key == StartStopClockKey || key == ResetClockKey || key == ClearKey ||
                     key == BuzzerKey || Reserved(key);
        for (int earlier = 0; earlier < command; ++earlier)
            taken = taken || key == MeetKey(earlier);
        if (taken)
            key = 0;
    }
    store->endGroup();

    store->beginGroup(QStringLiteral("RuleSettings"));
    RuleSet = RuleBook::FromKey(readText(*store, QStringLiteral("RuleSet"), QString()));
    store->endGroup();

    store->beginGroup(QStringLiteral("TextSettings"));
    HomeText = readText(*store, QStringLiteral("HomeText"), HomeText);
    GuestText = readText(*store, QStringLiteral("GuestText"), GuestText);
    store->endGroup();

    store->beginGroup(QStringLiteral("PicSettings"));
    LEDType = qint16(readNumber(*store, QStringLiteral("LEDType"), LEDType, 0, 1));
    store->endGroup();

    store->beginGroup(QStringLiteral("FeedSettings"));
    FeedEnabled = readNumber(*store, QStringLiteral("Enabled"), 0, 0, 1) == 1;
    FeedPort = int(readNumber(*store, QStringLiteral("Port"), FeedPort, 1024, 65535));
    FeedNetwork = readNumber(*store, QStringLiteral("Network"), 0, 0, 1) == 1;
    FeedControl = readNumber(*store, QStringLiteral("Control"), 0, 0, 1) == 1;
    store->endGroup();
}

namespace {
void writeAll(QSettings &store) {
    const auto number = [](qint64 v) { return QString::number(v); };
    store.beginGroup(QStringLiteral("KeySettings"));
    store.setValue(QStringLiteral("StartStopClockKey"), number(StartStopClockKey));
    store.setValue(QStringLiteral("ResetClockKey"), number(ResetClockKey));
    store.setValue(QStringLiteral("ClearKey"), number(ClearKey));
    store.setValue(QStringLiteral("BuzzerKey"), number(BuzzerKey));
    store.setValue(QStringLiteral("BuzzerFile"), BuzzerFile);
    for (int command = 0; command < kMeetCommandCount; ++command)
        store.setValue(kMeetKeyNames[command], number(MeetKey(command)));
    store.endGroup();

    store.beginGroup(QStringLiteral("RuleSettings"));
    store.setValue(QStringLiteral("RuleSet"), RuleBook::Key(RuleSet));
    store.endGroup();

    store.beginGroup(QStringLiteral("ColorSettings"));
    store.setValue(QStringLiteral("FormColor"), number(FormColor));
    store.setValue(QStringLiteral("TextColor"), number(TextColor));
    store.setValue(QStringLiteral("LEDBackColor"), number(LEDBackColor));
    store.setValue(QStringLiteral("LEDScoreColor"), number(LEDScoreColor));
    store.setValue(QStringLiteral("LEDTimeColor"), number(LEDTimeColor));
    store.endGroup();

    store.beginGroup(QStringLiteral("TextSettings"));
    store.setValue(QStringLiteral("TitleText"), QString());
    store.setValue(QStringLiteral("HomeText"), HomeText);
    store.setValue(QStringLiteral("GuestText"), GuestText);
    store.endGroup();

    store.beginGroup(QStringLiteral("PicSettings"));
    store.setValue(QStringLiteral("LEDType"), number(LEDType));
    store.endGroup();

    store.beginGroup(QStringLiteral("FeedSettings"));
    store.setValue(QStringLiteral("Enabled"), number(FeedEnabled ? 1 : 0));
    store.setValue(QStringLiteral("Port"), number(FeedPort));
    store.setValue(QStringLiteral("Network"), number(FeedNetwork ? 1 : 0));
    store.setValue(QStringLiteral("Control"), number(FeedControl ? 1 : 0));
    store.endGroup();
    store.sync();
}
} // namespace

namespace {
// The file on disk is not INI: keep it aside, never lose it, and start a new one.
std::unique_ptr<QSettings> setAside(std::unique_ptr<QSettings> store) {
    const QString file = store->fileName();
    store.reset();
    QFile::remove(file + QStringLiteral(".unreadable"));
    QFile::rename(file, file + QStringLiteral(".unreadable"));
    return openStore();
}
} // namespace

bool SaveOptions() {
    auto store = openStore();
    if (storeUnreadable || store->status() == QSettings::FormatError)
        store = setAside(std::move(store));
    writeAll(*store);
    // Some damage shows only when the file is read again to merge the save into it.
    if (store->status() == QSettings::FormatError) {
        store = setAside(std::move(store));
        writeAll(*store);
    }
    const bool saved = store->status() == QSettings::NoError;
    if (saved)
        storeUnreadable = false;
    return saved;
}

QString SettingsFileName() {
    return openStore()->fileName();
}

} // namespace modGlobals
