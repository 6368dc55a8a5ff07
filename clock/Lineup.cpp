#include "clock/Lineup.h"

#include "clock/MatchSnapshot.h"

#include <QTextBoundaryFinder>

namespace Lineup {

std::optional<QString> Clean(const QString &typed, QString *why) {
    const QString name = typed.trimmed().normalized(QString::NormalizationForm_C);
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        // Embeddings, overrides and isolates would turn the text around them on a display.
        if (c.category() == QChar::Other_Control || (u >= 0x202A && u <= 0x202E) ||
            (u >= 0x2066 && u <= 0x2069)) {
            *why = QStringLiteral("a control or bidirectional character");
            return std::nullopt;
        }
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    int count = 0;
    while (graphemes.toNextBoundary() > 0)
        ++count;
    // Combining marks can make a short name long in the units the match keeps.
    if (count > kLongestName || name.size() > kLongestText) {
        *why = QStringLiteral("a name over %1 characters").arg(kLongestName);
        return std::nullopt;
    }
    return name;
}

void Apply(QMap<quint16, QString> &texts, const QMap<quint16, QString> &changes) {
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.value().isEmpty())
            texts.remove(it.key());
        else
            texts.insert(it.key(), it.value());
    }
}

std::optional<QMap<quint16, QString>> Named(QMap<quint16, QString> texts,
                                            const QMap<quint16, QString> &names, QString *why) {
    QMap<quint16, QString> cleaned;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (!IsName(it.key())) {
            *why = QStringLiteral("no such wrestler");
            return std::nullopt;
        }
        const std::optional<QString> name = Clean(it.value(), why);
        if (!name)
            return std::nullopt;
        cleaned.insert(it.key(), *name);
    }
    Apply(texts, cleaned);
    return texts;
}

} // namespace Lineup
