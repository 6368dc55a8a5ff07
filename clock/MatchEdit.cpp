#include "clock/MatchEdit.h"

#include "clock/Match.h"
#include "clock/MatchSnapshot.h"
#include "clock/RuleBook.h"

#include <QStringList>

using namespace MatchMembers;

qint64 MatchEdit::to(int id, bool undone) const {
    if (!undone)
        return after[id];
    if (id == kClockRunning)
        return before[id] && resumes;
    return before[id];
}

MatchEdit MatchEdit::Between(const MatchSnapshot &b, const MatchSnapshot &a) {
    MatchEdit e;
    const auto mark = [&e](int id, bool on) {
        const quint64 bit = quint64(1) << id;
        e.members = on ? e.members | bit : e.members & ~bit;
    };
    for (int id = 0; id < kCount; ++id) {
        e.before[size_t(id)] = get(b, id);
        e.after[size_t(id)] = get(a, id);
        mark(id, e.before[size_t(id)] != e.after[size_t(id)]);
    }
    // The rule set changes with the options, for the next bout; no key takes it back.
    mark(kRuleSet, false);
    // A clock's members (numbered first to last) go together: its progress alone, while it
    // runs throughout, is none.
    const auto clock = [&](int first, int last, int progress, bool ranBefore, bool runsAfter) {
        if (ranBefore && runsAfter)
            mark(progress, false);
        bool changed = ranBefore != runsAfter;
        for (int id = first; id <= last; ++id)
            changed = changed || e.has(id);
        for (int id = first; id <= last; ++id)
            mark(id, changed);
    };
    clock(kClockSet, kClockRunning, kClockRun, b.clockRunning, a.clockRunning);
    const auto holds = [](const MatchSnapshot &s, Side holder) {
        return s.clockRunning && s.timeAd == holder;
    };
    clock(kHomeAd, kHomeAd, kHomeAd, holds(b, Side::Home), holds(a, Side::Home));
    clock(kGuestAd, kGuestAd, kGuestAd, holds(b, Side::Guest), holds(a, Side::Guest));
    // The stoppage clock with every allowance.
    clock(kStoppageUsed, kStoppageRun, kStoppageRun, b.stoppageRunning, a.stoppageRunning);
    const auto active = [](const MatchSnapshot &s) {
        return s.activitySide != 0 && s.clockRunning && !s.onBreak;
    };
    // A new period for the same wrestler, running throughout, shows as its run going down.
    clock(kActivitySide, kActivityRun, kActivityRun, active(b),
          active(a) && a.activityRun >= b.activityRun);
    for (int id = 0; id < kCount; ++id) {
        if (!e.has(id))
            e.before[size_t(id)] = e.after[size_t(id)] = 0;
    }
    if (a.bouts.size() == b.bouts.size() + 1)
        e.bout = a.bouts.back();
    if (a.moves.size() == b.moves.size() + 1)
        e.move = a.moves.back();
    for (const auto *texts : {&b.texts, &a.texts}) {
        for (auto it = texts->cbegin(); it != texts->cend(); ++it) {
            if (b.texts.value(it.key()) != a.texts.value(it.key())) {
                e.textsBefore.insert(it.key(), b.texts.value(it.key()));
                e.textsAfter.insert(it.key(), a.texts.value(it.key()));
            }
        }
    }
    return e;
}

void MatchEdit::Push(QList<MatchEdit> &list, const MatchEdit &edit) {
    list.append(edit);
    if (list.size() > kDepth)
        list.removeFirst();
}

namespace {

QString number(qint64 v) {
    return v < 0 ? QStringLiteral("blank") : QString::number(v);
}

} // namespace

