// The real window, offscreen: every visible control at its place and size, with
// its font, colours and picture.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>

#include "app/qt/ClockWindow.h"
#include "app/qt/QtServices.h"
#include "clock/frmMain.h"
#include "support/Fakes.h"
#include "support/QtApp.h"

namespace {

struct Rig {
    EventLog log;
    FakeClock clock{(12 * 60 + 30) * 60};
    FakeClips clips{log};
    FakeTrack wmp{log};
    FakeDialogs dialogs{log};
    NullTrayBackend tray;
    ClockWindow window;
    QtWindowHost host{&window};
    frmMain form{Platform{clock, clips, wmp, dialogs, host, tray, nullEndpointSystem(),
                          [](const std::string& path) {
                              QFontDatabase::addApplicationFont(QString::fromStdString(path));
                          },
                          [] { return QCoreApplication::applicationDirPath().toStdString(); },
                          [] {}}};

    Rig() {
        window.setForm(&form);
        window.dispatch([&] {
            form.Form_Load();
            form.tmrTime_Timer();
        });
    }
    QLabel* at(const QRect& rect) {
        for (QLabel* label : window.findChildren<QLabel*>())
            if (label->geometry() == rect && label->isVisibleTo(&window)) return label;
        return nullptr;
    }
};

struct LabelCase {
    const char* name;
    QRect rect;
    const char* text;
    const char* family;
    int pixelSize;
    QRgb background;
    Qt::Alignment align;
};

class Labels : public testing::TestWithParam<LabelCase> {};

TEST_P(Labels, SitWithTheirFontColourAndAlignment) {
    qtApp();
    Rig rig;
    const LabelCase& c = GetParam();
    QLabel* label = rig.at(c.rect);
    ASSERT_NE(label, nullptr) << c.name;
    EXPECT_EQ(label->text(), QString::fromUtf8(c.text));
    EXPECT_EQ(label->font().family(), c.family);
    EXPECT_EQ(label->font().pixelSize(), c.pixelSize);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, c.align);
    // The label paints its own box: its bottom-left pixel is the background colour.
    const QImage image = rig.window.grab().toImage();
    EXPECT_EQ(image.pixel(c.rect.left() + 1, c.rect.bottom()) & 0xFFFFFF, c.background & 0xFFFFFF)
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Labels,
    testing::Values(
        LabelCase{"lblTime",
                  {104, 144, 339, 97},
                  "12:30:00",
                  "DS-DIGITAL",
                  96,
                  0x000000,
                  Qt::AlignHCenter},
        LabelCase{
            "lblAMPM", {456, 144, 105, 97}, "PM", "DS-DIGITAL", 96, 0x000000, Qt::AlignHCenter},
        LabelCase{"lblAlarm", {96, 112, 89, 25}, "", "Verdana", 11, 0x000000, Qt::AlignLeft},
        LabelCase{"lblTrack",
                  {112, 72, 433, 16},
                  "No Track Selected",
                  "Verdana",
                  12,
                  0xA2A2A2,
                  Qt::AlignLeft},
        LabelCase{
            "lblMinimize", {560, 3, 16, 31}, "-", "DS-Digital", 32, 0x000000, Qt::AlignHCenter},
        LabelCase{"lblClose", {580, 3, 16, 31}, "X", "DS-Digital", 32, 0x000000, Qt::AlignHCenter}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Window, IsBorderlessFixedAndCaptioned) {
    qtApp();
    Rig rig;
    EXPECT_TRUE(rig.window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(rig.window.size(), QSize(600, 300));
    EXPECT_EQ(rig.window.minimumSize(), rig.window.maximumSize());
    EXPECT_EQ(rig.window.windowTitle(), "Alarm Clock");
}

TEST(Window, PicturesAreShownAtTheirOwnSize) {
    qtApp();
    Rig rig;
    for (const QRect& rect : {QRect{0, 0, 600, 300}, QRect{24, 64, 50, 25}, QRect{48, 37, 27, 27},
                              QRect{80, 64, 25, 25}, QRect{60, 129, 29, 46}}) {
        QLabel* picture = rig.at(rect);
        ASSERT_NE(picture, nullptr) << rect.x() << "," << rect.y();
        EXPECT_EQ(picture->pixmap().size(), rect.size()) << rect.x() << "," << rect.y();
    }
    // Exactly one indicator: the buzzer at start, the radio once a track is chosen.
    EXPECT_EQ(rig.at({33, 128, 24, 47}), nullptr);
    rig.dialogs.files.push_back("/music/a.mp3");
    rig.window.dispatch([&] { rig.form.butTrack_Click(); });
    EXPECT_NE(rig.at({33, 128, 24, 47}), nullptr);
    EXPECT_EQ(rig.at({60, 129, 29, 46}), nullptr);
    EXPECT_EQ(rig.at({112, 72, 433, 16})->text(), "/music/a.mp3");
}

TEST(Window, NothingShowsOutsideTheBackground) {
    qtApp();
    Rig rig;
    for (QWidget* child : rig.window.findChildren<QWidget*>()) {
        if (child->isVisibleTo(&rig.window)) {
            EXPECT_TRUE(QRect(0, 0, 600, 300).contains(child->geometry()));
        }
    }
    const QString artefacts = QCoreApplication::applicationDirPath() + "/artifacts";
    QDir().mkpath(artefacts);
    rig.window.grab().save(artefacts + "/window-offscreen.png");
}

}  // namespace
