#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>

// Headless Chromium, driven over the DevTools protocol by a Python child
// (tests/feed/page_driver.py) that takes one JSON request a line and answers one a line.
class PageDriver {
public:
    explicit PageDriver(const QString &script);
    ~PageDriver();

    // False with why(): the browser or its driver is missing (skipped() then), or failed.
    bool start();
    bool skipped() const { return m_skipped; }
    QString why() const { return m_why; }

    bool open(const QString &page, const QString &url);
    // The value of a JavaScript expression in the page; undefined on failure (why() says).
    QJsonValue eval(const QString &page, const QString &expression);
    // Waits, on every change of the page's document, until the condition is true.
    bool until(const QString &page, const QString &condition, int timeoutMs);

private:
    QJsonObject call(const QJsonObject &request, int timeoutMs);
    QJsonObject answer(int timeoutMs);

    QString m_script;
    QProcess m_process;
    QString m_why;
    bool m_skipped = false;
};
