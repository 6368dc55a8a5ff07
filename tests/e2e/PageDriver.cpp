#include "PageDriver.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonDocument>

namespace {
// Debian's own: python3-websocket is installed for it, not for any other Python on the path.
const QString kPython = QStringLiteral("/usr/bin/python3");
} // namespace

PageDriver::PageDriver(const QString &script) : m_script(script) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

PageDriver::~PageDriver() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    // End of input ends the driver, and it closes its browser.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(15000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool PageDriver::start() {
    if (!QFileInfo(kPython).isExecutable()) {
        m_skipped = true;
        m_why = QStringLiteral("%1 is not installed").arg(kPython);
        return false;
    }
    m_process.start(kPython, {m_script});
    if (!m_process.waitForStarted(10000)) {
        m_why = QStringLiteral("the page driver did not start: ") + m_process.errorString();
        return false;
    }
    // Chromium's first start on a machine may take a while.
    const QJsonObject first = answer(60000);
    if (first.contains(QLatin1String("skip"))) {
        m_skipped = true;
        m_why = first.value(QLatin1String("skip")).toString();
        return false;
    }
    return first.value(QLatin1String("ready")).toBool();
}

QJsonObject PageDriver::answer(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() != QProcess::Running) {
            m_why = QStringLiteral("the page driver ended");
            return {};
        }
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            if (!m_process.canReadLine()) {
                m_why = QStringLiteral("no answer from the page driver");
                return {};
            }
        }
    }
    const QByteArray line = m_process.readLine();
    const QJsonObject out = QJsonDocument::fromJson(line).object();
    if (out.contains(QLatin1String("error")))
        m_why = out.value(QLatin1String("error")).toString();
    return out;
}

QJsonObject PageDriver::call(const QJsonObject &request, int timeoutMs) {
    m_process.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    return answer(timeoutMs);
}

bool PageDriver::open(const QString &page, const QString &url) {
    return call({{QStringLiteral("open"), page}, {QStringLiteral("url"), url}}, 30000)
        .value(QLatin1String("ok"))
        .toBool();
}

QJsonValue PageDriver::eval(const QString &page, const QString &expression) {
    const QJsonObject out =
        call({{QStringLiteral("page"), page}, {QStringLiteral("eval"), expression}}, 30000);
    return out.value(QLatin1String("ok")).toBool() ? out.value(QLatin1String("value"))
                                                   : QJsonValue(QJsonValue::Undefined);
}

bool PageDriver::until(const QString &page, const QString &condition, int timeoutMs) {
    return call({{QStringLiteral("page"), page},
                 {QStringLiteral("until"), condition},
                 {QStringLiteral("ms"), timeoutMs}},
                timeoutMs + 30000)
        .value(QLatin1String("ok"))
        .toBool();
}
