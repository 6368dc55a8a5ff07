#include "scoreboard/frmScoreboard.h"

#include "appearance/Logo.h"
#include "appearance/Twips.h"
#include "console/KeyConsole.h"
#include "feed/MatchFeed.h"
#include "journal/JournalTexts.h"
#include "journal/MatchJournal.h"
#include "led/KeyCodes.h"
#include "led/VaviZAV.h"
#include "scoreboard/AudiencePlacement.h"
#include "scoreboard/BoardPicture.h"
#include "scoreboard/ConsoleStrip.h"
#include "scoreboard/frmAudience.h"
#include "scoreboard/frmBoutResult.h"
#include "scoreboard/frmBoutSheet.h"
#include "scoreboard/frmLineup.h"
#include "scoreboard/mmcBuzzer.h"
#include "settings/frmOptions.h"
#include "settings/modGlobals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

frmScoreboard::frmScoreboard(BuzzerDevice *device) : frmScoreboard(new Mat, device) {}

frmScoreboard::frmScoreboard(Mat *mat, BuzzerDevice *device)
    : m_mat(*mat), m_console(new KeyConsole(mat->match(), this)),
      m_mmcBuzzer(device ? device : new class mmcBuzzer()) {
    setObjectName(QStringLiteral("frmScoreboard"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setWindowIcon(Logo::Icon());

    m_mmcBuzzer->setObjectName(QStringLiteral("mmcBuzzer"));
    connect(m_mmcBuzzer.get(), &BuzzerDevice::Done, this, &frmScoreboard::mmcBuzzer_Done,
            Qt::QueuedConnection);

    // Quitting closes every window first; the board must know it is not asked by a person.
    QCoreApplication::instance()->installEventFilter(this);
    connect(&match(), &Match::BuzzerRequested, this, &frmScoreboard::Buzzer);
    connect(m_console, &KeyConsole::BuzzerRequested, this, &frmScoreboard::Buzzer);
    connect(m_console, &KeyConsole::HelpRequested, this, &frmScoreboard::HelpRequested);
    connect(m_console, &KeyConsole::OptionsRequested, this, &frmScoreboard::showOptions);
    connect(m_console, &KeyConsole::BoutResultRequested, this, [this] {
        // Modal, as the options are; the clock keeps time behind it. Devices wait for it.
        ControlDesk &desk = m_mat.Feed(m_picture).Desk();
        desk.SetHeld(QStringLiteral("Bout Result is open at the board"));
        frmBoutResult dialog(match(), this);
        dialog.exec();
        desk.SetHeld({});
    });
    connect(m_console, &KeyConsole::BoutSheetRequested, this, &frmScoreboard::ShowBoutSheet);
    connect(m_console, &KeyConsole::LineupRequested, this, [this] {
        // Modal: the clock is stopped while names are typed. Esc gives the board its keys
        // back with the field it had selected.
        frmLineup dialog(match(), this);
        dialog.exec();
        activateWindow();
    });
    connect(m_console, &KeyConsole::AudienceRequested, this, &frmScoreboard::ToggleAudience);
    connect(m_console, &KeyConsole::FullScreenRequested, this, [this] {
        QWidget *target = m_placement->FullScreenTarget();
        target->setWindowState(target->windowState() ^ Qt::WindowFullScreen);
    });

    m_picture = new BoardPicture(match(), true, this);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_picture);
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_strip = new ConsoleStrip(match(), *m_console, this);
    m_strip->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_strip->hide();
    layout->addWidget(m_strip);
    MatchFeed &feed = m_mat.Feed(m_picture);
    connect(&feed.Devices(), &ControlDevices::WaitingChanged, this, &frmScoreboard::showPairing);
    connect(&feed.Desk(), &ControlDesk::Acted, m_strip, &ConsoleStrip::showHistory);
    connect(&feed.Desk(), &ControlDesk::BuzzerRequested, this, &frmScoreboard::Buzzer);
    connect(m_console, &KeyConsole::TypedChanged, m_strip, &ConsoleStrip::refresh);
    connect(&match(), &Match::TickChanged, m_strip, &ConsoleStrip::refresh);
    connect(&match(), &Match::AdChanged, m_strip, &ConsoleStrip::refresh);
    connect(m_console, &KeyConsole::Refused, m_strip, &ConsoleStrip::showRefused);
    connect(&match(), &Match::HistoryStepped, m_strip, &ConsoleStrip::showHistory);
    connect(&match(), &Match::StoppageChanged, m_strip, &ConsoleStrip::refresh);
    connect(&match(), &Match::MovesChanged, m_strip, &ConsoleStrip::refresh);
    connect(&match(), &Match::TextsChanged, m_strip, &ConsoleStrip::refresh);
    connect(&match(), &Match::FieldChanged, m_strip, [this](Match::Field field) {
        // The match points decide the margin it tells; the period's caption may read "Break".
        if (((field == Match::pledTimeAd && match().Covering().running) ||
             field == Match::pledHomeMatch || field == Match::pledGuestMatch ||
             field == Match::pledPeriod || field == Match::pledWeight) &&
            m_strip->isVisible())
            m_strip->refresh();
    });
    connect(this, &frmScoreboard::JournalFailingChanged, m_strip, &ConsoleStrip::setSaveProblem);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { onFocusChanged(now); });
    m_placement = new AudiencePlacement(this);
    connect(m_placement, &AudiencePlacement::MoveRequested, this,
            [this](QScreen *screen) { m_audience->ShowOn(screen); });
    connect(m_placement, &AudiencePlacement::CloseRequested, this, &frmScoreboard::closeAudience);
    connect(m_placement, &AudiencePlacement::OpenRequested, this, &frmScoreboard::openAudience);
    connect(m_picture, &BoardPicture::KeyDown, this, &frmScoreboard::onKeyDown);
    connect(m_picture, &BoardPicture::KeyPress, this, &frmScoreboard::onFieldKeyPress);

    const QSize design(Twips::Pixels(BoardPicture::kDesignWidth),
                       Twips::Pixels(BoardPicture::kDesignHeight));
    resize(design);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(design.width() / 2, design.height() / 2));
    }
    Form_Load();
    // It goes with the board, after the pictures and the console that show it.
    mat->setParent(this);
}

