#include "scoreboard/BoutSheetPrint.h"

#include "clock/RuleBook.h"

#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cmath>

namespace {

// Sizes in points; the painter works in the device's dots.
constexpr double kTitlePt = 15, kTextPt = 9, kSmallPt = 7.5;
constexpr double kHeaderPt = 52, kColumnsPt = 16, kRowPt = 26, kSignaturesPt = 54;

QFont paperFont(double points, bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

struct Column {
    const char *title; // %1 home's name, %2 guest's
    double share;      // of the page's width
    Qt::Alignment align;
};
constexpr Column kColumns[] = {
    {"#", 0.03, Qt::AlignRight},           {"Weight", 0.05, Qt::AlignRight},
    {"%1", 0.13, Qt::AlignLeft},           {"%1 marks", 0.14, Qt::AlignLeft},
    {"%2", 0.13, Qt::AlignLeft},           {"%2 marks", 0.14, Qt::AlignLeft},
    {"Result", 0.15, Qt::AlignLeft},       {"Fall", 0.04, Qt::AlignHCenter},
    {"Team pts", 0.065, Qt::AlignHCenter}, {"Deduction", 0.075, Qt::AlignLeft},
    {"Score", 0.05, Qt::AlignRight},
};
// Marks and results wrap rather than lose a word; names shorten.
constexpr int kWrappedColumns[] = {3, 5, 6};

class Page {
public:
    Page(QPainter &p, const QRectF &area) : m_p(p), m_area(area) {
        m_dot = p.device()->logicalDpiY() / 72.0;
    }
    double pt(double points) const { return points * m_dot; }

    // One line, shortened with "…" where it does not fit.
    void line(const QRectF &r, const QString &text, const QFont &font, Qt::Alignment align) {
        m_p.setFont(font);
        const QString shown = m_p.fontMetrics().elidedText(text, Qt::ElideRight, int(r.width()));
        m_p.drawText(r, int(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    }
    // Wraps, then gets smaller, and only then shortens: each mark counts.
    void wrapped(const QRectF &r, const QString &text) {
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
        for (double size = kTextPt; size >= kSmallPt - 1; size -= 1) {
            m_p.setFont(paperFont(size));
            if (m_p.boundingRect(r, flags, text).height() <= r.height()) {
                m_p.drawText(r, flags, text);
                return;
            }
        }
        line(r, text, paperFont(kSmallPt - 1), Qt::AlignLeft);
    }
    QRectF cell(double top, int column, double height) const {
        double left = m_area.left();
        for (int c = 0; c < column; ++c)
            left += kColumns[c].share * m_area.width();
        const double pad = pt(2);
        return QRectF(left + pad, top, kColumns[column].share * m_area.width() - 2 * pad, height);
    }
    void rule(double y, double width = 0.5) {
        m_p.setPen(QPen(Qt::black, pt(width)));
        m_p.drawLine(QPointF(m_area.left(), y), QPointF(m_area.right(), y));
    }

    QPainter &m_p;
    QRectF m_area;
    double m_dot;
};

QString resultText(const BoutResult &b, const BoutSheetPrint::Sheet &s) {
    const QString result = RuleBook::ResultName(RuleBook::Result(b.result));
    const QString points = b.homePoints < 0 && b.guestPoints < 0
                               ? QString()
                               : QStringLiteral(" %1-%2").arg(BoutSheet::Number(b.homePoints),
                                                              BoutSheet::Number(b.guestPoints));
    if (b.winner != 1 && b.winner != 2)
        return result + points;
    return QStringLiteral("%1: %2%3").arg(b.winner == 1 ? s.home : s.guest, result, points);
}

void paintHeader(Page &page, const BoutSheetPrint::Sheet &s, int number, int pages) {
    const QRectF a = page.m_area;
    const BoutResult last = s.bouts.isEmpty() ? BoutResult() : s.bouts.last();
    const QString title = QStringLiteral("%1 %2 v %3 %4")
                              .arg(s.home)
                              .arg(last.homeScore)
                              .arg(s.guest)
                              .arg(last.guestScore);
    page.line(QRectF(a.left(), a.top(), a.width(), page.pt(22)), title, paperFont(kTitlePt, true),
              Qt::AlignLeft);
    const QString facts = QStringLiteral("%1    %2    Page %3 of %4")
                              .arg(QLocale().toString(s.date, QLocale::LongFormat), s.ruleSet)
                              .arg(number)
                              .arg(pages);
    page.line(QRectF(a.left(), a.top() + page.pt(24), a.width(), page.pt(16)), facts,
              paperFont(kTextPt), Qt::AlignLeft);
    const double top = a.top() + page.pt(kHeaderPt);
    page.rule(top, 1);
    for (int c = 0; c < int(std::size(kColumns)); ++c) {
        QString title = QString::fromLatin1(kColumns[c].title);
        title.replace(QLatin1String("%1"), s.home).replace(QLatin1String("%2"), s.guest);
        page.line(page.cell(top, c, page.pt(kColumnsPt)), title, paperFont(kTextPt, true),
                  kColumns[c].align);
    }
    page.rule(top + page.pt(kColumnsPt));
}

void paintRow(Page &page, double top, const BoutSheetPrint::Sheet &s, qsizetype index) {
    const BoutResult &b = s.bouts[index];
    const auto wrestler = [&](int side) {
        return s.wrestlers ? s.wrestlers(index, side) : QString();
    };
    QString deduction;
    if (b.deduction > 0)
        deduction =
            QStringLiteral("-%1 %2").arg(b.deduction).arg(b.deductionSide == 1 ? s.home : s.guest);
    const QString texts[] = {BoutSheet::Number(b.match),
                             BoutSheet::Number(b.weight),
                             wrestler(1),
                             BoutSheet::Marks(s.moves, b.serial, 1),
                             wrestler(2),
                             BoutSheet::Marks(s.moves, b.serial, 2),
                             resultText(b, s),
                             BoutSheet::FallTime(b.fallSeconds),
                             QString::number(b.teamPoints),
                             deduction,
                             QStringLiteral("%1-%2").arg(b.homeScore).arg(b.guestScore)};
    const double height = page.pt(kRowPt);
    for (int c = 0; c < int(std::size(texts)); ++c) {
        const QRectF r = page.cell(top, c, height);
        if (std::ranges::find(kWrappedColumns, c) != std::end(kWrappedColumns))
            page.wrapped(r, texts[c]);
        else
            page.line(r, texts[c], paperFont(kTextPt), kColumns[c].align);
    }
    page.rule(top + height, 0.25);
}

void paintSignatures(Page &page, const BoutSheetPrint::Sheet &s) {
    const QRectF a = page.m_area;
    const QString who[] = {QStringLiteral("Referee"), QStringLiteral("%1 scorer").arg(s.home),
                           QStringLiteral("%1 scorer").arg(s.guest)};
    const double width = a.width() / 3, gap = page.pt(18);
    const double y = a.bottom() - page.pt(16);
    for (int i = 0; i < 3; ++i) {
        const double left = a.left() + i * width;
        page.m_p.setPen(QPen(Qt::black, page.pt(0.75)));
        page.m_p.drawLine(QPointF(left, y), QPointF(left + width - gap, y));
        page.line(QRectF(left, y + page.pt(2), width - gap, page.pt(14)), who[i],
                  paperFont(kSmallPt + 0.5), Qt::AlignLeft);
    }
}

} // namespace

int BoutSheetPrint::Paint(QPagedPaintDevice *device, const Sheet &sheet) {
    QPainter painter;
    if (!painter.begin(device))
        return 0;
    const QRectF area = device->pageLayout().paintRectPixels(device->logicalDpiX());
    // Painting starts at the paint rectangle's corner.
    Page page(painter, QRectF(QPointF(0, 0), area.size()));
    const double rowsHeight = area.height() - page.pt(kHeaderPt + kColumnsPt + kSignaturesPt);
    const int perPage = std::max(1, int(std::floor(rowsHeight / page.pt(kRowPt))));
    const int pages = std::max<int>(1, int((sheet.bouts.size() + perPage - 1) / perPage));
    for (int number = 1; number <= pages; ++number) {
        if (number > 1 && !device->newPage())
            return 0;
        paintHeader(page, sheet, number, pages);
        double top = page.pt(kHeaderPt + kColumnsPt);
        const qsizetype first = qsizetype(number - 1) * perPage;
        for (qsizetype i = first; i < std::min(sheet.bouts.size(), first + perPage); ++i) {
            paintRow(page, top, sheet, i);
            top += page.pt(kRowPt);
        }
        paintSignatures(page, sheet);
    }
    return painter.end() ? pages : 0;
}

QPageSize BoutSheetPrint::LocalePageSize() {
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                : QPageSize::A4);
}

bool BoutSheetPrint::SavePdf(const QString &path, const Sheet &sheet, QString *why) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *why = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(QStringLiteral("Bout sheet: %1 v %2").arg(sheet.home, sheet.guest));
        pdf.setCreator(QStringLiteral("Darezez"));
        pdf.setPageLayout(QPageLayout(LocalePageSize(), QPageLayout::Landscape,
                                      QMarginsF(36, 36, 36, 36), QPageLayout::Point));
        if (!Paint(&pdf, sheet)) {
            *why = file.error() != QFileDevice::NoError
                       ? file.errorString()
                       : QStringLiteral("the page could not be drawn");
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}
