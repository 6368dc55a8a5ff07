#include "journal/JournalFile.h"

#include "clock/Match.h"
#include "clock/MatchMembers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>

namespace JournalFile {

namespace {

const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");
const QString kSavedAtKey = QStringLiteral("savedAt");
const QString kFieldsKey = QStringLiteral("fields");
const QString kClockSetKey = QStringLiteral("clockSet");
const QString kClockRunKey = QStringLiteral("clockRun");
const QString kClockRunningKey = QStringLiteral("clockRunning");
const QString kClockHasRunKey = QStringLiteral("clockHasRun");
const QString kHomeAdKey = QStringLiteral("homeAd");
const QString kGuestAdKey = QStringLiteral("guestAd");
const QString kTimeAdKey = QStringLiteral("timeAd");
const QString kLastClockTimeKey = QStringLiteral("lastClockTime");
const QString kShownAdSideKey = QStringLiteral("shownAdSide");

// Reads one object member after another and keeps the first complaint.
class Reader {
public:
    explicit Reader(const QJsonObject &o) : object(o) {}

    QString problem;

    bool ok() const { return problem.isEmpty(); }

    std::optional<qint64> integer(const QString &key, qint64 low, qint64 high) {
        const QJsonValue v = member(key);
        if (!ok())
            return std::nullopt;
        return checked(key, v, low, high);
    }

    bool boolean(const QString &key) {
        const QJsonValue v = member(key);
        if (!ok())
            return false;
        if (!v.isBool()) {
            fail(QStringLiteral("\"%1\" is not true or false").arg(key));
            return false;
        }
        return v.toBool();
    }

    QJsonValue member(const QString &key) {
        if (!ok())
            return {};
        const auto it = object.constFind(key);
        if (it == object.constEnd()) {
            fail(QStringLiteral("\"%1\" is missing").arg(key));
            return {};
        }
        return it.value();
    }

    std::optional<qint64> checked(const QString &what, const QJsonValue &v, qint64 low,
                                  qint64 high) {
        // A whole number: JSON keeps it exact up to 2^53, far above every limit here.
        const double d = v.toDouble();
        if (!v.isDouble() || !std::isfinite(d) || std::trunc(d) != d) {
            fail(QStringLiteral("%1 is not a whole number").arg(what));
            return std::nullopt;
        }
        if (d < double(low) || d > double(high)) {
            fail(QStringLiteral("%1 is %2, outside %3 to %4")
                     .arg(what)
                     .arg(d, 0, 'g', 17)
                     .arg(low)
                     .arg(high));
            return std::nullopt;
        }
        return v.toInteger();
    }

    void fail(const QString &why) {
        if (ok())
            problem = why;
    }

private:
    const QJsonObject &object;
};

Parsed refuse(const QString &why) {
    return Parsed{std::nullopt, why};
}

} // namespace

QByteArray encode(const MatchSnapshot &s, const QDateTime &savedAt) {
    QJsonArray fields;
    for (const qint32 f : s.fields)
        fields.append(f);
    const QJsonObject o{
        {kFormatKey, QLatin1String(kFormat)},
        {kVersionKey, kVersion},
        {kSavedAtKey, savedAt.toUTC().toString(Qt::ISODateWithMs)},
        {kFieldsKey, fields},
        {kClockSetKey, s.clockSet},
        {kClockRunKey, s.clockRun},
        {kClockRunningKey, s.clockRunning},
        {kClockHasRunKey, s.clockHasRun},
        {kHomeAdKey, s.homeAd},
        {kGuestAdKey, s.guestAd},
        {kTimeAdKey, MatchMembers::holderNumber(s.timeAd)},
        {kLastClockTimeKey, s.lastClockTime},
        {kShownAdSideKey, s.shownAdSide},
    };
    // Indented ends in "}\n": the newline is the mark of a whole file.
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

Parsed decode(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return refuse(QStringLiteral("the file is empty"));
    if (bytes.size() > kMaxBytes)
        return refuse(QStringLiteral("the file is too large to be a journal"));
    if (!bytes.endsWith('\n'))
        return refuse(QStringLiteral("the file is cut short"));

    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("the file is not a journal (%1 at byte %2)")
                          .arg(error.errorString())
                          .arg(error.offset));
    if (!doc.isObject())
        return refuse(QStringLiteral("the file is not a journal (no object)"));
    const QJsonObject o = doc.object();
    if (o.value(kFormatKey) != QJsonValue(QLatin1String(kFormat)))
        return refuse(QStringLiteral("the file is not a journal (format is not \"%1\")")
                          .arg(QLatin1String(kFormat)));

    Reader r(o);
    const QJsonValue versionValue = r.member(kVersionKey);
    const auto version = r.checked(kVersionKey, versionValue, 1, std::numeric_limits<int>::max());
    if (!version)
        return refuse(r.problem);
    if (*version > kVersion)
        return refuse(
            QStringLiteral("the journal was written by a newer version of the program (format "
                           "version %1; this program reads %2)")
                .arg(*version)
                .arg(kVersion));

    static const QSet<QString> known{
        kFormatKey,   kVersionKey,       kSavedAtKey,     kFieldsKey, kClockSetKey,
        kClockRunKey, kClockRunningKey,  kClockHasRunKey, kHomeAdKey, kGuestAdKey,
        kTimeAdKey,   kLastClockTimeKey, kShownAdSideKey};
    for (auto it = o.constBegin(); it != o.constEnd(); ++it) {
        if (!known.contains(it.key()))
            return refuse(QStringLiteral("\"%1\" is not part of a journal").arg(it.key()));
    }

    Entry e;
    const QJsonValue savedAtValue = r.member(kSavedAtKey);
    if (r.ok()) {
        // Only the form the writer uses: UTC to the millisecond.
        const QString text = savedAtValue.toString();
        e.savedAt = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!savedAtValue.isString() || !e.savedAt.isValid() || !text.endsWith(QLatin1Char('Z')))
            r.fail(QStringLiteral("\"%1\" is not a UTC date and time").arg(kSavedAtKey));
    }

