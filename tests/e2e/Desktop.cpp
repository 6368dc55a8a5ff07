#include "Desktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

Desktop::Desktop() {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

Desktop::~Desktop() {
    stop();
}

bool Desktop::run(const QString &program, const QStringList &args, QByteArray *out, int timeoutMs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs) || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool Desktop::available() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        m_why =
            QStringLiteral("no X server (DISPLAY is unset); the README's test command starts one");
        return false;
    }
    for (const char *tool : {"xdotool", "import"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            m_why = QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
            return false;
        }
    }
    return m_config.isValid() && m_data.isValid();
}

void Desktop::writeSettings(const QString &iniText) {
    QDir().mkpath(m_config.filePath(QStringLiteral("Darezez")));
    QFile f(m_config.filePath(QStringLiteral("Darezez/Darezez.ini")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(iniText.toUtf8());
}

QString Desktop::settingsText() const {
    QFile f(m_config.filePath(QStringLiteral("Darezez/Darezez.ini")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The program beside the tests' folder in the build: found at run time, since a compiled-in
// path outlives a moved or cached build.
QString Desktop::ProgramPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../darezez");
}

bool Desktop::start(const QProcessEnvironment &extra, const QString &program) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Under the sanitizers: system libraries' leaks are theirs, not the program's.
    const QString leaks = env.value(QStringLiteral("LSAN_OPTIONS"));
    env.insert(QStringLiteral("LSAN_OPTIONS"),
               (leaks.isEmpty() ? QString() : leaks + QLatin1Char(':')) +
                   QStringLiteral("suppressions=" DAREZEZ_LSAN_SUPPRESSIONS));
    env.insert(extra);
    m_process.setProcessEnvironment(env);
    m_process.start(program.isEmpty() ? ProgramPath() : program, {});
    return m_process.waitForStarted(5000);
}

void Desktop::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString Desktop::output() const {
    return QString::fromLocal8Bit(const_cast<QProcess &>(m_process).readAll());
}

QStringList Desktop::windows() const {
    if (m_process.state() != QProcess::Running)
        return {};
    QByteArray out;
    run(QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
         QString::number(m_process.processId())},
        &out);
    QStringList ids = QString::fromLatin1(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Qt's own helper windows have no size worth showing; keep real ones only.
    QStringList real;
    for (const QString &id : ids) {
        const QRect g = geometry(id);
        if (g.width() > 20 && g.height() > 20)
            real << id;
    }
    return real;
}

QString Desktop::waitForNewWindow(const QStringList &known, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (const QString &id : windows()) {
            if (!known.contains(id))
                return id;
        }
        QThread::msleep(50);
    }
    return {};
}

bool Desktop::waitForWindowGone(const QString &id, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (!windows().contains(id))
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool Desktop::waitForActive(const QString &id, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    QRect last;
    while (!deadline.hasExpired()) {
        const QRect now = geometry(id);
        if (activeWindow() == id && now == last && now.isValid())
            return true;
        last = now;
        QThread::msleep(50);
    }
    return false;
}

QString Desktop::describeWindows() const {
    QByteArray ids;
    run(QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(m_process.processId())},
        &ids);
    QString text;
    for (const QString &id :
         QString::fromLatin1(ids).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QByteArray info;
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}, &info);
        static const QRegularExpression keep(
            QStringLiteral("Map State: \\S+|Width: \\d+|Height: \\d+"));
        text += QLatin1Char('[') + id;
        for (auto it = keep.globalMatch(QString::fromLatin1(info)); it.hasNext();)
            text += QLatin1Char(' ') + it.next().captured();
        text += QLatin1Char(']');
    }
    return text;
}

// xwininfo, not xdotool: under a window manager xdotool reports the frame's corner.
QRect Desktop::geometry(const QString &window) const {
    QByteArray out;
    if (!run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}, &out))
        return {};
    const QString text = QString::fromLatin1(out);
    auto value = [&](const char *name) {
        const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
        const auto m = re.match(text);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                 value("Height"));
}

QString Desktop::activeWindow() const {
    QByteArray out;
    run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}, &out);
    return QString::fromLatin1(out).trimmed();
}

bool Desktop::activate(const QString &window) const {
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
}

bool Desktop::resize(const QString &window, int width, int height) const {
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("windowsize"), QStringLiteral("--sync"), window,
                QString::number(width), QString::number(height)});
}

void Desktop::click(int x, int y) const {
    // No --sync: it waits for a motion that never comes when the pointer is already there.
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
         QStringLiteral("sleep"), QStringLiteral("0.05"), QStringLiteral("click"),
         QStringLiteral("1")});
}

void Desktop::keys(const QStringList &names, int delayMs) const {
    run(QStringLiteral("xdotool"),
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QString::number(delayMs)} +
            names);
}

void Desktop::type(const QString &text) const {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

QImage Desktop::screenshot() const {
    QByteArray png;
    if (!run(QStringLiteral("import"),
             {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")}, &png,
             20000))
        return {};
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

QImage Desktop::grab(const QString &window) const {
    QByteArray png;
    if (!run(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")},
             &png, 20000))
        return {};
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}
