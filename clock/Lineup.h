#pragma once

#include <QMap>
#include <QString>
#include <optional>

// The dual's lineup: each side's wrestler by weight class, kept among the match's texts.
namespace Lineup {

// The longest name, in what a reader counts as characters (grapheme clusters).
inline constexpr int kLongestName = 40;
inline constexpr int kLargestWeight = 999;

// The text number a wrestler's name is kept under: 1000 for home, 2000 for guest, plus the
// weight.
constexpr quint16 TextId(int side, int weight) {
    return quint16(side * 1000 + weight);
}
// The side (1 home, 2 guest) and weight a text number stands for; 0 side when none.
constexpr int SideOf(quint16 id) {
    return id / 1000 == 1 || id / 1000 == 2 ? id / 1000 : 0;
}
constexpr int WeightOf(quint16 id) {
    return id % 1000;
}
constexpr bool IsName(quint16 id) {
    return SideOf(id) != 0 && WeightOf(id) >= 1;
}

// The text number a recorded bout keeps its wrestler's name under, by the bout's place in the
// dual's list (from 0): 10000 and up. None past the last number.
inline constexpr int kBoutsNamed = 27000;
constexpr quint16 BoutTextId(qsizetype index, int side) {
    return index < kBoutsNamed ? quint16(10000 + index * 2 + side - 1) : 0;
}

// Each text of `changes` set in texts, an empty one taken out.
void Apply(QMap<quint16, QString> &texts, const QMap<quint16, QString> &changes);

// A name as kept: spaces at either end dropped, in Unicode NFC; empty is no wrestler.
// Nothing, with why, for one too long or holding a control or bidirectional-override
// character.
std::optional<QString> Clean(const QString &typed, QString *why);
// The texts with each name of `names` cleaned and set (an empty one taking its wrestler
// away), all or none: nothing, with why, when any number is no wrestler's or any name is
// refused.
std::optional<QMap<quint16, QString>> Named(QMap<quint16, QString> texts,
                                            const QMap<quint16, QString> &names, QString *why);

} // namespace Lineup