    const QJsonValue fieldsValue = r.member(kFieldsKey);
    if (r.ok()) {
        const QJsonArray fields = fieldsValue.toArray();
        if (!fieldsValue.isArray() || fields.size() != qsizetype(e.snapshot.fields.size()))
            r.fail(QStringLiteral("\"%1\" is not a list of %2 numbers")
                       .arg(kFieldsKey)
                       .arg(e.snapshot.fields.size()));
        for (size_t i = 0; r.ok() && i < e.snapshot.fields.size(); ++i) {
            const auto f = r.checked(QStringLiteral("field %1").arg(i + 1), fields.at(qsizetype(i)),
                                     -1, Match::UpperLimit(Match::Field(Match::pledHomeScore + i)));
            if (f)
                e.snapshot.fields[i] = qint32(*f);
        }
    }

    const auto clockSet = r.integer(kClockSetKey, 0, fromSeconds(Match::kLargestTime));
    const auto clockRun = r.integer(kClockRunKey, 0, kLongestTime);
    const bool clockRunning = r.boolean(kClockRunningKey);
    const bool clockHasRun = r.boolean(kClockHasRunKey);
    const auto homeAd = r.integer(kHomeAdKey, 0, kLongestTime);
    const auto guestAd = r.integer(kGuestAdKey, 0, kLongestTime);
    using MatchMembers::kGuestHolds, MatchMembers::kHomeHolds, MatchMembers::kNobodyHolds;
    const auto timeAd = r.integer(kTimeAdKey, 0, kGuestHolds);
    if (timeAd && *timeAd != 0 && *timeAd < kHomeHolds)
        r.fail(QStringLiteral("\"%1\" is %2, not 0, %3, %4 or %5")
                   .arg(kTimeAdKey)
                   .arg(*timeAd)
                   .arg(kHomeHolds)
                   .arg(kNobodyHolds)
                   .arg(kGuestHolds));
    const auto lastClockTime = r.integer(kLastClockTimeKey, 0, Match::kLargestTime);
    // 0 is the side before the first refresh of the clocks.
    const auto shownAdSide = r.integer(kShownAdSideKey, 0, 2);
    if (!r.ok())
        return refuse(r.problem);

    e.snapshot.clockSet = *clockSet;
    e.snapshot.clockRun = *clockRun;
    e.snapshot.clockRunning = clockRunning;
    e.snapshot.clockHasRun = clockHasRun;
    e.snapshot.homeAd = *homeAd;
    e.snapshot.guestAd = *guestAd;
    e.snapshot.timeAd = MatchMembers::holderOf(*timeAd);
    e.snapshot.lastClockTime = qint32(*lastClockTime);
    e.snapshot.shownAdSide = qint16(*shownAdSide);
    return Parsed{e, QString()};
}

} // namespace JournalFile
