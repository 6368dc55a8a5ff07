#include "scoreboard/frmBoutSheet.h"

#include "clock/BoutSheet.h"
#include "clock/Match.h"
#include "settings/modGlobals.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

frmBoutSheet::frmBoutSheet(const Match &match, QWidget *board)
    // The board's own window: it goes with the board, never outliving the match it lists.
    : QWidget(board, Qt::Window), m_match(match), m_table(new QTableWidget(this)) {
    setObjectName(QStringLiteral("frmBoutSheet"));
    setWindowTitle(QStringLiteral("Darezez Bout Sheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_table->setObjectName(QStringLiteral("tblBouts"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    auto save = new QPushButton(QStringLiteral("&Save as CSV..."), this);
    save->setObjectName(QStringLiteral("cmdSaveCsv"));
    auto close = new QPushButton(QStringLiteral("&Close"), this);
    connect(save, &QPushButton::clicked, this, &frmBoutSheet::saveAs);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    connect(&m_match, &Match::BoutsChanged, this, &frmBoutSheet::refresh);
    refresh();
    resize(900, 420);
    if (board)
        placeBeside(board);
}

// On the board's screen, never the audience's, and beside the board where the screen has
// room: the operator keeps the clock in sight.
void frmBoutSheet::placeBeside(const QWidget *board) {
    const QRect b = board->frameGeometry();
    const QRect screen = board->screen()->availableGeometry();
    const QSize size = frameGeometry().size().expandedTo(this->size());
    for (const QPoint at :
         {QPoint(b.right() + 1, b.top()), QPoint(b.left() - size.width(), b.top()),
          QPoint(b.left(), b.bottom() + 1), QPoint(b.left(), b.top() - size.height())}) {
        if (screen.contains(QRect(at, size))) {
            move(at);
            return;
        }
    }
    move(b.center() - rect().center());
}

void frmBoutSheet::refresh() {
    const QStringList header = BoutSheet::Header();
    const QList<BoutResult> &bouts = m_match.Bouts();
    m_table->setColumnCount(int(header.size()));
    m_table->setHorizontalHeaderLabels(header);
    m_table->setRowCount(int(bouts.size()));
    for (int row = 0; row < bouts.size(); ++row) {
        const QStringList texts =
            BoutSheet::Row(bouts[row], modGlobals::HomeText, modGlobals::GuestText);
        for (int column = 0; column < texts.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    m_table->resizeColumnsToContents();
}

bool frmBoutSheet::SaveCsv(const QString &path, QString *why) const {
    QSaveFile file(path);
    const QByteArray csv =
        BoutSheet::Csv(m_match.Bouts(), modGlobals::HomeText, modGlobals::GuestText);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

void frmBoutSheet::saveAs() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as CSV"),
        QDir::home().filePath(QStringLiteral("bout-sheet.csv")),
        QStringLiteral("CSV files (*.csv)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (QString why; !SaveCsv(path, &why)) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        QStringLiteral("The bout sheet could not be saved to %1: %2")
                            .arg(QDir::toNativeSeparators(path), why),
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

void frmBoutSheet::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
