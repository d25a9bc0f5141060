#include "doc/ChooseBox.h"
#include "DesktopFixture.h"
#include "doc/ApplicationLocations.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString gChosen; // what the stand-in open panel answers
QString ChooseStandIn(QWidget *, const QString &) {
    return gChosen;
}

class ChooseBoxTest : public DesktopFixture {
protected:
    // A box as the preferences window has it (a location field and a
    // button), made after the start-up check of its location.
    std::unique_ptr<ChooseBox> makeBox(const QString &title) {
        CheckApplicationLocation(*gSettings, title, applications());
        auto box = std::make_unique<ChooseBox>();
        box->setTitle(title);
        box->setApplicationsFolder(applications());
        box->setChooseFunction(&ChooseStandIn);
        auto *layout = new QHBoxLayout(box.get());
        auto *field = new QLineEdit("as laid out");
        layout->addWidget(field);
        layout->addWidget(new QPushButton("choose"));
        box->awakeFromNib();
        return box;
    }

    QString app(const QString &relative) {
        const QString bundle = applications() + "/" + relative;
        EXPECT_TRUE(QDir().mkpath(bundle));
        return bundle;
    }

    static std::unique_ptr<QMimeData> Drag(const QString &file) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(file)});
        return data;
    }
};

TEST_F(ChooseBoxTest, DefaultLocationsAreFoundAndStored) {
    const QString q2015 = app("QuarkXPress 2015/QuarkXPress.app");
    const QString q2016 = app("QuarkXPress 2016/QuarkXPress 2016.app");
    app("QuarkXPress 2017/QuarkXPress 2017.app"); // not where 2017 is looked for
    const QString id2020 = app("Adobe InDesign 2020/Adobe InDesign 2020.app");

    EXPECT_EQ(makeBox("QuarkXPress 2015")->path(), q2015);
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2015").toString(), q2015);
    EXPECT_EQ(makeBox("QuarkXPress 2016")->path(), q2016);
    EXPECT_EQ(makeBox("Adobe InDesign 2020")->path(), id2020);
    EXPECT_EQ(makeBox("QuarkXPress 2017")->path(), QLatin1String("as laid out"));
    EXPECT_FALSE(gSettings->dict().contains("QuarkXPress 2017"));
    EXPECT_EQ(makeBox("Something Else")->path(), QLatin1String("as laid out"));
}

TEST_F(ChooseBoxTest, StoredLocationsAreCheckedAtEveryStart) {
    const QString kept = app("Elsewhere/Quark.app");
    gSettings->setValue("QuarkXPress 2018", kept);
    EXPECT_EQ(makeBox("QuarkXPress 2018")->path(), kept);

    // A location deleted from disk is forgotten, and the default is not
    // tried in its place at this start.
    app("QuarkXPress 2019/QuarkXPress.app");
    gSettings->setValue("QuarkXPress 2019", applications() + "/Deleted.app");
    EXPECT_EQ(makeBox("QuarkXPress 2019")->path(), QLatin1String("as laid out"));
    EXPECT_FALSE(gSettings->dict().contains("QuarkXPress 2019"));
    gSettings->setValue("QuarkXPress 2019", QStringLiteral(""));
    makeBox("QuarkXPress 2019");
    EXPECT_FALSE(gSettings->dict().contains("QuarkXPress 2019"));
}

TEST_F(ChooseBoxTest, DroppedAndChosenApplicationsAreStoredUnderTheCurrentTitle) {
    auto box = makeBox("QuarkXPress 2016");
    EXPECT_TRUE(box->acceptDrops());
    // Any path ending in "app" goes, without a check of the application.
    const auto terminal = Drag("/usr/share/Utilities/Terminal.app");
    EXPECT_EQ(box->draggingEntered(terminal.get()), 2);
    EXPECT_TRUE(box->performDragOperation(terminal.get()));
    EXPECT_EQ(box->path(), QLatin1String("/usr/share/Utilities/Terminal.app"));
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016").toString(), box->path());
    EXPECT_EQ(box->draggingEntered(Drag("/x/Snapp").get()), 2);
    const auto upper = Drag("/x/Tool.APP");
    EXPECT_EQ(box->draggingEntered(upper.get()), 0);
    EXPECT_TRUE(box->performDragOperation(upper.get()));
    EXPECT_EQ(box->path(), QLatin1String("/usr/share/Utilities/Terminal.app"));
    QMimeData text;
    text.setText("x.app");
    EXPECT_EQ(box->draggingEntered(&text), 0);

    box->setTitle("QuarkXPress 2017");
    gChosen = "/opt/Chosen.app";
    box->findChild<QPushButton *>()->click();
    EXPECT_EQ(box->path(), QLatin1String("/opt/Chosen.app"));
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2017").toString(), gChosen);
    gChosen = QString(); // cancelled
    box->choose();
    EXPECT_EQ(box->path(), QLatin1String("/opt/Chosen.app"));
}

} // namespace
