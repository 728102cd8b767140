// The main of the electronics' sequence tests: GoogleTest under a
// QCoreApplication (the timed readings wait in event loops; no widgets).
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
