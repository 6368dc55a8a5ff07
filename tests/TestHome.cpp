// Linked into every test program: per-user folders of its own, made before Qt first
// looks for them and removed when the program ends, so that a run writes nothing into
// the home of whoever runs it (Qt's file chooser keeps its history there, for one).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {
struct TestHome {
    std::string made;
    TestHome() {
        // A copy of a test started by the test itself uses its parent's folders.
        if (std::getenv("DAREZEZ_TEST_HOME"))
            return;
        std::string dir = (std::filesystem::temp_directory_path() / "darezez-home.XXXXXX").string();
        if (!mkdtemp(dir.data()))
            std::abort();
        made = dir;
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            const std::string sub = dir + "/" + name;
            mkdir(sub.c_str(), 0700);
            setenv(name, sub.c_str(), 1);
        }
        setenv("DAREZEZ_TEST_HOME", dir.c_str(), 1);
    }
    ~TestHome() {
        std::error_code ignored;
        if (!made.empty())
            std::filesystem::remove_all(made, ignored);
    }
} home;
} // namespace
