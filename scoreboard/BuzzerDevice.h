#pragma once

#include <QObject>
#include <QString>

// The playback device the scoreboard drives: a file name and the commands "Open",
// "Play", "Stop", "Prev" and "Close". Done reports, once for each "Play", that the
// sound is over: finished, cut off by "Close", or unable to start.
class BuzzerDevice : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~BuzzerDevice() override;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }

    virtual void Command(const QString &command) = 0;

signals:
    void Done();

private:
    QString m_fileName;
};
