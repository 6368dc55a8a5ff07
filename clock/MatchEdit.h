#pragma once

#include "clock/BoutResult.h"
#include "clock/MatchMembers.h"
#include "clock/ScoredMove.h"

#include <QList>
#include <QMap>
#include <QString>
#include <array>
#include <optional>

// One operator action as undo and redo know it: the members it changed, with their values
// just before and just after it, and the bout it recorded. A clock that runs throughout the
// action has not changed by running; a clock started, stopped or set has, as a whole.
struct MatchEdit {
    quint64 members = 0; // a bit per MatchMembers::Id
    std::array<qint64, MatchMembers::kCount> before{};
    std::array<qint64, MatchMembers::kCount> after{};
    std::optional<BoutResult> bout;
    std::optional<ScoredMove> move; // the scorebook entry it added
    // The texts it changed (names), by number, just before and just after: empty is none.
    QMap<quint16, QString> textsBefore;
    QMap<quint16, QString> textsAfter;
    // It stopped the match clock by its key: undone, the clock runs again from where it
    // stopped. Any other undone action leaves the clock stopped.
    bool resumes = false;
    // The device that gave it, by name and key; empty for the board's own keys.
    QString author;
    QString device;

    bool has(int id) const { return (members >> id) & 1; }
    bool isEmpty() const { return members == 0 && !bout && !move && textsAfter.isEmpty(); }
    // What a member goes to when the action is undone (or redone).
    qint64 to(int id, bool undone) const;
    bool operator==(const MatchEdit &) const = default;

    // How many actions undo remembers.
    static constexpr int kDepth = 100;
    // The edit added last, the oldest dropped past the depth.
    static void Push(QList<MatchEdit> &list, const MatchEdit &edit);
    static QList<MatchEdit> Pushed(QList<MatchEdit> list, const MatchEdit &edit) {
        Push(list, edit);
        return list;
    }

    // What an action changed (only that is kept); the rule set is never part of it.
    static MatchEdit Between(const MatchSnapshot &before, const MatchSnapshot &after);
    // What undoing (or redoing) it changes from the match as it stands, as the operator reads
    // it, with the teams' names: "Home score 21 → 18".
    QString Describe(const MatchSnapshot &now, bool undone, const QString &home,
                     const QString &guest) const;
};
