#include "scoreboard/frmAudience.h"

#include "appearance/Logo.h"
#include "appearance/Twips.h"
#include "scoreboard/BoardPicture.h"

#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

frmAudience::frmAudience(Match &match, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowDoesNotAcceptFocus),
      m_picture(new BoardPicture(match, false, this)) {
    setObjectName(QStringLiteral("frmAudience"));
    setWindowTitle(QStringLiteral("Darezez Audience"));
    setWindowIcon(Logo::Icon());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    layout->addWidget(m_picture);
    resize(Twips::Pixels(BoardPicture::kDesignWidth), Twips::Pixels(BoardPicture::kDesignHeight));
    UpdateLabels();
    UpdateFormColors();
    m_picture->RecordLayout();
}

void frmAudience::ShowOn(QScreen *screen) {
    m_target = screen;
    if (!screen) {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        show();
        return;
    }
    // The window manager places a full-screen window on the screen that holds it.
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    setGeometry(screen->geometry());
    if (QWindow *handle = windowHandle())
        handle->setScreen(screen);
    // Not showFullScreen(): it also asks for the focus this window never takes.
    setWindowState(windowState() | Qt::WindowFullScreen);
    show();
}

void frmAudience::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    emit Closed();
}

void frmAudience::UpdateLabels() {
    m_picture->UpdateLabels();
}

void frmAudience::UpdateFormColors() {
    m_picture->UpdateFormColors();
    QPalette p = palette();
    p.setColor(QPalette::Window, m_picture->palette().color(QPalette::Window));
    setPalette(p);
}
