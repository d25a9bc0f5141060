// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"
#include "TestSupport.h"
#include "platform/FileName.h"
#include "platform/SingleInstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

CommandLine Parse(std::vector<QByteArray> arguments) {
    static std::vector<QByteArray> kept; // argv must outlive the parse's pointers
    kept = std::move(arguments);
    std::vector<char *> argv;
    for (QByteArray &argument : kept)
        argv.push_back(argument.data());
    return ParseCommandLine(int(argv.size()), argv.data());
}

// The real program, then the parse of its line. Neither help nor version
// starts Tavo: no log, no settings, no socket. `tavo Plan.qxd` in a folder
// deeper than any absolute name may be hands the running Tavo nothing it
// would take for its own Plan.qxd; the refusal goes to standard error and to
// the log it keeps.
TEST(CommandLineTest, DocumentsOptionsAndQtsOwnAreToldApartAndNoNameIsCut) {
    QTemporaryDir home;
    QProcess tavo;
    tavo.setProcessEnvironment(TavoEnvironment(home.path()));
    const auto run = [&](const QStringList &arguments) {
        tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"), arguments);
        EXPECT_TRUE(tavo.waitForFinished(20000));
        return tavo.exitCode();
    };
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(tavo.readAllStandardOutput(), "tavo 2.20\n");
    EXPECT_EQ(run({"Plan.qxd", "--help"}), 0); // help wins wherever it stands
    EXPECT_TRUE(tavo.readAllStandardOutput().startsWith("Usage: tavo "));
    // Without a display, one line with the way out instead of Qt's abort.
    QProcessEnvironment headless = TavoEnvironment(home.path());
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(name);
    tavo.setProcessEnvironment(headless);
    EXPECT_EQ(run({"Plan.qxd"}), 1);
    EXPECT_EQ(tavo.readAllStandardError(), NoDisplayMessage().toUtf8() + '\n');
    tavo.setProcessEnvironment(TavoEnvironment(home.path()));
    EXPECT_TRUE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    // Documents, options and Qt's own are told apart.
    const QString before = QDir::currentPath();
    const QByteArray folder = QFile::encodeName(home.path());
    ASSERT_TRUE(WriteAll(home.filePath("-reverse"), "a document named like Qt's option"));
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    const CommandLine line = Parse({"tavo", "-style", "fusion", "-reverse", "Z\xfcrich.qxd", "--",
                                    "--version", "-x", folder + "/Plan.qxd"});
    QDir::setCurrent(before);
    EXPECT_EQ(
        line.documents,
        QStringList({home.filePath("-reverse"), DecodeFileName(folder + "/Z\xfcrich.qxd"),
                     home.filePath("--version"), home.filePath("-x"), home.filePath("Plan.qxd")}));
    ASSERT_EQ(line.qtArguments.size(), 4u);
    EXPECT_EQ(QByteArray(line.qtArguments[1]) + ' ' + line.qtArguments[2], "-style fusion");
    EXPECT_EQ(line.qtArguments[3], nullptr);
    EXPECT_EQ(Parse({"tavo", "-style"}).action, CommandLine::Action::UsageError);
    EXPECT_TRUE(!line.namesDisplay && Parse({"tavo", "-platform=xcb"}).namesDisplay);

    SingleInstance running(home.path());
    ASSERT_EQ(running.start({}), SingleInstance::Status::Listening);
    QSignalSpy received(&running, &SingleInstance::documentsReceived);
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    const QByteArray name(255, 'd');
    for (int depth = 0; depth < 17; ++depth) // 17 x 256 bytes
        ASSERT_TRUE(::mkdir(name.constData(), 0700) == 0 && ::chdir(name.constData()) == 0);
    ::close(::creat("Plan.qxd", 0600));
    tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"), {"Plan.qxd"});
    QDir::setCurrent(before);
    ASSERT_TRUE(received.wait(20000) && tavo.waitForFinished(20000));
    EXPECT_EQ(received.at(0).at(0).toStringList(), QStringList());
    EXPECT_EQ(tavo.exitCode(), 1);
    const QByteArray refusal = "Plan.qxd: not opened: its absolute name would be longer than the "
                               "4095 bytes a file name may have\n";
    EXPECT_EQ(tavo.readAllStandardError(), "tavo: " + refusal);
    EXPECT_TRUE(ReadAll(home.filePath("Documents/Vellmoran/Tavo.txt")).endsWith(refusal));
    QProcess::execute("rm", {"-rf", home.path()}); // Qt cannot remove so deep a tree
}

} // namespace
