#include "feed/MatchFeed.h"

#include "clock/BoutSheet.h"
#include "feed/LayoutJson.h"
#include "settings/modGlobals.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QWidget>

MatchFeed::MatchFeed(Match &match, QWidget *picture, QObject *parent)
    : QObject(parent), m_match(match), m_picture(picture),
      // A monotonic clock: a wall clock set back would hold requests and rates for as long.
      m_devices(DevicesPath(), [] { return QDeadlineTimer::current().deadline(); }),
      m_desk(match, m_devices, [this] { return FeedStateJson(State()); }) {
    connect(&m_devices, &ControlDevices::Removed, &m_server, &FeedServer::closeStreams);
    connect(&m_server, &FeedServer::stateTextChanged, this, &MatchFeed::StateTextChanged);
    connect(&m_match, &Match::FieldChanged, this, &MatchFeed::publish);
    connect(&m_match, &Match::AdChanged, this, &MatchFeed::publish);
    connect(&m_match, &Match::TickChanged, this, &MatchFeed::publish);
    connect(&m_match, &Match::StoppageChanged, this, &MatchFeed::publish);
    connect(&m_match, &Match::BoutsChanged, this, &MatchFeed::publish);
    connect(&m_match, &Match::MovesChanged, this, &MatchFeed::publish);
    connect(&m_match, &Match::TextsChanged, this, &MatchFeed::publish);
}

FeedState MatchFeed::State() const {
    FeedState s;
    FeedText::FillOptions(s);
    s.clock = m_match.ShownText(Match::pledClock);
    s.clockRunning = m_match.ClockRunning(0);
    s.timeAdvantage.shown = m_match.ShownText(Match::pledTimeAd);
    s.timeAdvantage.side =
        m_match.ShownAdSide == 2 ? QStringLiteral("guest") : QStringLiteral("home");
    s.timeAdvantage.holder = !m_match.TimeAd                ? QStringLiteral("none")
                             : m_match.TimeAd == Side::Home ? QStringLiteral("home")
                                                            : QStringLiteral("guest");
    s.home.score = m_match.ShownText(Match::pledHomeScore);
    s.home.match = m_match.ShownText(Match::pledHomeMatch);
    s.guest.score = m_match.ShownText(Match::pledGuestScore);
    s.guest.match = m_match.ShownText(Match::pledGuestMatch);
    s.matchNumber = m_match.ShownText(Match::pledMatch);
    s.period = m_match.ShownText(Match::pledPeriod);
    s.weight = m_match.ShownText(Match::pledWeight);
    s.rules = RuleBook::Key(m_match.Rules());
    s.round = {RuleBook::RoundKey(m_match.Round().kind),
               std::max(m_match.Value(Match::pledPeriod), 0)};
    if (const Match::Cover cover = m_match.Covering(); cover.kind >= 0) {
        s.stoppage.kind = RuleBook::StoppageKey(cover.kind);
        s.stoppage.side = cover.side == 1 ? QStringLiteral("home") : QStringLiteral("guest");
        s.stoppage.running = cover.running;
        s.stoppage.shown = m_match.StoppageText();
    }
    for (int side = 0; side < 2; ++side) {
        for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind) {
            const TimeValue left = m_match.StoppageLeft(side + 1, kind);
            if (left >= 0)
                s.stoppage.left[size_t(side)][size_t(kind)] = Match::TimeText(left, true);
        }
    }
    const auto movesOf = [this](const QList<ScoredMove> &book, qint32 bout) {
        QList<FeedState::Move> out;
        for (const ScoredMove &m : book) {
            if (m.bout == bout)
                out.append({std::max(m.period, 0),
                            Match::TimeText(fromTenths(m.clockTenths), true).trimmed(),
                            m.side == 1 ? QStringLiteral("home") : QStringLiteral("guest"),
                            m.mark(), m.points});
        }
        return out;
    };
    s.moves = movesOf(m_match.Moves(), m_match.BoutSerial());
    s.home.wrestler = m_match.Wrestler(1);
    s.guest.wrestler = m_match.Wrestler(2);
    for (qsizetype i = 0; i < m_match.Bouts().size(); ++i) {
        const BoutResult &b = m_match.Bouts()[i];
        using BoutSheet::Number;
        s.bouts.append({Number(b.match), Number(b.weight),
                        b.winner == 1   ? QStringLiteral("home")
                        : b.winner == 2 ? QStringLiteral("guest")
                                        : QString(),
                        RuleBook::ResultKey(RuleBook::Result(b.result)), b.teamPoints,
                        BoutSheet::FallTime(b.fallSeconds), Number(b.homePoints),
                        Number(b.guestPoints), QString::number(b.homeScore),
                        QString::number(b.guestScore), movesOf(m_match.Moves(), b.serial),
                        m_match.BoutWrestler(i, 1), m_match.BoutWrestler(i, 2)});
    }
    return s;
}

void MatchFeed::Configure() {
    const bool wasServing = m_server.isServing();
    if (m_picture)
        m_server.setLayoutJson(LayoutJson(m_picture));
    m_server.configure(modGlobals::FeedEnabled, quint16(modGlobals::FeedPort),
                       modGlobals::FeedNetwork);
    if (modGlobals::FeedControl)
        m_server.setControl([this](const ControlRequest &r) { return m_desk.Answer(r); });
    else
        m_server.setControl({});
    if (modGlobals::FeedEnabled && !m_server.isServing() && !wasServing)
        emit StartFailed(m_server.stateText());
    emit StateTextChanged(modGlobals::FeedEnabled ? m_server.stateText() : QString());
    publish();
}

QString MatchFeed::DevicesPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/control-devices.json");
}

void MatchFeed::publish() {
    if (m_server.isServing())
        m_server.publish(State());
}
