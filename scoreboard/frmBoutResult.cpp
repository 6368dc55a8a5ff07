#include "scoreboard/frmBoutResult.h"

#include "clock/BoutSheet.h"
#include "clock/Match.h"
#include "settings/modGlobals.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

frmBoutResult::frmBoutResult(Match &match, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_match(match) {
    setObjectName(QStringLiteral("frmBoutResult"));
    setWindowTitle(QStringLiteral("Bout Result"));
    QString criterion;
    BoutResult proposed = match.ProposedResult(&criterion);

    // "Texas A&M" is a name, not a shortcut.
    const auto literal = [](QString name) {
        return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    };
    // With the wrestler's name when the lineup has one.
    const auto named = [&](const QString &team, int side) {
        const QString wrestler = match.Wrestler(side);
        return literal(team) +
               (wrestler.isEmpty() ? QString() : QStringLiteral(", ") + literal(wrestler));
    };
    m_home = new QRadioButton(QStringLiteral("&Home: ") + named(modGlobals::HomeText, 1), this);
    m_guest = new QRadioButton(QStringLiteral("&Guest: ") + named(modGlobals::GuestText, 2), this);
    m_nobody = new QRadioButton(QStringLiteral("&Nobody (double forfeit)"), this);
    // A lineup in use: a side with no wrestler at this weight forfeits, both a double forfeit.
    const QList<quint16> ids = match.Texts().keys();
    const bool lineup =
        std::ranges::any_of(ids, Lineup::IsName) && match.Value(Match::pledWeight) > 0;
    const bool noHome = lineup && match.Wrestler(1).isEmpty();
    const bool noGuest = lineup && match.Wrestler(2).isEmpty();
    if (noHome || noGuest) {
        proposed.winner = noHome && noGuest ? 0 : noHome ? 2 : 1;
        proposed.result = int(RuleBook::Result::Forfeit);
        criterion.clear();
    }
    (proposed.winner == 0 ? m_nobody : proposed.winner == 2 ? m_guest : m_home)->setChecked(true);
    m_result = new QComboBox(this);
    // The results a winner can have under the bout's rule set (a double forfeit has none).
    for (const RuleBook::Result r : RuleBook::Of(match.Rules()).results)
        m_result->addItem(RuleBook::ResultName(r), int(r));
    m_result->setCurrentIndex(std::max(m_result->findData(proposed.result), 0));
    m_teamPoints = new QLabel(this);
    m_fallTime = new QLineEdit(BoutSheet::FallTime(proposed.fallSeconds), this);
    m_deduction = new QComboBox(this);
    m_deduction->addItems({QStringLiteral("None"),
                           QStringLiteral("1 from %1").arg(modGlobals::HomeText),
                           QStringLiteral("2 from %1").arg(modGlobals::HomeText),
                           QStringLiteral("1 from %1").arg(modGlobals::GuestText),
                           QStringLiteral("2 from %1").arg(modGlobals::GuestText)});

    auto winner = new QVBoxLayout;
    winner->addWidget(m_home);
    winner->addWidget(m_guest);
    winner->addWidget(m_nobody);
    auto form = new QFormLayout;
    // An international tie: which criterion decided it.
    if (!criterion.isEmpty()) {
        auto tie =
            new QLabel(QStringLiteral("Tie: %1 on %2")
                           .arg(proposed.winner == 2 ? modGlobals::GuestText : modGlobals::HomeText,
                                criterion),
                       this);
        tie->setObjectName(QStringLiteral("lblCriterion"));
        tie->setTextFormat(Qt::PlainText);
        form->addRow(QStringLiteral("Proposed:"), tie);
    }
    form->addRow(QStringLiteral("Winner:"), winner);
    form->addRow(QStringLiteral("&Result:"), m_result);
    form->addRow(QStringLiteral("Team points:"), m_teamPoints);
    form->addRow(QStringLiteral("&Fall time:"), m_fallTime);
    form->addRow(QStringLiteral("&Deduction:"), m_deduction);
    auto buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmBoutResult::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    for (QRadioButton *b : {m_home, m_guest, m_nobody})
        connect(b, &QRadioButton::toggled, this, &frmBoutResult::update);
    connect(m_result, &QComboBox::currentIndexChanged, this, &frmBoutResult::update);
    update();
    m_result->setFocus();
}

void frmBoutResult::update() {
    const bool won = !m_nobody->isChecked();
    m_result->setEnabled(won);
    const RuleBook::Result result = RuleBook::Result(m_result->currentData().toInt());
    m_teamPoints->setText(QString::number(won ? RuleBook::TeamPoints(m_match.Rules(), result) : 0));
    m_fallTime->setEnabled(won && result == RuleBook::Result::Fall);
}

void frmBoutResult::accept() {
    BoutResult r;
    r.winner = m_home->isChecked() ? 1 : m_guest->isChecked() ? 2 : 0;
    r.result = m_result->currentData().toInt();
    if (r.winner && r.result == int(RuleBook::Result::Fall)) {
        static const QRegularExpression time(
            QRegularExpression::anchoredPattern(QStringLiteral("\\s*(\\d{1,2}):([0-5]\\d)\\s*")));
        const QRegularExpressionMatch m = time.match(m_fallTime->text());
        const qint32 seconds =
            m.hasMatch() ? m.captured(1).toInt() * 60 + m.captured(2).toInt() : -1;
        if (seconds < 0) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("The fall time reads minutes:seconds, as 1:23."));
            m_fallTime->setFocus();
            return;
        }
        r.fallSeconds = seconds;
    }
    const int deduction = m_deduction->currentIndex();
    r.deductionSide = deduction == 0 ? 0 : deduction <= 2 ? 1 : 2;
    r.deduction = deduction == 0 ? 0 : 2 - deduction % 2;
    MatchCommand record;
    record.kind = MatchCommand::Kind::Result;
    record.result = r;
    if (const QString why = m_match.apply(record).refused; !why.isEmpty()) {
        // A team name is shown as typed, never as markup.
        QMessageBox box(QMessageBox::Warning, windowTitle(), why, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgRefused"));
        box.setTextFormat(Qt::PlainText);
        box.exec();
        m_deduction->setFocus();
        return;
    }
    QDialog::accept();
}
