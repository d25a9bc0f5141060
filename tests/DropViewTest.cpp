// SPDX-License-Identifier: MIT
#include "doc/DropView.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "platform/Format.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QWindow>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class DropViewTest : public DesktopFixture {
protected:
    // The labels sit below the view, as in the main window.
    void SetUp() override {
        DesktopFixture::SetUp();
        auto *inner = new QWidget(&view);
        appName = new QLabel("initial", inner);
        platform = new QLabel("initial", inner);
        appName->setProperty("tag", 1);
        platform->setProperty("tag", 2);
        view.awakeFromNib();
    }

    // A drag of the file `name`, written with `bytes`.
    std::unique_ptr<QMimeData> drag(const QString &name, const QByteArray &bytes) {
        EXPECT_TRUE(WriteAll(path(name), bytes));
        return DesktopFixture::drag(path(name));
    }

    QString labels() const { return appName->text() + "|" + platform->text(); }

    DropView view;
    QLabel *appName = nullptr;
    QLabel *platform = nullptr;
};

// A drag as the window system delivers it: to the window, which routes it
// to the view under the pointer; an entry is followed by a move. Answers
// the action the drop would be taken with.
Qt::DropAction Hover(QWindow *window, QMimeData *data, bool enter,
                     Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction) {
    QDragEnterEvent entry(QPoint(20, 20), actions, data, Qt::LeftButton, Qt::NoModifier);
    if (enter)
        QCoreApplication::sendEvent(window, &entry);
    QDragMoveEvent move(QPoint(20, 20), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
}

Qt::DropAction Drop(QWindow *window, QMimeData *data, Qt::DropActions actions) {
    QDropEvent drop(QPointF(20, 20), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

TEST_F(DropViewTest, AHoveringDocumentIsLabelledAndOnlyARecognisedOneIsTakenAsALink) {
    const struct {
        const char *name;
        QByteArray bytes;
        int answer;
        const char *app, *platform;
    } cases[] = {
        {"cs6.indd", InDesignVersionBytes(8, 0, 0, 0, 0), 2, "Adobe InDesign CS6", "---"},
        {"win.qxp", FromHex("00004949585052334C204C205850"), 2, "QuarkXPress 2016", "Win"},
        {"mac.qxp", FromHex("00004D4D58505233204C204C5850"), 2, "QuarkXPress 2016", "Mac"},
        {"notes.txt", QByteArray(600, 'x'), 0, "(null) (null)", "---"},
        {"v0.indd", InDesignVersionBytes(0, 0, 0, 2, 0), 0, "Adobe InDesign ??", "---"},
        {"v-10.indd", InDesignVersionBytes(0, 0, 0, 1, 0), 2, "Adobe InDesign ??", "---"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(view.draggingEntered(drag(c.name, c.bytes).get()), c.answer);
        EXPECT_EQ(labels(), c.app + ("|" + GetString(c.platform)));
        view.draggingExited();
        EXPECT_EQ(labels(), "|");
    }
    QMimeData text;
    text.setText("just text");
    EXPECT_EQ(view.draggingEntered(&text), 0);
    // Opening a drop clears the labels first.
    const auto known = drag("cs6.indd", InDesignVersionBytes(8, 0, 0, 0, 0));
    view.draggingEntered(known.get());
    onAlert = [&](const AlertRequest &) { EXPECT_EQ(labels(), "|"); };
    EXPECT_TRUE(view.performDragOperation(known.get()) && alerts.size() == 1);
    // The platform is compared exactly.
    DocInfo lower;
    lower.os = "m";
    view.setLabels(&lower);
    EXPECT_EQ(platform->text(), "---");

    // An HTML page's head values are shown in the application label.
    ASSERT_TRUE(WriteAll(path("page.html"), "<html><head><meta name='jahr' content='2019'>"
                                            "<meta name='cmspage_title_nr' content='12'></head>"
                                            "<body><p>unclosed</body></html>"));
    view.doHTML(path("page.html"));
    view.doHTML(path("missing.html"));
    EXPECT_EQ(labels(), "2019/(null)/12|---");

    // Real drags, as the window system delivers them.
    alerts.clear();
    view.resize(200, 200);
    view.show();
    ASSERT_TRUE(view.windowHandle());
    const auto unknown = drag("notes.txt", QByteArray(600, 'x'));
    // A FIFO is looked at, never opened: that would let a writer waiting
    // for a reader go on into a pipe nobody reads.
    const QByteArray fifoName = QFile::encodeName(path("fifo"));
    ASSERT_EQ(::mkfifo(fifoName.constData(), 0600), 0);
    const int opened = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(opened, fifoName.constData(), IN_OPEN), 0);
    const auto fifo = DesktopFixture::drag(path("fifo"));
    for (QMimeData *data : {known.get(), unknown.get(), fifo.get()}) {
        const Qt::DropAction answer = data == known.get() ? Qt::LinkAction : Qt::IgnoreAction;
        EXPECT_EQ(Hover(view.windowHandle(), data, true), answer);
        EXPECT_NE(labels(), "|");
        // The answer holds while it hovers, and the labels go when it leaves.
        EXPECT_EQ(Hover(view.windowHandle(), data, false), answer);
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(view.windowHandle(), &leave);
        EXPECT_EQ(labels(), "|");
    }

    // Dropped: the labels go at once, the opening waits for the drop to end
    // and takes only the first of several files.
    ASSERT_TRUE(WriteAll(path("b.indd"), InDesignVersionBytes(9, 0, 0, 0, 0)));
    known->setUrls(known->urls() << QUrl::fromLocalFile(path("b.indd")));
    // A source that lets no link be made is refused and its drop left alone,
    // even a move-only one's: it would delete the file.
    for (const Qt::DropActions actions :
         {Qt::DropActions(Qt::CopyAction), Qt::DropActions(Qt::MoveAction)}) {
        EXPECT_EQ(Hover(view.windowHandle(), known.get(), true, actions), Qt::IgnoreAction);
        EXPECT_NE(labels(), "|");
        EXPECT_EQ(Drop(view.windowHandle(), known.get(), actions), Qt::IgnoreAction);
        EXPECT_EQ(labels(), "|");
    }
    ASSERT_EQ(Hover(view.windowHandle(), known.get(), true), Qt::LinkAction);
    EXPECT_EQ(Drop(view.windowHandle(), known.get(), Qt::CopyAction | Qt::LinkAction),
              Qt::LinkAction);
    EXPECT_EQ(labels(), "|");
    EXPECT_TRUE(alerts.isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, Format(GetString("appNotFound"), QString("Adobe InDesign CS6")));

    char event[4096];
    EXPECT_LT(::read(opened, event, sizeof event), 0) << "the FIFO was opened";
    ::close(opened);
}

} // namespace
