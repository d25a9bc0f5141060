// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"
#include "TestSupport.h"
#include "platform/FileName.h"

#include <QProcess>
#include <QTemporaryDir>

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

TEST(CommandLineTest, DocumentsOptionsAndQtsOwnAreToldApart) {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    ASSERT_TRUE(WriteAll(dir.filePath("-reverse"), "a document named like Qt's option"));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const CommandLine line = Parse({"tavo", "-style", "fusion", "-reverse", "Z\xfcrich.qxd", "--",
                                    "--version", "-x", folder + "/Plan.qxd"});
    QDir::setCurrent(before);
    EXPECT_EQ(
        line.documents,
        QStringList({dir.filePath("-reverse"), DecodeFileName(folder + "/Z\xfcrich.qxd"),
                     dir.filePath("--version"), dir.filePath("-x"), dir.filePath("Plan.qxd")}));
    ASSERT_EQ(line.qtArguments.size(), 4u);
    EXPECT_EQ(QByteArray(line.qtArguments[1]) + ' ' + line.qtArguments[2], "-style fusion");
    EXPECT_EQ(line.qtArguments[3], nullptr);
    EXPECT_EQ(Parse({"tavo", "-style"}).action, CommandLine::Action::UsageError);
    EXPECT_TRUE(!line.namesDisplay && Parse({"tavo", "-platform=xcb"}).namesDisplay);
}

// The real program; neither answer starts Tavo: no log, no settings, no socket.
TEST(CommandLineTest, HelpAndVersionAnswerWithoutAWindow) {
    QTemporaryDir home;
    QProcess tavo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        env.insert(name, home.path());
    tavo.setProcessEnvironment(env);
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
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    tavo.setProcessEnvironment(env);
    EXPECT_EQ(run({"Plan.qxd"}), 1);
    EXPECT_EQ(tavo.readAllStandardError(), NoDisplayMessage().toUtf8() + '\n');
    EXPECT_TRUE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

} // namespace
