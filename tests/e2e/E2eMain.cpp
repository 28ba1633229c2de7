#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// The pages run offscreen and every system message (a copy failure's
// reason, for one) comes in one fixed language, also when the program is
// started by hand or listed by CTest.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
