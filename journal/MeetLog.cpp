#include "journal/MeetLog.h"

#include "clock/Match.h"
#include "clock/MatchMembers.h"
#include "clock/RuleBook.h"
#include "journal/JournalFile.h"

#include <QtEndian>
#include <cstring>
#include <iterator>
#include <zlib.h>

namespace MeetLog {

namespace {

constexpr char kMagic[] = "DZMEETLG";      // 8 bytes, without its terminator
constexpr quint32 kSlotMagic = 0x47505a44; // "DZPG"
constexpr qint64 kRecordHead = 16;         // length, kind, version, time
constexpr qint64 kSlotHead = 32;           // magic, version, sequence, log end, time
constexpr qint64 kMemberBytes = 9;
constexpr qint64 kEditMemberBytes = 17; // number, before, after
constexpr int kSlotMembers = int((kSlotBytes - kSlotHead - 1 - 4) / kMemberBytes);

using namespace MatchMembers;

// No meet comes near it.
constexpr qint64 kLargestSerial = 1'000'000;

// The same limits as the journal before the log: anything outside is damage.
bool inRange(int id, qint64 v) {
    if (id < kFieldMembers)
        return v >= -1 && v <= Match::UpperLimit(Match::Field(Match::pledHomeScore + id));
    if (isStoppageUsed(id))
        return v >= 0 && v <= JournalFile::kLongestTime;
    if (isRoundSeconds(id))
        return v >= 0 && v <= Match::kLargestTime;
    switch (id) {
    case kClockSet:
        return v >= 0 && v <= fromSeconds(Match::kLargestTime);
    case kClockRun:
    case kHomeAd:
    case kGuestAd:
    case kStoppageSet:
    case kStoppageRun:
    case kActivitySet:
    case kActivityRun:
        return v >= 0 && v <= JournalFile::kLongestTime;
    case kClockRunning:
    case kClockHasRun:
    case kStoppageRunning:
    case kBreak:
        return v == 0 || v == 1;
    case kTimeAd:
        return v == 0 || (v >= kHomeHolds && v <= kGuestHolds);
    case kLastClockTime:
        return v >= 0 && v <= Match::kLargestTime;
    case kShownAdSide:
    case kStoppageSide:
    case kActivitySide:
        return v >= 0 && v <= 2;
    case kRuleSet:
        return v >= 0 && v < RuleBook::kSetCount;
    case kBoutSerial:
        return v >= 0 && v <= kLargestSerial;
    case kStoppageKind:
        return v >= -1 && v < RuleBook::kStoppageCount;
    default:
        return false;
    }
}

template <typename T> void put(QByteArray &out, T v) {
    const T le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

template <typename T> T take(const char *at) {
    T v;
    std::memcpy(&v, at, sizeof v);
    return qFromLittleEndian(v);
}

quint32 crc(const char *data, qint64 size) {
    return quint32(::crc32(0, reinterpret_cast<const Bytef *>(data), uInt(size)));
}

void putCrc(QByteArray &out, qint64 from) {
    put<quint32>(out, crc(out.constData() + from, out.size() - from));
}

// Count, then (number, value) pairs, each handed to apply(id, value); false when the block
// is not whole or apply refuses a pair.
template <typename Apply> bool readPairs(const char *at, qint64 size, Apply apply) {
    if (size < 1 || size != 1 + quint8(at[0]) * kMemberBytes)
        return false;
    for (int i = 0; i < quint8(at[0]); ++i) {
        const char *m = at + 1 + i * kMemberBytes;
        if (!apply(int(quint8(m[0])), take<qint64>(m + 1)))
            return false;
    }
    return true;
}

// False when a member is unknown or out of range.
bool applyMembers(const char *at, qint64 size, MatchSnapshot &into) {
    return readPairs(at, size, [&into](int id, qint64 v) {
        if (id >= kCount || !inRange(id, v))
            return false;
        set(into, id, v);
        return true;
    });
}

void putMembers(QByteArray &out, const MatchSnapshot *before, const MatchSnapshot &after) {
    const qsizetype countAt = out.size();
    out.append(char(0));
    quint8 n = 0;
    for (int id = 0; id < kCount; ++id) {
        const qint64 v = get(after, id);
        if (before && get(*before, id) == v)
            continue;
        out.append(char(id));
        put<qint64>(out, v);
        ++n;
    }
    out[countAt] = char(n);
}

int differing(const MatchSnapshot &a, const MatchSnapshot &b) {
    int n = 0;
    for (int id = 0; id < kCount; ++id)
        n += get(a, id) != get(b, id);
    return n;
}

struct Slot {
    quint64 sequence = 0;
    qint64 logEnd = 0;
    qint64 atMs = 0;
    const char *members = nullptr;
    qint64 membersSize = 0;
};

std::optional<Slot> readSlot(const QByteArray &bytes, qint64 offset) {
    if (bytes.size() < offset + kSlotBytes)
        return std::nullopt;
    const char *at = bytes.constData() + offset;
    if (take<quint32>(at) != kSlotMagic || take<quint16>(at + 4) != kVersion)
        return std::nullopt;
    const int n = quint8(at[kSlotHead]);
    if (n > kSlotMembers)
        return std::nullopt;
    const qint64 size = 1 + n * kMemberBytes;
    const qint64 crcAt = kSlotHead + size;
    if (take<quint32>(at + crcAt) != crc(at, crcAt))
        return std::nullopt;
    return Slot{take<quint64>(at + 8), take<qint64>(at + 16), take<qint64>(at + 24), at + kSlotHead,
                size};
}

QDateTime fromMs(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

} // namespace

QByteArray start() {
    QByteArray out(kMagic, 8);
    put<quint32>(out, kVersion);
    put<quint32>(out, 0);
    out.append(QByteArray(2 * kSlotBytes, '\0'));
    return out;
}

namespace {

// The bout sheet's columns, by number, with their limits.
struct BoutMember {
    qint32 BoutResult::*field;
    qint64 low, high;
};
constexpr BoutMember kBoutMembers[] = {
    {&BoutResult::match, -1, 999},         {&BoutResult::weight, -1, 999},
    {&BoutResult::winner, 0, 2},           {&BoutResult::result, 0, RuleBook::kResultCount - 1},
    {&BoutResult::homePoints, -1, 99},     {&BoutResult::guestPoints, -1, 99},
    {&BoutResult::fallSeconds, -1, 86400}, {&BoutResult::teamPoints, 0, 6},
    {&BoutResult::deductionSide, 0, 2},    {&BoutResult::deduction, 0, 2},
    {&BoutResult::homeScore, 0, 199},      {&BoutResult::guestScore, 0, 199},
};
constexpr int kBoutAt = int(std::size(kBoutMembers)); // the time of day, ms
constexpr int kBoutSerialAt = kBoutAt + 1;            // the bout's serial

void putBout(QByteArray &out, const BoutResult &b) {
    out.append(char(kBoutAt + 2));
    for (int id = 0; id < kBoutAt; ++id) {
        out.append(char(id));
        put<qint64>(out, b.*kBoutMembers[id].field);
    }
    out.append(char(kBoutAt));
    put<qint64>(out, b.atMs);
    out.append(char(kBoutSerialAt));
    put<qint64>(out, b.serial);
}

// A block of pairs: how many bytes it takes, or -1 when fewer are there.
qint64 pairsSize(const char *at, qint64 size) {
    const qint64 n = size < 1 ? -1 : 1 + quint8(at[0]) * kMemberBytes;
    return n <= size ? n : -1;
}

// A scorebook entry's members, by number, with their limits.
struct MoveMember {
    qint32 ScoredMove::*field;
    qint64 low, high;
};
constexpr MoveMember kMoveMembers[] = {
    {&ScoredMove::bout, 0, kLargestSerial},
    {&ScoredMove::period, -1, 9},
    {&ScoredMove::clockTenths, 0, 36000},
    {&ScoredMove::side, 1, 2},
    {&ScoredMove::move, 0, RuleBook::kMoveCount - 1},
    {&ScoredMove::points, 0, 99},
    {&ScoredMove::rules, 0, RuleBook::kSetCount - 1},
};
constexpr int kMoveFlagsAt = int(std::size(kMoveMembers));
constexpr qint64 kToOpponent = 1, kDisqualifies = 2;

void putMove(QByteArray &out, const ScoredMove &m) {
    out.append(char(kMoveFlagsAt + 1));
    for (int id = 0; id < kMoveFlagsAt; ++id) {
        out.append(char(id));
        put<qint64>(out, m.*kMoveMembers[id].field);
    }
    out.append(char(kMoveFlagsAt));
    put<qint64>(out, (m.toOpponent ? kToOpponent : 0) | (m.disqualifies ? kDisqualifies : 0));
}

bool takeMove(const char *at, qint64 size, ScoredMove &m) {
    return readPairs(at, size, [&m](int id, qint64 v) {
        if (id == kMoveFlagsAt && (v & ~(kToOpponent | kDisqualifies)) == 0) {
            m.toOpponent = v & kToOpponent;
            m.disqualifies = v & kDisqualifies;
        } else if (id < kMoveFlagsAt && v >= kMoveMembers[id].low && v <= kMoveMembers[id].high) {
            m.*kMoveMembers[id].field = qint32(v);
        } else {
            return false;
        }
        return true;
    });
}

bool takeBout(const char *at, qint64 size, BoutResult &b) {
    return readPairs(at, size, [&b](int id, qint64 v) {
        if (id == kBoutAt && v >= 0)
            b.atMs = v;
        else if (id == kBoutSerialAt && v >= -1 && v <= kLargestSerial)
            b.serial = qint32(v);
        else if (id < kBoutAt && v >= kBoutMembers[id].low && v <= kBoutMembers[id].high)
            b.*kBoutMembers[id].field = qint32(v);
        else
            return false;
        return true;
    });
}

QByteArray textBlock(const QMap<quint16, QString> *before, const QMap<quint16, QString> &after);
qint64 takeTexts(const char *at, qint64 size, QMap<quint16, QString> &into, bool keepEmpty = false);

// An edit's members, then its flags, then the bout, the move and the texts (before, then
// after) when it has them.
constexpr quint8 kEditBout = 1;
constexpr quint8 kEditResumes = 2;
constexpr quint8 kEditMove = 4;
constexpr quint8 kEditTexts = 8;
constexpr quint8 kEditAuthor = 16; // the device's name (text 0) and key (text 1)
void putEdit(QByteArray &out, const MatchEdit &e) {
    const qsizetype countAt = out.size();
    out.append(char(0));
    quint8 n = 0;
    for (int id = 0; id < kCount; ++id) {
        if (!e.has(id))
            continue;
        out.append(char(id));
        put<qint64>(out, e.before[size_t(id)]);
        put<qint64>(out, e.after[size_t(id)]);
        ++n;
    }
    out[countAt] = char(n);
    out.append(char((e.bout ? kEditBout : 0) | (e.resumes ? kEditResumes : 0) |
                    (e.move ? kEditMove : 0) | (e.textsAfter.isEmpty() ? 0 : kEditTexts) |
                    (e.device.isEmpty() ? 0 : kEditAuthor)));
    if (e.bout)
        putBout(out, *e.bout);
    if (e.move)
        putMove(out, *e.move);
    if (!e.textsAfter.isEmpty())
        out += textBlock(nullptr, e.textsBefore) + textBlock(nullptr, e.textsAfter);
    if (!e.device.isEmpty())
        out += textBlock(nullptr, {{0, e.author}, {1, e.device}});
}

bool takeEdit(const char *at, qint64 size, MatchEdit &e) {
    if (size < 2)
        return false;
    const qint64 members = 1 + quint8(at[0]) * kEditMemberBytes;
    if (members >= size)
        return false;
    for (int i = 0; i < quint8(at[0]); ++i) {
        const char *m = at + 1 + i * kEditMemberBytes;
        const int id = quint8(m[0]);
        const qint64 before = take<qint64>(m + 1);
        const qint64 after = take<qint64>(m + 9);
        if (id >= kCount || e.has(id) || !inRange(id, before) || !inRange(id, after))
            return false;
        e.members |= quint64(1) << id;
        e.before[size_t(id)] = before;
        e.after[size_t(id)] = after;
    }
    const quint8 flags = quint8(at[members]);
    if (flags & ~(kEditBout | kEditResumes | kEditMove | kEditTexts | kEditAuthor))
        return false;
    e.resumes = flags & kEditResumes;
    at += members + 1;
    size -= members + 1;
    if (flags & kEditBout) {
        const qint64 n = pairsSize(at, size);
        BoutResult bout;
        if (n < 0 || !takeBout(at, n, bout))
            return false;
        e.bout = bout;
        at += n;
        size -= n;
    }
    if (flags & kEditMove) {
        const qint64 n = pairsSize(at, size);
        ScoredMove move;
        if (n < 0 || !takeMove(at, n, move))
            return false;
        e.move = move;
        at += n;
        size -= n;
    }
    if (flags & kEditTexts) {
        const qint64 n = takeTexts(at, size, e.textsBefore, true);
        const qint64 m = n < 0 ? -1 : takeTexts(at + n, size - n, e.textsAfter, true);
        // Each changed text has its value before and after.
        if (m < 0 || e.textsAfter.isEmpty() || e.textsBefore.keys() != e.textsAfter.keys())
            return false;
        at += n + m;
        size -= n + m;
    }
    if (flags & kEditAuthor) {
        QMap<quint16, QString> who;
        const qint64 n = takeTexts(at, size, who, true);
        if (n < 0 || who.value(1).isEmpty())
            return false;
        e.author = who.value(0);
        e.device = who.value(1);
        size -= n;
    }
    return size == 0;
}

// Count, then (number, length, UTF-8) of each text of after not as in before (all of them
// without before); one before lacks after goes as an empty one. Empty when none differs.
QByteArray textBlock(const QMap<quint16, QString> *before, const QMap<quint16, QString> &after) {
    QByteArray out;
    quint16 n = 0;
    const auto add = [&](quint16 id, const QString &text) {
        // The match keeps nothing longer: cut here (never inside a character), the length
        // stays within its bound.
        QString kept = text.left(kLongestText);
        if (!kept.isEmpty() && kept.back().isHighSurrogate())
            kept.chop(1);
        const QByteArray utf8 = kept.toUtf8();
        put<quint16>(out, id);
        put<quint16>(out, quint16(utf8.size()));
        out += utf8;
        ++n;
    };
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before || before->value(it.key()) != it.value())
            add(it.key(), it.value());
    }
    for (auto it = before ? before->cbegin() : after.cend(); before && it != before->cend(); ++it) {
        if (!after.contains(it.key()))
            add(it.key(), {});
    }
    if (n == 0)
        return {};
    QByteArray count;
    put<quint16>(count, n);
    return count + out;
}

// The bytes a text block took, or -1 when it is damaged; an empty text takes its number
// out of `into`, or with keepEmpty goes in as it is.
qint64 takeTexts(const char *at, qint64 size, QMap<quint16, QString> &into, bool keepEmpty) {
    if (size < 2)
        return -1;
    qint64 used = 2;
    for (int i = take<quint16>(at); i > 0; --i) {
        if (size - used < 4)
            return -1;
        const quint16 id = take<quint16>(at + used);
        const qint64 length = take<quint16>(at + used + 2);
        used += 4;
        if (size - used < length)
            return -1;
        const QByteArray utf8(at + used, length);
        const QString text = QString::fromUtf8(utf8);
        // Bytes that are not UTF-8 would come back changed: damage.
        if (text.toUtf8() != utf8 || text.size() > kLongestText)
            return -1;
        if (text.isEmpty() && !keepEmpty)
            into.remove(id);
        else
            into.insert(id, text);
        used += length;
    }
    return used;
}

QByteArray framed(Kind kind, const QDateTime &at, const QByteArray &payload,
                  QByteArray texts = {}) {
    // Too long for the first version (an edit of many names): one of the second, of no text.
    if (texts.isEmpty() && kRecordHead + payload.size() + 4 > kMaxRecordBytes)
        put<quint16>(texts, 0);
    QByteArray out;
    put<quint32>(out, quint32(kRecordHead + texts.size() + payload.size() + 4));
    put<quint16>(out, quint16(kind));
    put<quint16>(out, quint16(texts.isEmpty() ? kVersion : kTextVersion));
    put<qint64>(out, at.toMSecsSinceEpoch());
    out += texts;
    out += payload;
    putCrc(out, 0);
    return out;
}

QByteArray members(const MatchSnapshot *before, const MatchSnapshot &after) {
    QByteArray out;
    putMembers(out, before, after);
    return out;
}

// A list an edit adds to (a bout, a scorebook entry): with its item added, or taken away.
template <typename T> QList<T> withLast(QList<T> list, const std::optional<T> &item, bool add) {
    if (item) {
        if (add)
            list.append(*item);
        else if (!list.isEmpty())
            list.removeLast();
    }
    return list;
}

} // namespace

QByteArray record(Kind kind, const MatchSnapshot &before, const MatchSnapshot &after,
                  const QDateTime &at) {
    if (kind == Kind::Checkpoint) {
        QByteArray out =
            framed(Kind::Checkpoint, at, members(nullptr, after), textBlock(nullptr, after.texts));
        for (const BoutResult &b : after.bouts) {
            QByteArray payload = members(&after, after);
            putBout(payload, b);
            out += framed(Kind::Result, at, payload);
        }
        for (const ScoredMove &m : after.moves) {
            QByteArray payload = members(&after, after);
            putMove(payload, m);
            out += framed(Kind::Move, at, payload);
        }
        for (const auto *list : {&after.undoable, &after.redoable}) {
            for (const MatchEdit &e : *list) {
                QByteArray payload(1, char(list == &after.redoable));
                putEdit(payload, e);
                out += framed(Kind::History, at, payload);
            }
        }
        return out;
    }
    const QList<MatchEdit> &undo = before.undoable;
    const QList<MatchEdit> &redo = before.redoable;
    const bool sameHistory = after.undoable == undo && after.redoable == redo;
    // An undo or a redo moves the newest action of one list to the other, with its bout.
    const auto moved = [&](const QList<MatchEdit> &from, const QList<MatchEdit> &fromAfter,
                           const QList<MatchEdit> &to, const QList<MatchEdit> &toAfter,
                           bool addsBout) {
        return !from.isEmpty() && fromAfter == from.first(from.size() - 1) &&
               toAfter == MatchEdit::Pushed(to, from.back()) &&
               after.bouts == withLast(before.bouts, from.back().bout, addsBout) &&
               after.moves == withLast(before.moves, from.back().move, addsBout);
    };
    QByteArray payload = members(&before, after);
    switch (kind) {
    case Kind::Change:
        if (!sameHistory || after.bouts != before.bouts || after.moves != before.moves)
            return {};
        break;
    case Kind::Result:
        if (!sameHistory || after.moves != before.moves ||
            after.bouts.size() != before.bouts.size() + 1 ||
            after.bouts.first(before.bouts.size()) != before.bouts)
            return {};
        putBout(payload, after.bouts.back());
        break;
    case Kind::Action:
        if (after.undoable.isEmpty() || !after.redoable.isEmpty() ||
            after.undoable != MatchEdit::Pushed(undo, after.undoable.back()) ||
            after.bouts != withLast(before.bouts, after.undoable.back().bout, true) ||
            after.moves != withLast(before.moves, after.undoable.back().move, true))
            return {};
        putEdit(payload, after.undoable.back());
        break;
    case Kind::Undo:
        if (!moved(undo, after.undoable, redo, after.redoable, false))
            return {};
        break;
    case Kind::Redo:
        if (!moved(redo, after.redoable, undo, after.undoable, true))
            return {};
        break;
    default:
        return {};
    }
    return framed(kind, at, payload, textBlock(&before.texts, after.texts));
}

Kind KindOf(MatchOutcome::Step step) {
    switch (step) {
    case MatchOutcome::Step::Action:
        return Kind::Action;
    case MatchOutcome::Step::Undo:
        return Kind::Undo;
    case MatchOutcome::Step::Redo:
        return Kind::Redo;
    default:
        return Kind::Change;
    }
}

QByteArray progress(quint64 sequence, qint64 logEnd, const MatchSnapshot &recorded,
                    const MatchSnapshot &now, const QDateTime &at) {
    if (differing(recorded, now) > kSlotMembers || recorded.bouts != now.bouts ||
        recorded.undoable != now.undoable || recorded.redoable != now.redoable ||
        recorded.texts != now.texts || recorded.moves != now.moves)
        return {};
    QByteArray out;
    put<quint32>(out, kSlotMagic);
    put<quint16>(out, quint16(kVersion));
    put<quint16>(out, 0);
    put<quint64>(out, sequence);
    put<qint64>(out, logEnd);
    put<qint64>(out, at.toMSecsSinceEpoch());
    putMembers(out, &recorded, now);
    putCrc(out, 0);
    out.append(QByteArray(kSlotBytes - out.size(), '\0'));
    return out;
}

namespace {

// A whole record starts at offset: its length fits and its CRC holds.
bool whole(const QByteArray &bytes, qint64 at) {
    const char *rec = bytes.constData() + at;
    const qint64 length = take<quint32>(rec);
    const qint64 bound =
        take<quint16>(rec + 6) == kTextVersion ? kMaxTextRecordBytes : kMaxRecordBytes;
    return length >= kRecordHead + 5 && length <= bound && at + length <= bytes.size() &&
           take<quint32>(rec + length - 4) == crc(rec, length - 4);
}

// A record of a kind this version writes starts somewhere after offset.
bool recordAfter(const QByteArray &bytes, qint64 at) {
    for (qint64 later = at + 1; later <= bytes.size() - kRecordHead - 5; ++later) {
        const quint16 kind = take<quint16>(bytes.constData() + later + 4);
        if (kind >= quint16(Kind::Checkpoint) && kind <= quint16(Kind::Move) && whole(bytes, later))
            return true;
    }
    return false;
}

// One record's payload onto the match before it; false when it is damaged.
bool applyRecord(Kind kind, const char *payload, qint64 size, MatchSnapshot &next) {
    if (kind == Kind::History) {
        MatchEdit e;
        if (size < 1 || quint8(payload[0]) > 1 || !takeEdit(payload + 1, size - 1, e))
            return false;
        MatchEdit::Push(payload[0] ? next.redoable : next.undoable, e);
        return true;
    }
    // The members come first; a result's bout or an action's edit follows them.
    const bool more = kind == Kind::Result || kind == Kind::Action || kind == Kind::Move;
    const qint64 members = more ? 1 + quint8(payload[0]) * kMemberBytes : size;
    if (members > size || !applyMembers(payload, members, next))
        return false;
    switch (kind) {
    case Kind::Result: {
        BoutResult bout;
        if (!takeBout(payload + members, size - members, bout))
            return false;
        next.bouts.append(bout);
        return true;
    }
    case Kind::Move: {
        ScoredMove move;
        if (!takeMove(payload + members, size - members, move))
            return false;
        next.moves.append(move);
        return true;
    }
    case Kind::Action: {
        MatchEdit e;
        if (!takeEdit(payload + members, size - members, e))
            return false;
        next.bouts = withLast(next.bouts, e.bout, true);
        next.moves = withLast(next.moves, e.move, true);
        MatchEdit::Push(next.undoable, e);
        next.redoable.clear();
        return true;
    }
    case Kind::Undo:
    case Kind::Redo: {
        const bool undo = kind == Kind::Undo;
        QList<MatchEdit> &from = undo ? next.undoable : next.redoable;
        QList<MatchEdit> &to = undo ? next.redoable : next.undoable;
        if (from.isEmpty() || (undo && from.back().bout && next.bouts.isEmpty()) ||
            (undo && from.back().move && next.moves.isEmpty()))
            return false;
        const MatchEdit e = from.takeLast();
        MatchEdit::Push(to, e);
        next.bouts = withLast(next.bouts, e.bout, !undo);
        next.moves = withLast(next.moves, e.move, !undo);
        return true;
    }
    default:
        return true;
    }
}

} // namespace

Replay replay(const QByteArray &bytes) {
    Replay r;
    // A new value, never a copy of r: GCC's -O3 takes a copy of the optional for a read of
    // it uninitialized.
    const auto refuse = [](const QString &why) {
        Replay refused;
        refused.refused = true;
        refused.reason = why;
        return refused;
    };
    if (bytes.size() < kFirstRecord || !bytes.startsWith(QByteArray(kMagic, 8)))
        return refuse(QStringLiteral("the file is not a meet's log"));
    const quint32 version = take<quint32>(bytes.constData() + 8);
    if (version > kVersion)
        return refuse(QStringLiteral("the log was written by a newer version of the program "
                                     "(format version %1; this program reads %2)")
                          .arg(version)
                          .arg(kVersion));

    qint64 at = kFirstRecord;
    qint64 lastMs = 0;
    while (bytes.size() - at >= kRecordHead + 5) {
        // A record that is not whole is where a power cut struck: the log ends before it.
        // Only the last one can be; a whole record after it means the disk damaged it.
        if (!whole(bytes, at)) {
            r.damaged = recordAfter(bytes, at);
            break;
        }
        const char *rec = bytes.constData() + at;
        const qint64 length = take<quint32>(rec);
        const quint16 kind = take<quint16>(rec + 4);
        const quint16 kindVersion = take<quint16>(rec + 6);
        const bool known = kind >= quint16(Kind::Checkpoint) && kind <= quint16(Kind::Move) &&
                           (kindVersion == kVersion || kindVersion == kTextVersion);
        if (!known)
            return refuse(QStringLiteral("the log holds a record this version of the program "
                                         "does not know (kind %1, version %2)")
                              .arg(kind)
                              .arg(kindVersion));
        if (r.records == 0 && kind != quint16(Kind::Checkpoint))
            return refuse(QStringLiteral("the log does not start with a checkpoint"));
        // A checkpoint starts from a fresh match: members it lacks were added later.
        // Taken, not copied: the history grows in place.
        MatchSnapshot next =
            kind == quint16(Kind::Checkpoint) ? MatchSnapshot() : std::move(r.recorded);
        const qint64 texts =
            kindVersion == kTextVersion
                ? takeTexts(rec + kRecordHead, length - kRecordHead - 4, next.texts)
                : 0;
        if (texts < 0 || !applyRecord(Kind(kind), rec + kRecordHead + texts,
                                      length - kRecordHead - 4 - texts, next))
            return refuse(QStringLiteral("record %1 of the log is damaged").arg(r.records + 1));
        r.recorded = next;
        lastMs = take<qint64>(rec + 8);
        ++r.records;
        at += length;
    }
    r.end = at;
    if (r.records == 0)
        return refuse(QStringLiteral("the log holds no whole record"));

    r.snapshot = r.recorded;
    std::optional<Slot> newest;
    for (const qint64 offset : {slotOffset(0), slotOffset(1)}) {
        const std::optional<Slot> slot = readSlot(bytes, offset);
        if (slot && (!newest || slot->sequence > newest->sequence))
            newest = slot;
    }
    if (newest) {
        r.sequence = newest->sequence;
        MatchSnapshot with = r.recorded;
        // Written before a record that follows it, it is out of date.
        if (newest->logEnd == r.end && applyMembers(newest->members, newest->membersSize, with)) {
            r.snapshot = with;
            lastMs = std::max(lastMs, newest->atMs);
        }
    }
    r.savedAt = fromMs(lastMs);
    return r;
}

} // namespace MeetLog
