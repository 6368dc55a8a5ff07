#include "scoreboard/BuzzerHelper.h"
#include "startup/Program.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    if (argc == 3 && qstrcmp(argv[1], BuzzerHelper::kArgument) == 0) {
        QCoreApplication helper(argc, argv);
        return BuzzerHelper::Run(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    BuzzerHelper::SetProgram(QCoreApplication::applicationFilePath());
    return Program::Run();
}
