#pragma once

#include <QObject>
#include <functional>
#include <memory>

// Several test classes in one program per folder. Each class registers itself; the program
// runs the class named by its first argument (ctest runs each so, in a process of its own)
// or, without one, every class in turn. The other arguments are Qt Test's.
namespace TestMain {

enum class Needs { Core, Widgets };

bool add(const char *name, Needs needs, std::function<std::unique_ptr<QObject>()> make);

} // namespace TestMain

// In place of QTEST_MAIN: the class needs a QApplication.
#define DAREZEZ_TEST(Class)                                                                        \
    static const bool Class##Registered =                                                          \
        TestMain::add(#Class, TestMain::Needs::Widgets, [] { return std::make_unique<Class>(); });
// In place of QTEST_GUILESS_MAIN: a QCoreApplication is enough.
#define DAREZEZ_TEST_GUILESS(Class)                                                                \
    static const bool Class##Registered =                                                          \
        TestMain::add(#Class, TestMain::Needs::Core, [] { return std::make_unique<Class>(); });
