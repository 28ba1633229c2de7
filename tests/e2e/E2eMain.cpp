#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

// The pages run offscreen and every system message (a copy failure's
// reason, for one) comes in one fixed language, also when the program is
// started by hand: the platform is asked for on the toolkit's command line
// and the language set after the toolkit has set its own, without changing
// the program's environment (CTest gives the same through the test's
// ENVIRONMENT property, so that the children get it too).
int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    std::string platform = "-platform";
    std::string offscreen = "offscreen";
    arguments.push_back(platform.data());
    arguments.push_back(offscreen.data());
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    QApplication app(count, arguments.data());
    std::setlocale(LC_ALL, "C.UTF-8");
    ::testing::InitGoogleTest(&count, arguments.data());
    return RUN_ALL_TESTS();
}
