#include "doc/ChooseBox.h"
#include "DesktopFixture.h"
#include "doc/ApplicationLocations.h"

#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString gChosen; // what the stand-in open panel answers

class ChooseBoxTest : public DesktopFixture {
protected:
    // A box as the preferences window has it (a location field and a
    // button), made after the start-up check of its location.
    std::unique_ptr<ChooseBox> makeBox(const QString &title) {
        CheckApplicationLocation(*gSettings, title, applications());
        auto box = std::make_unique<ChooseBox>();
        box->setTitle(title);
        box->setChooseFunction([](QWidget *, const QString &) { return gChosen; });
        auto *layout = new QHBoxLayout(box.get());
        layout->addWidget(new QLineEdit("as laid out"));
        layout->addWidget(new QPushButton("choose"));
        box->awakeFromNib();
        return box;
    }

    QString app(const QString &relative) {
        EXPECT_TRUE(QDir().mkpath(applications() + "/" + relative));
        return applications() + "/" + relative;
    }
};

TEST_F(ChooseBoxTest, LocationsAreLookedForAndCheckedAtEveryStart) {
    gSettings->setValue("QuarkXPress 2018", app("Elsewhere/Quark.app"));
    // A location deleted from disk is forgotten, and the default is not
    // tried in its place at this start.
    app("QuarkXPress 2019/QuarkXPress.app");
    gSettings->setValue("QuarkXPress 2019", applications() + "/Deleted.app");
    app("QuarkXPress 2017/QuarkXPress 2017.app"); // not where 2017 is looked for
    const std::pair<const char *, QString> cases[] = {
        {"QuarkXPress 2015", app("QuarkXPress 2015/QuarkXPress.app")},
        {"QuarkXPress 2016", app("QuarkXPress 2016/QuarkXPress 2016.app")},
        {"Adobe InDesign 2020", app("Adobe InDesign 2020/Adobe InDesign 2020.app")},
        {"QuarkXPress 2018", applications() + "/Elsewhere/Quark.app"},
        {"QuarkXPress 2017", QString()},
        {"QuarkXPress 2019", QString()},
        {"Something Else", QString()},
    };
    for (const auto &[key, found] : cases) {
        EXPECT_EQ(makeBox(key)->path(), found.isNull() ? "as laid out" : found) << key;
        EXPECT_EQ(gSettings->dict().value(key).toString(), found) << key;
    }
}

TEST_F(ChooseBoxTest, DroppedAndChosenApplicationsAreStoredUnderTheCurrentTitle) {
    auto box = makeBox("QuarkXPress 2016");
    const auto drag = [](const QString &file) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(file)});
        return data;
    };
    // Any path ending in "app" goes, without a check of the application.
    EXPECT_EQ(box->draggingEntered(drag("/x/Snapp").get()), 2);
    EXPECT_TRUE(box->performDragOperation(drag("/x/Terminal.app").get()));
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016"), "/x/Terminal.app");
    EXPECT_EQ(box->draggingEntered(drag("/x/Tool.APP").get()), 0);
    EXPECT_TRUE(box->performDragOperation(drag("/x/Tool.APP").get()));
    EXPECT_EQ(box->path(), "/x/Terminal.app");

    box->setTitle("QuarkXPress 2017");
    gChosen = "/opt/Chosen.app";
    box->findChild<QPushButton *>()->click();
    EXPECT_EQ(box->path(), "/opt/Chosen.app");
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2017"), "/opt/Chosen.app");
    gChosen = QString(); // cancelled
    box->choose();
    EXPECT_EQ(box->path(), "/opt/Chosen.app");
}

} // namespace
