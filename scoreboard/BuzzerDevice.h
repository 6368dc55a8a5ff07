#pragma once

#include <QObject>
#include <QString>

// The playback device the scoreboard drives: a file name and the operations open, play,
// stop, rewind and close. Done reports, once for each play, that the sound is over:
// finished, cut off by close, or unable to start. Another platform plugs in its own
// player here.
class BuzzerDevice : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~BuzzerDevice() override;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }

    virtual void open() = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void rewind() = 0;
    virtual void close() = 0;

signals:
    void Done();

private:
    QString m_fileName;
};
