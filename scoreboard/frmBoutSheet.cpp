#include "scoreboard/frmBoutSheet.h"

#include "clock/BoutSheet.h"
#include "clock/Match.h"
#include "clock/RuleBook.h"
#include "settings/modGlobals.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
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
    auto print = new QPushButton(QStringLiteral("&Print..."), this);
    print->setObjectName(QStringLiteral("cmdPrint"));
    auto pdf = new QPushButton(QStringLiteral("Save as P&DF..."), this);
    pdf->setObjectName(QStringLiteral("cmdSavePdf"));
    connect(save, &QPushButton::clicked, this,
            [this] { saveAs(QStringLiteral("CSV"), &frmBoutSheet::SaveCsv); });
    connect(print, &QPushButton::clicked, this, &frmBoutSheet::print);
    connect(pdf, &QPushButton::clicked, this,
            [this] { saveAs(QStringLiteral("PDF"), &frmBoutSheet::SavePdf); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(pdf);
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

// On the board's screen, never the audience's, beside the board in the largest free part
// of the screen: the operator keeps the clock in sight. Narrower or shorter there when it
// must be; over the board only when no part of the screen is free.
void frmBoutSheet::placeBeside(const QWidget *board) {
    const QRect b = board->frameGeometry();
    const QRect s = board->screen()->availableGeometry();
    // The window manager's frame is not known before the first show.
    const QSize frame(8, 32);
    const QRect free[] = {QRect(QPoint(b.right() + 1, s.top()), s.bottomRight()),
                          QRect(s.topLeft(), QPoint(b.left() - 1, s.bottom())),
                          QRect(QPoint(s.left(), b.bottom() + 1), s.bottomRight()),
                          QRect(s.topLeft(), QPoint(s.right(), b.top() - 1))};
    const QSize wanted = size() + frame;
    const auto area = [&wanted](const QRect &r) {
        const QSize fits = wanted.boundedTo(r.size());
        return fits.width() >= 360 && fits.height() >= 200 ? fits.width() * fits.height() : 0;
    };
    const QRect *best = nullptr;
    for (const QRect &r : free) {
        if (area(r) > (best ? area(*best) : 0))
            best = &r;
    }
    if (!best) {
        move(b.center() - rect().center());
        return;
    }
    const QSize fits = wanted.boundedTo(best->size());
    resize(fits - frame);
    // Level with the board's top beside it, with its left above or below it.
    const bool beside = best == &free[0] || best == &free[1];
    const int x = beside ? best->left()
                         : std::clamp(b.left(), best->left(), best->right() - fits.width() + 1);
    const int y =
        beside ? std::clamp(b.top(), best->top(), best->bottom() - fits.height() + 1) : best->top();
    move(x, y);
}

void frmBoutSheet::refresh() {
    const QStringList header = BoutSheet::Header();
    const QList<BoutResult> &bouts = m_match.Bouts();
    m_table->setColumnCount(int(header.size()));
    m_table->setHorizontalHeaderLabels(header);
    m_table->setRowCount(int(bouts.size()));
    for (int row = 0; row < bouts.size(); ++row) {
        const QStringList texts =
            BoutSheet::Row(bouts[row], m_match.Moves(), modGlobals::HomeText, modGlobals::GuestText,
                           m_match.BoutWrestler(row, 1), m_match.BoutWrestler(row, 2));
        for (int column = 0; column < texts.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    m_table->resizeColumnsToContents();
}

bool frmBoutSheet::SaveCsv(const QString &path, QString *why) const {
    QSaveFile file(path);
    const QByteArray csv = BoutSheet::Csv(
        m_match.Bouts(), m_match.Moves(), modGlobals::HomeText, modGlobals::GuestText,
        [this](qsizetype bout, int side) { return m_match.BoutWrestler(bout, side); });
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

void frmBoutSheet::saveAs(const QString &kind, Saver save) {
    const QString suffix = kind.toLower();
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as %1").arg(kind),
        QDir::home().filePath(QStringLiteral("bout-sheet.%1").arg(suffix)),
        QStringLiteral("%1 files (*.%2)").arg(kind, suffix), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (QString why; !(this->*save)(path, &why))
        warn(QStringLiteral("The bout sheet could not be saved to %1: %2")
                 .arg(QDir::toNativeSeparators(path), why));
}

void frmBoutSheet::warn(const QString &text) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

BoutSheetPrint::Sheet frmBoutSheet::sheet() const {
    const QList<BoutResult> &bouts = m_match.Bouts();
    // The dual's date is its first bout's; a sheet with none is today's.
    const QDate date = bouts.isEmpty() ? QDate::currentDate()
                                       : QDateTime::fromMSecsSinceEpoch(bouts.front().atMs).date();
    return {modGlobals::HomeText,
            modGlobals::GuestText,
            QString::fromUtf8(RuleBook::Of(m_match.Rules()).name),
            date,
            bouts,
            m_match.Moves(),
            [this](qsizetype bout, int side) { return m_match.BoutWrestler(bout, side); }};
}

bool frmBoutSheet::SavePdf(const QString &path, QString *why) const {
    return BoutSheetPrint::SavePdf(path, sheet(), why);
}

void frmBoutSheet::print() {
    QPrinter printer(QPrinter::HighResolution);
    // Without a printer's own paper, the locale's.
    if (printer.printerName().isEmpty())
        printer.setPageSize(BoutSheetPrint::LocalePageSize());
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Bout sheet"));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!BoutSheetPrint::Paint(&printer, sheet()))
        warn(QStringLiteral("The bout sheet could not be printed on %1.")
                 .arg(printer.printerName().isEmpty() ? printer.outputFileName()
                                                      : printer.printerName()));
}

void frmBoutSheet::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
