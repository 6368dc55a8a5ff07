#include "TestMain.h"

#include <QApplication>
#include <QTest>
#include <cstring>
#include <vector>

namespace {

struct Entry {
    const char *name;
    TestMain::Needs needs;
    std::function<std::unique_ptr<QObject>()> make;
};

std::vector<Entry> &registry() {
    static std::vector<Entry> entries;
    return entries;
}

} // namespace

bool TestMain::add(const char *name, Needs needs, std::function<std::unique_ptr<QObject>()> make) {
    registry().push_back({name, needs, std::move(make)});
    return true;
}

int main(int argc, char *argv[]) {
    std::vector<const Entry *> chosen;
    if (argc > 1) {
        for (const Entry &e : registry()) {
            if (std::strcmp(argv[1], e.name) == 0)
                chosen.push_back(&e);
        }
    }
    // Qt Test sees the program's name and its own arguments only.
    std::vector<char *> args(argv, argv + argc);
    if (!chosen.empty())
        args.erase(args.begin() + 1);
    else
        for (const Entry &e : registry())
            chosen.push_back(&e);
    int count = int(args.size());

    bool widgets = false;
    for (const Entry *e : chosen)
        widgets = widgets || e->needs == TestMain::Needs::Widgets;
    std::unique_ptr<QCoreApplication> app;
    if (widgets) {
        QApplication::setAttribute(Qt::AA_Use96Dpi, true);
        app = std::make_unique<QApplication>(count, args.data());
    } else {
        app = std::make_unique<QCoreApplication>(count, args.data());
    }
    int failed = 0;
    for (const Entry *e : chosen) {
        std::unique_ptr<QObject> test = e->make();
        failed += QTest::qExec(test.get(), count, args.data());
    }
    return failed == 0 ? 0 : 1;
}
