#include "scoreboard/frmLineup.h"

#include "clock/Lineup.h"
#include "clock/Match.h"
#include "clock/RosterCsv.h"
#include "settings/modGlobals.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString lineupTitle() {
    return QStringLiteral("Darezez Lineup");
}

} // namespace

frmLineup::frmLineup(Match &match, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_match(match),
      m_table(new QTableWidget(this)) {
    setObjectName(QStringLiteral("frmLineup"));
    setWindowTitle(lineupTitle());
    m_table->setObjectName(QStringLiteral("tblLineup"));
    // The weights head the rows, so that Tab walks the names alone.
    m_table->setColumnCount(2);
    m_table->setHorizontalHeaderLabels({modGlobals::HomeText, modGlobals::GuestText});
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::DoubleClicked);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    const auto button = [this](const QString &text, const char *name) {
        auto b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        // Enter keeps a typed name; it never presses a button.
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *import = button(QStringLiteral("&Import roster..."), "cmdImport");
    QPushButton *exportButton = button(QStringLiteral("&Export lineup..."), "cmdExport");
    QPushButton *close = button(QStringLiteral("&Close"), "cmdClose");
    connect(import, &QPushButton::clicked, this, &frmLineup::importRoster);
    connect(exportButton, &QPushButton::clicked, this, &frmLineup::exportLineup);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto buttons = new QHBoxLayout;
    buttons->addWidget(import);
    buttons->addWidget(exportButton);
    buttons->addStretch();
    buttons->addWidget(close);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    connect(m_table, &QTableWidget::itemChanged, this, &frmLineup::edited);
    m_table->installEventFilter(this);
    connect(&m_match, &Match::TextsChanged, this, &frmLineup::refresh);
    refresh();
    resize(560, 520);
    m_table->setCurrentCell(0, 0);
    m_table->setFocus();
}

void frmLineup::refresh() {
    // The rule set the options choose for the dual, whose classes the roster names.
    const std::span<const int> weights = RuleBook::Of(modGlobals::RuleSet).weights;
    m_filling = true;
    m_table->setRowCount(int(weights.size()));
    QStringList labels;
    for (int row = 0; row < int(weights.size()); ++row) {
        labels << QString::number(weights[size_t(row)]);
        for (int side : {1, 2}) {
            const QString name = m_match.Texts().value(Lineup::TextId(side, weights[size_t(row)]));
            if (QTableWidgetItem *item = m_table->item(row, side - 1))
                item->setText(name);
            else
                m_table->setItem(row, side - 1, new QTableWidgetItem(name));
        }
    }
    m_table->setVerticalHeaderLabels(labels);
    m_filling = false;
}

void frmLineup::edited(QTableWidgetItem *item) {
    if (m_filling)
        return;
    const int weight = m_table->verticalHeaderItem(item->row())->text().toInt();
    MatchCommand c = MatchCommand::Of(MatchCommand::Kind::Names);
    c.names.insert(Lineup::TextId(item->column() + 1, weight), item->text());
    const QString why = m_match.apply(c).refused;
    // As kept (trimmed, composed), or back as it was.
    refresh();
    if (!why.isEmpty())
        tell(QStringLiteral("That name was not kept: %1.").arg(why));
}

bool frmLineup::Import(const QString &path, QString *why) {
    RosterCsv::Refusal refused;
    const std::optional<RosterCsv::Roster> roster =
        RosterCsv::Read(path, modGlobals::RuleSet, &refused);
    if (!roster) {
        *why = refused.Text();
        return false;
    }
    MatchCommand c = MatchCommand::Of(MatchCommand::Kind::Names);
    c.names = RosterCsv::Names(*roster, m_match.Texts());
    *why = m_match.apply(c).refused;
    return why->isEmpty();
}

bool frmLineup::Export(const QString &path, QString *why) const {
    QSaveFile file(path);
    const QByteArray csv = RosterCsv::Write(m_match.Texts(), modGlobals::RuleSet);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

void frmLineup::importRoster() {
    // Qt's own chooser: a typed path and Enter open the file.
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Import roster"), QDir::homePath(),
                                     QStringLiteral("CSV files (*.csv);;All files (*)"), nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (QString why; !Import(path, &why))
        tell(QStringLiteral("The roster %1 was not imported. %2")
                 .arg(QDir::toNativeSeparators(path), why));
    m_table->setFocus();
}

void frmLineup::exportLineup() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export lineup"), QDir::home().filePath(QStringLiteral("lineup.csv")),
        QStringLiteral("CSV files (*.csv)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (QString why; !Export(path, &why))
        tell(QStringLiteral("The lineup could not be saved to %1: %2")
                 .arg(QDir::toNativeSeparators(path), why));
    m_table->setFocus();
}

bool frmLineup::eventFilter(QObject *watched, QEvent *event) {
    // Delete or Backspace on a name takes its wrestler away (while a name is typed, the keys
    // go to its editor, not here).
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && m_table->currentItem()) {
            m_table->currentItem()->setText(QString());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmLineup::tell(const QString &text) {
    // A name or a path is shown as typed, never as markup.
    QMessageBox box(QMessageBox::Warning, lineupTitle(), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgLineup"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