frmScoreboard::~frmScoreboard() {
    // QWidget's destructor hides the window, which reports focus changes and key events to
    // a board that is already gone.
    disconnect(qApp, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    // It draws this board's match: it cannot outlive it.
    delete m_audience.data();
    Form_Terminate();
}

LedGroup &frmScoreboard::Field(const QString &name) {
    return m_picture->Field(name);
}

void frmScoreboard::Form_Load() {
    UpdateLabels();
    UpdateFormColors();
    handOptions();
    match().Load();
    m_picture->RecordLayout();
    const QString file = modGlobals::BuzzerFile;
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        m_mmcBuzzer->setFileName(file);
        m_mmcBuzzer->open();
    }
}

void frmScoreboard::UpdateLabels() {
    setWindowTitle(QStringLiteral("Darezez"));
    m_picture->UpdateLabels();
}

void frmScoreboard::showOptions() {
    bool applied;
    {
        frmOptions dialog(this, this);
        dialog.setFeedStateText(m_feedState);
        ControlDevices &devices = m_mat.Feed(m_picture).Devices();
        const auto list = [&] {
            QList<std::pair<QString, QString>> rows;
            for (const ControlDevices::Device &d : devices.Devices()) {
                // The time alone for today's: the list is narrow.
                const QDateTime since = d.since.toLocalTime();
                const QString when = since.date() == QDate::currentDate()
                                         ? QLocale().toString(since.time(), QLocale::ShortFormat)
                                         : QLocale().toString(since.date(), QLocale::ShortFormat);
                rows.append(
                    {QString::fromLatin1(d.key), QStringLiteral("%1, since %2").arg(d.name, when)});
            }
            dialog.setDevices(rows);
        };
        list();
        connect(&devices, &ControlDevices::DevicesChanged, &dialog, list);
        connect(&dialog, &frmOptions::RemoveDevice, &devices,
                [&devices](const QString &key) { devices.Remove(key.toLatin1()); });
        connect(&dialog, &frmOptions::RemoveAllDevices, &devices, &ControlDevices::RemoveAll);
        applied = dialog.exec() == QDialog::Accepted;
    }
    UpdateLabels();
    UpdateFormColors();
    handOptions();
    m_picture->RecordLayout();
    if (m_audience) {
        m_audience->UpdateLabels();
        m_audience->UpdateFormColors();
    }
    m_strip->refresh();
    m_mmcBuzzer->close();
    m_mmcBuzzer->setFileName(modGlobals::BuzzerFile);
    m_mmcBuzzer->open();
    if (applied)
        emit OptionsApplied();
    // Back to the board the dialog was opened from, with the match clock selected.
    activateWindow();
    Form_Activate();
}

