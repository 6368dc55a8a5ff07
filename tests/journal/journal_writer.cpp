// A second program for the journal tests: "hold FOLDER" takes the journal's lock and keeps
// it; "loop FOLDER" writes journals back to back, printing "written N" after each commit,
// until it is killed. The N-th snapshot has N tenths of match time run.
#include "journal/MatchJournal.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    MatchJournal journal(QString::fromLocal8Bit(argv[2]));
    if (!journal.acquire()) {
        std::printf("refused\n");
        return 1;
    }
    if (mode == "hold") {
        std::printf("held\n");
        std::fflush(stdout);
        return app.exec();
    }
    if (mode != "loop")
        return 2;
    qint64 n = 0;
    const auto next = [&] {
        MatchSnapshot s;
        s.clockRun = fromTenths(n + 1);
        s.fields[0] = qint32((n + 1) % 200);
        s.clockRunning = true;
        s.clockHasRun = true;
        journal.write(s);
    };
    QObject::connect(&journal, &MatchJournal::written, [&] {
        ++n;
        std::printf("written %lld\n", static_cast<long long>(n));
        std::fflush(stdout);
        next();
    });
    QObject::connect(&journal, &MatchJournal::writeFailed, [](const QString &why) {
        std::printf("failed %s\n", qPrintable(why));
        std::fflush(stdout);
    });
    next();
    return app.exec();
}
