#include "startup/frmHelp.h"

#include "appearance/ControlTable.h"
#include "appearance/Twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<frmHelp> &instance() {
    static QPointer<frmHelp> help;
    return help;
}

// One row per text, top to bottom; each level has its left edge and font.
struct Item {
    int top;
    int height;
    int level; // 0 heading, 1 and 2 paragraph levels
    int width;
    const char *text;
};

constexpr int kLeft[] = {120, 480, 840};
constexpr ControlTable::Font kFont[] = {ControlTable::SansBold(9.75), ControlTable::Sans(8.25),
                                        ControlTable::Sans(8.25)};

const Item kItems[] = {
    {120, 255, 0, 4215, "Viewing Help"},
    {360, 255, 1, 6735,
     "To view help from the scoreboard press ' h ' or click ' Help ' on the welcome screen."},
    {600, 255, 0, 3255, "Setting the Match Time"},
    {840, 495, 1, 6735,
     "To set the clock, click on the clock and type the number of minutes, a period ( . ), the "
     "seconds, and press 'Enter'."},
    {1320, 255, 2, 6495,
     "Examples: '25.3' = 25 minutes and 3 seconds, '6.50' = 6 minutes and 50 seconds."},
    {1560, 255, 2, 6495, "Examples: '6' = 6 minutes.  '23' = 23 minutes.   ' .5 ' = 5 seconds."},
    {1800, 255, 1, 6735, "If you mistype and need to start over, press the 'space bar'."},
    {2040, 255, 0, 3975, "Controlling the Match Time"},
    {2280, 255, 1, 6735,
     "To start/stop the Match Time press the Start/Stop Clock Key (default is ' s ' )"},
    {2520, 255, 1, 6495,
     "To reset the clock back to the last entered time press the Reset Clock Key (default is ' "
     "r ' )."},
    {2760, 255, 2, 5415, "Note: reseting the Match Time also resets both team's Time Advantages."},
    {3000, 255, 0, 4095, "Controlling the Time Advantage"},
    {3240, 255, 1, 6495,
     "To allow the Time Advantage to count up while the Match Time is running press the:"},
    {3480, 615, 2, 6495,
     "Left arrow for Home team; Right arrow for Guest team.  To stop the Time Advantage for "
     "both teams, press the Up arrow.  To review the Time Advantages, pause the Match Time, "
     "then press the Left or Right arrow key."},
    {4080, 255, 0, 7215, "Setting the Games Won, Match Points, and other fields"},
    {4320, 255, 1, 6495,
     "To set the Games Won, Match Points, or other fields, click the desired field:"},
    {4560, 495, 2, 6735,
     "To change any of the numbers, click on the object you want to set, type in the number, "
     "and press 'Enter'.  For single digit boxes simply press the new number."},
    {5040, 495, 2, 6735,
     "To increase or decrease one of the numbers, click on the number, press ' + ' or ' - ', "
     "and type a single digit number to add or subtract."},
    {5520, 255, 2, 6615,
     "To clear a field press the # Clear Key (default is ' c ' ) or subtract from the number "
     "to equal -1."},
    {5760, 255, 2, 6495, "If you mistype and need to start over, press the 'space bar'."},
    {6000, 255, 0, 3135, "Other"},
    {6240, 315, 1, 6735, "To sound the buzzer press the Buzzer key (default is 'b' )."},
    {6480, 255, 0, 1095, "Options"},
    {6720, 255, 1, 6975,
     "To go to the options press ' o ' from the program, or click on ' Options ' from the "
     "welcome screen."},
    {6960, 495, 1, 6735,
     "In the options you can change control keys and colors, and LED type of the scoreboard.  "
     "You can also change the team names and buzzer sound."},
    {7440, 255, 0, 3135, "Scoring Moves"},
    {7680, 495, 1, 6735,
     "Press a scoring key, then the Left arrow (home) or the Right arrow (guest): ' t ' "
     "takedown, ' x ' escape (step out), ' w ' reversal, ' f ' near fall (exposure)."},
    {8160, 735, 1, 6735,
     "A near fall and a grand amplitude ( ' g ' ) then take their points as a digit: ' f ', "
     "Left, ' 3 '.  Calls on a wrestler give the opponent the points: ' a ' penalty (UWW: "
     "caution, then ' 1 ' or ' 2 ' ), ' z ' stalling (UWW: passivity), ' q ' caution."},
    {8880, 495, 1, 6735,
     "Tab steps the selected field.  The scoring keys change on the Scoring Keys tab.  ' u ' "
     "opens the lineup: the wrestlers' names by weight, typed or imported from a roster."},
};
} // namespace

frmHelp::frmHelp()
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowMinimizeButtonHint) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Darezez Help"));
    setFixedSize(Twips::Pixels(7770), Twips::Pixels(9495));
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setAutoFillBackground(true);

    int index = 0;
    for (const Item &item : kItems) {
        const QByteArray name = QByteArrayLiteral("lblHelp_") + QByteArray::number(index++);
        ControlTable::Add(this, {name.constData(), ControlTable::Kind::Label, "", item.text,
                                 kLeft[item.level], item.top, item.width, item.height,
                                 ControlTable::TopLeft | ControlTable::Plain | ControlTable::Wrap,
                                 kFont[item.level]});
    }
    // On the operator's screen: the one of the window that asked, not the audience's.
    const QWidget *asking = QApplication::activeWindow();
    if (const QScreen *screen = asking ? asking->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

frmHelp *frmHelp::Instance() {
    return instance();
}

void frmHelp::ShowHelp() {
    if (!instance())
        instance() = new frmHelp();
    frmHelp *help = instance();
    help->showNormal();
    help->raise();
    help->activateWindow();
}

void frmHelp::DestroyInstance() {
    delete instance().data();
}
