// A printout that goes to a PDF file the disk cannot take is told, not
// reported as printed, and leaves no cut file behind (nor destroys an
// earlier one of that name).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTemporaryDir>
#include <csignal>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "platform/FileWrite.h"
#include "app/Printer.h"
#include "platform/Prompt.h"
#include "records/ProgramState.h"

namespace {
class PdfWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        pdf_ = dir_.filePath("page.pdf").toStdString();
        Prompt::SetResponder(&responder_);
    }
    void TearDown() override {
        FileWrite::SetFailureHook(nullptr);
        Prompt::SetResponder(nullptr);
    }
    ProgramState program_;
    bool Print(const std::string& to) {
        MyPrinter printer(program_.Records(), to);
        return printer.PrintPage(nullptr, "Hall Results", "W1", false, true,
                                 [](QPainter& p, QPagedPaintDevice&) {
                                     for (int i = 0; i < 40; ++i)
                                         p.drawText(100, 100 + 60 * i, "Sheet Res 150.6 ohm/sq");
                                 });
    }
    QStringList Files() const { return QDir(dir_.path()).entryList(QDir::Files); }
    std::string Told() const {
        if (responder_.Asked().empty()) return {};
        return responder_.Asked().back().caption + "|" + responder_.Asked().back().text;
    }
    QTemporaryDir dir_;
    std::string pdf_;
    Prompt::ScriptedResponder responder_;
};
}  // namespace

TEST_F(PdfWrite, APdfThatCannotTakeItsPlaceIsToldAndTheEarlierFileStays) {
    {
        QFile earlier(QString::fromStdString(pdf_));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier printout");
    }
    FileWrite::SetFailureHook(
        [this](const std::string& p) -> std::optional<FileWrite::InjectedFailure> {
            if (p == pdf_) return FileWrite::InjectedFailure{0, 0};
            return std::nullopt;
        });
    EXPECT_FALSE(Print(pdf_));
    EXPECT_EQ(Told(), "File Error|Can't write file:\n" + pdf_ + "\nNo space left on device");
    EXPECT_EQ(Files(), QStringList{"page.pdf"});
    QFile earlier(QString::fromStdString(pdf_));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier printout");
}

TEST_F(PdfWrite, APdfInAMissingFolderIsToldWithItsName) {
    const std::string missing = dir_.filePath("gone/page.pdf").toStdString();
    EXPECT_FALSE(Print(missing));
    EXPECT_EQ(Told(), "File Error|Can't write file:\n" + missing + "\nNo such file or directory");
}

#ifndef _WIN32
// The disk fills while the page is written: the PDF writer says nothing,
// the file is cut short. Files may not grow past 2 KB meanwhile.
TEST_F(PdfWrite, APdfCutShortIsNotPrinted) {
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2048;
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, oldHandler);
        GTEST_SKIP() << "the file size limit cannot be set here";
    }
    const bool printed = Print(pdf_);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(printed);
    // Drawn, but the file did not take it all.
    EXPECT_EQ(Told(), "File Error|Can't write file:\n" + pdf_ + "\nNo space left on device");
    EXPECT_TRUE(Files().isEmpty()) << Files().join(",").toStdString();
    // With room the same page prints.
    responder_.Add("OK");
    EXPECT_TRUE(Print(pdf_));
    EXPECT_GT(QFile(QString::fromStdString(pdf_)).size(), 2048);
}
#endif
