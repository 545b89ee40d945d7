// Runs GoogleTest programs with a private registration folder of simulated units, so that units of
// other programs on this machine neither show up in these tests (shifting their port numbers, or
// held open for a moment by a serial window's scan) nor see theirs.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "serial-tests-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        return 1;
    }
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return result;
}