void frmScoreboard::handOptions() {
    match().SetNextRules(modGlobals::RuleSet);
    match().SetTeamNames(modGlobals::HomeText, modGlobals::GuestText);
}

void frmScoreboard::SetJournal(MatchJournal *journal) {
    m_journal = journal;
    m_mat.SetJournal(journal);
    if (!journal)
        return;
    connect(journal, &MatchJournal::writeFailed, this, [this](const QString &reason) {
        if (!m_journalFailing) {
            m_journalFailing = true;
            emit JournalFailingChanged(true);
        }
        if (!m_failureShown) {
            m_failureShown = true;
            ShowNote(QStringLiteral("msgCannotSave"), JournalTexts::cannotSave(reason));
        }
    });
    connect(journal, &MatchJournal::writesRecovered, this, [this] {
        if (m_journalFailing) {
            m_journalFailing = false;
            emit JournalFailingChanged(false);
        }
    });
    // Once the board is up, so the note stands over it.
    if (journal->heldElsewhere()) {
        QMetaObject::invokeMethod(
            this,
            [this] { ShowNote(QStringLiteral("msgAnotherCopy"), JournalTexts::anotherCopy()); },
            Qt::QueuedConnection);
    }
}

void frmScoreboard::ShowBoutSheet() {
    // Asked for while it stands: the operator wants its keys.
    if (m_boutSheet) {
        m_boutSheet->raise();
        m_boutSheet->activateWindow();
        return;
    }
    m_boutSheet = new frmBoutSheet(match(), this);
    // Closed, it hands the keys back to the board.
    connect(m_boutSheet, &QObject::destroyed, this, [this] { activateWindow(); });
    // Like a note, it leaves the keys with the board: the clock must stop at the whistle.
    m_boutSheet->setAttribute(Qt::WA_ShowWithoutActivating);
    m_boutSheet->show();
    m_boutSheet->raise();
}

void frmScoreboard::showPairing() {
    const QList<ControlDevices::Request> waiting = m_mat.Feed(m_picture).Devices().Waiting();
    if (waiting.isEmpty()) {
        m_codeTyped.reset();
        if (m_pairNote)
            m_pairNote->close();
        return;
    }
    QStringList lines{QStringLiteral("Asking to control the board:")};
    for (const ControlDevices::Request &r : waiting)
        lines << QStringLiteral("%1 (%2), code %3").arg(r.name, r.address, r.code);
    lines << (m_codeTyped ? QStringLiteral("Code: %1").arg(*m_codeTyped)
                          : QStringLiteral("F3, the code, then Enter lets one in; Esc refuses "
                                           "them all."));
    if (!m_pairNote) {
        m_pairNote = ShowNote(QStringLiteral("msgPairing"), lines.join(QLatin1Char('\n')));
        m_pairNote->setIcon(QMessageBox::Question);
    }
    m_pairNote->setText(lines.join(QLatin1Char('\n')));
    m_pairNote->adjustSize();
}

