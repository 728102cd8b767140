// The scan run and its model are tested under a QCoreApplication only: a
// widget created anywhere in their sequences aborts the test program.
#include <QCoreApplication>
#include <clocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