QString MatchEdit::Describe(const MatchSnapshot &now, bool undone, const QString &home,
                            const QString &guest) const {
    const auto team = [&](qint64 side) { return side == 1 ? home : guest; };
    std::array<qint64, kCount> from{};
    for (int id = 0; id < kCount; ++id)
        from[size_t(id)] = get(now, id);
    const auto to = [this, undone](int id) { return this->to(id, undone); };
    QStringList parts;
    // What reads the same before and after (a clock stopped where it ran) goes unsaid.
    const auto change = [&parts](const QString &name, const QString &was, const QString &is) {
        if (was != is)
            parts << QStringLiteral("%1 %2 → %3").arg(name, was, is);
    };
    if (move)
        parts << QStringLiteral("%1 %2 %3")
                     .arg(move->mark(), team(move->side),
                          undone ? QStringLiteral("taken back") : QStringLiteral("scored"));
    if (!textsAfter.isEmpty())
        parts << (textsAfter.size() == 1 ? QStringLiteral("1 name")
                                         : QStringLiteral("%1 names").arg(textsAfter.size())) +
                     (undone ? QStringLiteral(" back as before") : QStringLiteral(" changed"));
    if (bout) {
        const QString winner = bout->winner ? team(bout->winner)
                                            : RuleBook::ResultName(RuleBook::Result(bout->result));
        parts << QStringLiteral("%1 (%2) %3")
                     .arg(bout->match < 0 ? QStringLiteral("Bout result")
                                          : QStringLiteral("Match %1 result").arg(bout->match),
                          winner,
                          undone ? QStringLiteral("taken back") : QStringLiteral("recorded"));
    }
    static const char *const kFieldNames[kFieldMembers] = {
        "%1 score", "%1 score", "%1 match points", "%1 match points", "Match", "Period", "Weight"};
    for (int id = 0; id < kFieldMembers; ++id) {
        if (has(id))
            change(id < 4 ? QLatin1String(kFieldNames[id]).arg(team(id % 2 + 1))
                          : QLatin1String(kFieldNames[id]),
                   number(from[id]), number(to(id)));
    }
    if (has(kClockSet)) {
        const bool turns = from[kClockRunning] != to(kClockRunning);
        const auto reading = [turns](qint64 set, qint64 run, bool running) {
            QString text = Match::TimeText(std::max<qint64>(set - run, 0), true);
            if (turns)
                text += running ? QStringLiteral(" running") : QStringLiteral(" stopped");
            return text;
        };
        change(QStringLiteral("Clock"),
               reading(from[kClockSet], from[kClockRun], from[kClockRunning]),
               reading(to(kClockSet), to(kClockRun), to(kClockRunning)));
    }
    if (has(kTimeAd)) {
        const auto holder = [&team](qint64 v) {
            return v == kHomeHolds    ? team(1)
                   : v == kGuestHolds ? team(2)
                                      : QStringLiteral("nobody");
        };
        change(QStringLiteral("Time advantage"), holder(from[kTimeAd]), holder(to(kTimeAd)));
    }
    for (const int id : {int(kHomeAd), int(kGuestAd)}) {
        if (has(id))
            change(QStringLiteral("%1 time advantage").arg(team(id == kHomeAd ? 1 : 2)),
                   Match::TimeText(from[id], false), Match::TimeText(to(id), false));
    }
    if (has(kStoppageKind)) {
        const auto shown = [&team](qint64 kind, qint64 side, qint64 left, bool running) {
            if (kind < 0 || kind >= RuleBook::kStoppageCount)
                return QStringLiteral("none");
            return QStringLiteral("%1 %2 %3%4")
                .arg(RuleBook::StoppageName(int(kind)), team(side),
                     Match::TimeText(std::max<qint64>(left, 0), true),
                     running ? QStringLiteral(" running") : QString());
        };
        change(QStringLiteral("Stoppage clock"),
               shown(from[kStoppageKind], from[kStoppageSide],
                     from[kStoppageSet] - from[kStoppageRun], from[kStoppageRunning]),
               shown(to(kStoppageKind), to(kStoppageSide), to(kStoppageSet) - to(kStoppageRun),
                     to(kStoppageRunning)));
    }
    if (has(kActivitySide)) {
        const auto shown = [&team](qint64 side, qint64 left) {
            return side == 0 ? QStringLiteral("none")
                             : team(side) + QLatin1Char(' ') +
                                   Match::TimeText(std::max<qint64>(left, 0), true);
        };
        change(QStringLiteral("Activity period"),
               shown(from[kActivitySide], from[kActivitySet] - from[kActivityRun]),
               shown(to(kActivitySide), to(kActivitySet) - to(kActivityRun)));
    }
    return parts.isEmpty() ? QStringLiteral("the last action") : parts.join(QStringLiteral(", "));
}