bool frmScoreboard::pairingKey(const QKeyEvent *event) {
    if (m_mat.Feed(m_picture).Devices().Waiting().isEmpty())
        return false;
    ControlDevices &devices = m_mat.Feed(m_picture).Devices();
    const int key = event->key();
    if (key == Qt::Key_F3) {
        m_codeTyped = QString();
    } else if (key == Qt::Key_Escape) {
        devices.RefuseAll();
    } else if (!m_codeTyped) {
        return false;
    } else if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (m_codeTyped->size() < 4)
            m_codeTyped->append(QChar(key));
    } else if (key == Qt::Key_Backspace) {
        m_codeTyped->chop(1);
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!devices.Allow(*std::exchange(m_codeTyped, std::nullopt)))
            m_strip->showRefused();
    } else {
        // Any other key is the board's again.
        m_codeTyped.reset();
        showPairing();
        return false;
    }
    showPairing();
    return true;
}

QMessageBox *frmScoreboard::ShowNote(const QString &name, const QString &text) {
    auto box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(name);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The board keeps running behind it, and keeps the keys: a start key meant for the clock
    // must never close a note instead.
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->adjustSize();
    // The top left corner holds a caption, not digits.
    if (const QScreen *s = screen()) {
        constexpr int kMargin = 16;
        box->move(s->availableGeometry().topLeft() + QPoint(kMargin, kMargin));
    }
    box->show();
    return box;
}

bool frmScoreboard::endTheMeet() {
    QMessageBox box(QMessageBox::Question, windowTitle(), JournalTexts::endQuestion(),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("msgEndMeet"));
    QPushButton *end = box.addButton(JournalTexts::endButton(), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(JournalTexts::cancelButton(), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == end;
}

void frmScoreboard::UpdateFormColors() {
    m_picture->UpdateFormColors();
    QPalette p = palette();
    p.setColor(QPalette::Window, m_picture->palette().color(QPalette::Window));
    setPalette(p);
    match().UpdateClocks();
}

void frmScoreboard::Buzzer() {
    if (!m_mmcBuzzer->FileName().isEmpty() && !m_buzzerPlaying) {
        m_buzzerPlaying = true;
        m_mmcBuzzer->play();
    }
}

void frmScoreboard::mmcBuzzer_Done() {
    m_mmcBuzzer->stop();
    m_mmcBuzzer->rewind();
    m_buzzerPlaying = false;
}

void frmScoreboard::onKeyDown(int keyCode) {
    m_console->keyDown(keyCode);
}

void frmScoreboard::setFeedState(const QString &text) {
    m_feedState = text;
    m_strip->setFeedState(text);
}

void frmScoreboard::ToggleAudience() {
    m_placement->OperatorChose();
    if (m_audience)
        closeAudience();
    else
        openAudience(m_placement->Choose());
}

void frmScoreboard::openAudience(QScreen *screen) {
    m_audience = new frmAudience(match());
    m_placement->SetAudience(m_audience);
    m_audience->setAttribute(Qt::WA_DeleteOnClose);
    // Closed by its window's close button, too, the console goes with it.
    connect(m_audience, &frmAudience::Closed, this, [this] {
        m_audience = nullptr;
        closeAudience();
    });
    m_audience->ShowOn(screen);
    if (!screen) {
        // Beside the board rather than over it, where the screen allows.
        m_audience->move(frameGeometry().topRight() + QPoint(8, 0));
    }
    if (!m_strip->isVisible()) {
        m_strip->show();
        // The board keeps its size and proportions; the window grows by the strip.
        if (!(windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized)))
            resize(width(), height() + m_strip->sizeHint().height());
    }
    m_strip->refresh();
    activateWindow();
}

void frmScoreboard::closeAudience() {
    if (m_audience)
        m_audience->close();
    if (m_strip->isVisible()) {
        const int strip = m_strip->height();
        m_strip->hide();
        if (!(windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized)))
            resize(width(), height() - strip);
    }
}

int frmScoreboard::fieldOf(const QWidget *widget) const {
    for (const QWidget *w = widget; w && w != this; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (name.startsWith(QLatin1String("pic")))
            return Match::FieldFromName(QStringLiteral("pled") + name.mid(3));
    }
    return -1;
}

void frmScoreboard::onFocusChanged(QWidget *now) {
    if (now && now->window() == this)
        m_strip->setSelected(fieldOf(now));
}

