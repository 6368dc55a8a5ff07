#include "scoreboard/AudiencePlacement.h"

#include "scoreboard/frmAudience.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

AudiencePlacement::AudiencePlacement(QWidget *board) : QObject(board), m_board(board) {
    connect(qApp, &QGuiApplication::screenAdded, this, &AudiencePlacement::screenAdded);
    connect(qApp, &QGuiApplication::screenRemoved, this, &AudiencePlacement::screenRemoved);
}

QScreen *AudiencePlacement::Choose() const {
    QScreen *best = nullptr;
    const QScreen *own = m_board->screen();
    const auto area = [](const QScreen *s) {
        return qint64(s->geometry().width()) * s->geometry().height();
    };
    for (QScreen *candidate : QGuiApplication::screens()) {
        if (candidate != own && (!best || area(candidate) > area(best)))
            best = candidate;
    }
    return best;
}

QWidget *AudiencePlacement::FullScreenTarget() const {
    if (m_audience && m_audience->screen() == m_board->screen())
        return m_audience;
    return m_board;
}

void AudiencePlacement::screenRemoved(QScreen *removed) {
    if (!m_audience || m_audience->TargetScreen() != removed)
        return;
    QScreen *other = nullptr;
    for (QScreen *candidate : QGuiApplication::screens()) {
        if (candidate != removed && candidate != m_board->screen())
            other = candidate;
    }
    if (other) {
        emit MoveRequested(other);
        return;
    }
    emit CloseRequested();
    m_reopenWithScreen = true;
}

void AudiencePlacement::screenAdded(QScreen *added) {
    if (!m_reopenWithScreen || m_audience || added == m_board->screen())
        return;
    m_reopenWithScreen = false;
    // Let the new screen settle its geometry first.
    QTimer::singleShot(0, this, [this, added = QPointer<QScreen>(added)] {
        if (added && !m_audience)
            emit OpenRequested(added);
    });
}
