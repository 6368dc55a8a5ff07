#include "settings/frmChooseKey.h"

#include "appearance/ControlTable.h"
#include "appearance/Twips.h"
#include "settings/SystemBeep.h"
#include "settings/modGlobals.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

frmChooseKey::frmChooseKey(QWidget *opener, const QList<int> &pendingKeys)
    : QDialog(opener, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_pendingKeys(pendingKeys), m_opener(opener) {
    setObjectName(QStringLiteral("frmChooseKey"));
    setWindowTitle(QStringLiteral("Choose Key"));
    setFixedSize(Twips::Pixels(4680), Twips::Pixels(2625));

    using namespace ControlTable;
    using enum Kind;
    static const Row kRows[] = {
        {"lblChoose", Label, "", "", 120, 120, 4335, 855, TopLeft | Wrap, Serif(18)},
        {"lblUsed", Label, "", "This key is already in use, please choose another.", 53, 1080, 4575,
         855, Centre | Wrap, Sans(18)},
        {"cmdCancel", Button, "", "&Cancel", 1733, 2160, 1215, 375},
    };
    Build(this, kRows);
    m_lblChoose = findChild<QLabel *>(QStringLiteral("lblChoose"));
    m_lblUsed = findChild<QLabel *>(QStringLiteral("lblUsed"));
    m_cmdCancel = findChild<QPushButton *>(QStringLiteral("cmdCancel"));
    QPalette red = m_lblUsed->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_lblUsed->setPalette(red);
    // The default and the cancel button: Enter and Esc press it.
    m_cmdCancel->setDefault(true);
    m_cmdCancel->setAutoDefault(true);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_cmdCancel->installEventFilter(this);
    m_cmdCancel->setFocus();

    Form_Load();
}

bool frmChooseKey::IsReserved(int key) {
    static constexpr int kReserved[] = {'o',
                                        'O',
                                        'h',
                                        'H',
                                        '=',
                                        '+',
                                        '-',
                                        '.',
                                        ' ',
                                        13,
                                        modGlobals::UndoKey,
                                        modGlobals::RedoKey,
                                        modGlobals::TabKey};
    for (int r : kReserved)
        if (r == key)
            return true;
    return false;
}

void frmChooseKey::Form_Load() {
    m_lblChoose->setText(QStringLiteral("Press the key you would like to ") +
                         modGlobals::KeyAction + QStringLiteral("."));
    modGlobals::KeyChosen = QStringLiteral("0");
    m_lblUsed->hide();
}

void frmChooseKey::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (m_opener)
        move(m_opener->frameGeometry().center() - rect().center());
    m_cmdCancel->setFocus();
}

bool frmChooseKey::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_cmdCancel && event->type() == QEvent::KeyPress) {
        auto key = static_cast<QKeyEvent *>(event);
        // Enter and Esc press Cancel, as the default and cancel button.
        if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return ||
            key->key() == Qt::Key_Enter)
            return false;
        if (!key->text().isEmpty() && !(key->modifiers() & Qt::AltModifier)) {
            Form_KeyPress(key->text().front().unicode());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmChooseKey::Form_KeyPress(int keyAscii) {
    if (keyAscii == modGlobals::KeyCurrent) {
        m_lblUsed->hide();
        modGlobals::KeyChosen = QString::number(keyAscii);
        accept();
        return;
    }
    if (m_pendingKeys.contains(keyAscii) || IsReserved(keyAscii)) {
        m_lblUsed->show();
        SystemBeep::beep();
        return;
    }
    m_lblUsed->hide();
    modGlobals::KeyChosen = QString::number(keyAscii);
    accept();
}
