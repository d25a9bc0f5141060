#include "doc/DropView.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "platform/Format.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class DropViewTest : public DesktopFixture {
protected:
    void SetUp() override {
        DesktopFixture::SetUp();
        // The labels sit in a layout below a hint, as in the main window.
        auto *layout = new QVBoxLayout(&view);
        layout->addWidget(new QLabel("hint"));
        auto *inner = new QWidget;
        auto *innerLayout = new QVBoxLayout(inner);
        appName = new QLabel("initial");
        appName->setProperty("tag", 1);
        platform = new QLabel("initial");
        platform->setProperty("tag", 2);
        innerLayout->addWidget(appName);
        innerLayout->addWidget(platform);
        layout->addWidget(inner);
        view.awakeFromNib();
    }

    static QMimeData *Drag(const QStringList &paths) {
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        return data;
    }

    DropView view;
    QLabel *appName = nullptr;
    QLabel *platform = nullptr;
};

TEST_F(DropViewTest, AHoveringDocumentIsLabelledAndAcceptedOnlyWhenRecognised) {
    EXPECT_TRUE(view.acceptDrops());
    ASSERT_TRUE(WriteFile(path("cs6.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
    std::unique_ptr<QMimeData> drag(Drag({path("cs6.indd")}));
    EXPECT_EQ(view.draggingEntered(drag.get()), 2);
    EXPECT_EQ(appName->text(), QLatin1String("Adobe InDesign CS6"));
    EXPECT_EQ(platform->text(), GetString("---"));
    view.draggingExited();
    EXPECT_EQ(appName->text(), QLatin1String(""));
    EXPECT_EQ(platform->text(), QLatin1String(""));

    // A Windows QuarkXPress document; "os" is compared exactly.
    ASSERT_TRUE(WriteFile(path("win.qxp"), FromHex("00004949585052334C204C205850")));
    drag.reset(Drag({path("win.qxp")}));
    EXPECT_EQ(view.draggingEntered(drag.get()), 2);
    EXPECT_EQ(appName->text(), QLatin1String("QuarkXPress 2016"));
    EXPECT_EQ(platform->text(), GetString("Win"));
    DocInfo lower;
    lower.appName = "QuarkXPress";
    lower.os = "m";
    view.setLabels(&lower);
    EXPECT_EQ(appName->text(), QLatin1String("QuarkXPress (null)"));
    EXPECT_EQ(platform->text(), QLatin1String("---"));

    // Unknown files, version 0 and drags without files are refused.
    ASSERT_TRUE(WriteFile(path("notes.txt"), QByteArray(600, 'x')));
    drag.reset(Drag({path("notes.txt")}));
    EXPECT_EQ(view.draggingEntered(drag.get()), 0);
    EXPECT_EQ(appName->text(), QLatin1String("(null) (null)"));
    ASSERT_TRUE(WriteFile(path("v0.indd"), InDesignVersionBytes(0, 0, 0, 2, 0)));
    drag.reset(Drag({path("v0.indd")}));
    EXPECT_EQ(view.draggingEntered(drag.get()), 0);
    EXPECT_EQ(appName->text(), QLatin1String("Adobe InDesign ??"));
    QMimeData text;
    text.setText("just text");
    EXPECT_EQ(view.draggingEntered(&text), 0);
}

// A drag as the window system delivers it: to the window, which routes it
// to the view under the pointer. Answers whether the drop would be taken.
struct WindowDrag {
    QWindow *window;
    QMimeData *data;
    bool move() {
        QDragMoveEvent event(QPoint(20, 20), Qt::CopyAction | Qt::LinkAction, data, Qt::LeftButton,
                             Qt::NoModifier);
        QCoreApplication::sendEvent(window, &event);
        return event.isAccepted() && event.dropAction() == Qt::LinkAction;
    }
    bool enter() {
        QDragEnterEvent event(QPoint(20, 20), Qt::CopyAction | Qt::LinkAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window, &event);
        return move(); // the window system follows an entry with a move
    }
    void leave() {
        QDragLeaveEvent event;
        QCoreApplication::sendEvent(window, &event);
    }
};

TEST_F(DropViewTest, TheViewAnswersRealDragsAndForgetsEveryHoveringFile) {
    view.resize(200, 200);
    view.show();
    ASSERT_TRUE(view.windowHandle());
    ASSERT_TRUE(WriteFile(path("cs6.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
    ASSERT_TRUE(WriteFile(path("notes.txt"), QByteArray(600, 'x')));
    std::unique_ptr<QMimeData> known(Drag({path("cs6.indd")}));
    std::unique_ptr<QMimeData> unknown(Drag({path("notes.txt")}));

    for (QMimeData *data : {known.get(), unknown.get()}) {
        WindowDrag drag{view.windowHandle(), data};
        EXPECT_EQ(drag.enter(), data == known.get());
        EXPECT_NE(appName->text(), QLatin1String(""));
        EXPECT_EQ(drag.move(), data == known.get()); // the answer holds while it hovers
        drag.leave();                                // left, or cancelled
        EXPECT_EQ(appName->text(), QLatin1String(""));
        EXPECT_EQ(platform->text(), QLatin1String(""));
    }

    // Dropped: the labels go at once, the opening waits for the drop to end.
    WindowDrag drag{view.windowHandle(), known.get()};
    ASSERT_TRUE(drag.enter());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction | Qt::LinkAction, known.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(view.windowHandle(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::LinkAction);
    EXPECT_EQ(appName->text(), QLatin1String(""));
    EXPECT_TRUE(alerts.isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message,
              Format(GetString("appNotFound"), QStringLiteral("Adobe InDesign CS6")));
}

TEST_F(DropViewTest, ADropClearsTheLabelsThenOpensOnlyTheFirstFile) {
    ASSERT_TRUE(WriteFile(path("a.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
    ASSERT_TRUE(WriteFile(path("b.indd"), InDesignVersionBytes(9, 0, 0, 0, 0)));
    ASSERT_TRUE(WriteFile(path("c.indd"), InDesignVersionBytes(10, 0, 0, 0, 0)));
    std::unique_ptr<QMimeData> drag(Drag({path("a.indd"), path("b.indd"), path("c.indd")}));
    view.draggingEntered(drag.get());
    EXPECT_EQ(appName->text(), QLatin1String("Adobe InDesign CS6"));

    QStringList labelsAtAlert;
    onAlert = [&](const AlertRequest &) { labelsAtAlert << appName->text() << platform->text(); };
    EXPECT_TRUE(view.prepareForDragOperation(drag.get()));
    EXPECT_TRUE(view.performDragOperation(drag.get()));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message,
              Format(GetString("appNotFound"), QStringLiteral("Adobe InDesign CS6")));
    EXPECT_EQ(labelsAtAlert, QStringList({"", ""}));
}

TEST_F(DropViewTest, HtmlHeadValuesAreShownInTheApplicationLabel) {
    ASSERT_TRUE(WriteFile(path("page.html"),
                          "<html><head><meta name='jahr' content='2019'>"
                          "<meta name='cmspage_title_nr' content='12'><title>x</title></head>"
                          "<body><p>unclosed</body></html>"));
    platform->setText("kept");
    view.doHTML(path("page.html"));
    EXPECT_EQ(appName->text(), QLatin1String("2019/(null)/12"));
    EXPECT_EQ(platform->text(), QLatin1String("kept"));
    view.doHTML(path("missing.html"));
    EXPECT_EQ(appName->text(), QLatin1String("2019/(null)/12"));
}

} // namespace