// Tab and Shift+Tab step the selected field, round the board in reading order.
bool frmScoreboard::focusNextPrevChild(bool next) {
    using enum Match::Field;
    static constexpr Match::Field kOrder[] = {pledClock,     pledHomeScore,  pledGuestScore,
                                              pledHomeMatch, pledGuestMatch, pledMatch,
                                              pledPeriod,    pledWeight};
    constexpr int kCount = int(std::size(kOrder));
    const auto at = std::ranges::find(kOrder, Match::Field(fieldOf(focusWidget())));
    const int now = at == std::end(kOrder) ? (next ? -1 : 0) : int(at - std::begin(kOrder));
    const Match::Field field = kOrder[(now + (next ? 1 : kCount - 1)) % kCount];
    // A half-typed entry belonged to the field left.
    m_console->DropTyped();
    m_picture->Field(field).at(0)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void frmScoreboard::watchKey(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        auto w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this) {
            // X11's lock bit: Qt has no Caps Lock modifier of its own.
            constexpr quint32 kLockMask = 0x2;
            m_keyModifiers = static_cast<QKeyEvent *>(event)->modifiers();
            // A bout sheet without the keys is closed from the board.
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && m_boutSheet)
                m_boutSheet->close();
            m_strip->keyTyped();
            m_strip->setCapsLock(static_cast<QKeyEvent *>(event)->nativeModifiers() & kLockMask);
        }
    }
}

void frmScoreboard::onFieldKeyPress(Match::Field field, int keyAscii) {
    m_console->keyPress(field, keyAscii, m_keyModifiers);
}

void frmScoreboard::keyPressEvent(QKeyEvent *event) {
    // Only reached when no digit has the focus.
    onKeyDown(KeyCodes::FromQtKey(event->key()));
    if (!event->text().isEmpty())
        m_console->keyPress(-1, event->text().front().unicode(), m_keyModifiers);
    event->accept();
}

void frmScoreboard::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (!std::exchange(m_backFromNote, false))
            Form_Activate();
    }
}

void frmScoreboard::Form_Activate() {
    m_picture->Field(Match::pledClock).at(0)->setFocus(Qt::ActiveWindowFocusReason);
}

bool frmScoreboard::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this &&
        pairingKey(static_cast<QKeyEvent *>(event)))
        return true;
    watchKey(watched, event);
    // Back from a note or the bout sheet, the board keeps its selected field.
    if (event->type() == QEvent::WindowActivate && watched != this &&
        ((qobject_cast<QMessageBox *>(watched) && watched->parent() == this &&
          !static_cast<QWidget *>(watched)->isModal()) ||
         watched == m_boutSheet))
        m_backFromNote = true;
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        m_quitting = true;
        // Windows are closed within the quit event; a quit refused ends with it.
        QTimer::singleShot(0, this, [this] { m_quitting = false; });
    }
    return false;
}

void frmScoreboard::closeEvent(QCloseEvent *event) {
    if (m_asking) {
        event->ignore();
        return;
    }
    // A session that ends (its manager saves, then tells the program to quit) closes without
    // a word and keeps the journal for the next start.
    bool sessionEnds = m_quitting;
#if QT_CONFIG(sessionmanager)
    sessionEnds = sessionEnds || qGuiApp->isSavingSession();
#endif
    if (!sessionEnds) {
        if (JournalTexts::meetInProgress(match().Snapshot())) {
            m_asking = true;
            const bool end = endTheMeet();
            m_asking = false;
            if (!end) {
                event->ignore();
                return;
            }
        }
        if (m_journal)
            m_journal->end();
    }
    // A help window may keep the program alive: the next start must get the meet.
    if (m_journal)
        m_journal->close();
    Form_Unload();
    QWidget::closeEvent(event);
}

void frmScoreboard::Form_Unload() {
    if (m_audience)
        m_audience->close();
    if (!m_mmcBuzzer->FileName().isEmpty())
        m_mmcBuzzer->close();
}

void frmScoreboard::Form_Terminate() {
    m_mat.tick().timer().stop();
    m_mmcBuzzer->close();
}
