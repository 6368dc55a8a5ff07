#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

// One team as the spectators read it.
struct FeedTeam {
    QString name;
    QString score;
    QString match;
    QString wrestler; // of the bout on the board: "" when none
};

// What a spectator reads off the board, as texts: every field as its digits show it (a
// blank field is empty, a time without leading blanks, "10:00", "59.9", "0.0").
struct FeedState {
    QString clock;
    bool clockRunning = false;
    struct TimeAdvantage {
        QString shown;
        QString side = QStringLiteral("home");   // whose time the field shows: home, guest
        QString holder = QStringLiteral("none"); // home, guest, none
    } timeAdvantage;
    FeedTeam home;
    FeedTeam guest;
    QString matchNumber;
    QString period;
    QString weight;
    int ledType = 0;
    struct Colors {
        QString form;
        QString text;
        QString ledBack;
        QString ledScore;
        QString ledTime;
    } colors;
    QString rules = QStringLiteral("NFHS");
    // The stoppage clock the board shows over the time advantage, and every wrestler's
    // allowances left.
    struct Stoppage {
        QString kind; // injury, blood, recovery, headNeck; empty when none is shown
        QString side; // home, guest; empty when none is shown
        bool running = false;
        QString shown;
        // By side (home, guest) and kind; empty for a kind the rule set lacks.
        std::array<std::array<QString, 4>, 2> left;
    } stoppage;
    // The round the period field stands for: period, suddenVictory, tiebreaker,
    // ultimateTiebreaker; its number is the period's (0 when the field is blank).
    struct Round {
        QString kind = QStringLiteral("period");
        int number = 0;
    } round;
    // A scorebook entry: side the wrestler it names (for a call, the one called), the clock
    // as it read, points to that wrestler or, for a call, to the opponent.
    struct Move {
        int period = 0; // 0: a blank period
        QString clock, side, mark;
        int points = 0;
        bool operator==(const Move &) const = default;
    };
    // The scorebook of the bout on the board.
    QList<Move> moves;
    // The dual's results, as the bout sheet lists them; winner empty for nobody, fallTime
    // empty for a result other than a fall.
    struct Bout {
        QString match, weight, winner, kind;
        int teamPoints = 0;
        QString fallTime, homePoints, guestPoints, homeScore, guestScore;
        QList<Move> moves;
        QString homeWrestler, guestWrestler; // as they were when recorded
        bool operator==(const Bout &) const = default;
    };
    QList<Bout> bouts;

    bool operator==(const FeedState &) const = default;
};

// The state as GET /state.json sends it: compact, keys in a fixed order. An event's frame
// leaves out the finished bouts' scorebooks, so that it stays small.
QByteArray FeedStateJson(const FeedState &state, bool boutMoves = true);

// Texts from what a field's digits show, for filling a FeedState.
namespace FeedText {

// "#rrggbb" from a colour packed as blue * 65536 + green * 256 + red.
QString Color(qint32 packed);
// The colours, digit style and team names of the options into the state.
void FillOptions(FeedState &state);

} // namespace FeedText
